#pragma once

#include "cvexport.h"

#include <QObject>
#include <QString>

class CVGui;
class CVModel;
class QDomNode;

// Base of the host's plug-ins. The host makes a plug-in through the factory
// that its library exports, then calls install() and initGui(); the other
// operations are the moments of a model's life at which a plug-in may act.
// Every operation here does what a plug-in that has nothing to add needs.
class CRVKERNEL_EXPORT CVPlugin : public QObject
{
    Q_OBJECT
public:
    explicit CVPlugin(QObject* parent = nullptr);
    ~CVPlugin() override;

    // Empty when the plug-in can work; otherwise the reason why not.
    virtual QString verify();
    // The plug-in's own data for the model file, and the reverse.
    virtual QString store(CVModel* model);
    virtual void restore(CVModel* model, QDomNode& node);
    // Makes the plug-in's services available (filters, types...).
    virtual void install();
    // The host GUI is ready: menus, filters and tools can be added.
    virtual void initGui(CVGui* gui);
    virtual void initModel(CVModel* model);
    virtual void postInitModel(CVModel* model);
    virtual void docOpened(CVGui* gui, CVModel* model);
    virtual void guiReady(CVGui* gui, CVModel* model);
    virtual void docClosed(CVGui* gui, CVModel* model);
    // False keeps the document open.
    virtual bool canBeClosed(CVGui* gui, CVModel* model);
    // True asks to be initialised after every other plug-in.
    virtual bool getInitLastOne();
    virtual void preferencesChanged(CVModel* model);
    // Tells the user what the plug-in is.
    virtual void about(CVGui* gui) const;
    virtual void relocateObjectsInFolders(CVModel* model);

    const QString& getName() const { return name; }
    void setName(const QString& pluginName) { name = pluginName; }

private:
    QString name;
};
