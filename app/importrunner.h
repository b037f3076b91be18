#pragma once

#include "importsettings.h"

#include <QMap>
#include <QString>

class CVModel;

// Runs one Paramics import into a model the way the import dialog does,
// and tells what it added.
class ImportRunner
{
public:
    // Configures an importer from the settings, runs it and destroys it.
    static void run(CVModel* model, const ImportSettings& settings);

    // Number of objects of each type name in the model.
    static QMap<QString, int> countObjectsByType(const CVModel* model);
    // What the import added: counts after minus counts before, types with no new object left out.
    static QMap<QString, int> difference(const QMap<QString, int>& before, const QMap<QString, int>& after);
};
