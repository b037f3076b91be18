#pragma once

#include "cvexport.h"

#include <QObject>
#include <QString>

class CVFilterDescription;
class CVGui;
class CVLayer;
class CVModel;
class CVPoint;

// Base of the import and export filters that plug-ins register. The host
// makes a filter for one GUI and model through the factory of the chosen
// CVFilterDescription and starts it. A filter for a file format overrides
// importFromFile/exportToFile; one that asks the user itself overrides
// startImport/startExport.
class CRVKERNEL_EXPORT CVFilter : public QObject
{
    Q_OBJECT
public:
    CVFilter(CVGui* gui, CVModel* model);
    ~CVFilter() override;

    CVGui* getGui() const { return gui; }
    CVModel* getModel() const { return model; }

    // Reads the file into the layer, placed at the point. True when it did.
    virtual bool importFromFile(const QString& fileName, CVLayer* layer, const CVPoint& position);
    virtual bool exportToFile(const QString& fileName);
    // Runs the import that the user chose. The host registers the file the
    // user picked as the last used file before starting a file filter.
    virtual bool startImport(const CVFilterDescription& description, CVLayer* layer, const CVPoint& position);
    virtual bool startExport(const CVFilterDescription& description);

private:
    CVGui* gui;
    CVModel* model;
};
