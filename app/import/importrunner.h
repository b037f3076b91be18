#pragma once

#include "importer/paramicsimportoptions.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CVFilterDescription;
class CVGui;
class CVModel;
struct CVImportSettings;

// What one import added to the model and what it logged.
struct ImportOutcome
{
    QStringList warnings;        // the model log's warnings written during the import
    QMap<QString, int> added;    // new objects by type name
    bool dialogFilled = true;    // false when the options could not be put into the import dialog
    // The options the import dialog was confirmed with; nothing when it was cancelled.
    std::optional<ParamicsImportOptions> options;
    int totalAdded() const;
    // Whether the import built any road network (a section or a node).
    bool importedNetwork() const;
};

// Runs one import through a registered import filter, as the main window's
// File > Import does: the filter is made by its description's factory for
// the GUI's active model and started. Both the window and `corvia import`
// go through here, so everything after the import dialog is one code path;
// they differ only in who fills in the dialog (the user, or the command
// line through ImportDialogWatcher). An import that built a network
// leaves the options it ran with in the model (CVModel::getImportSettings),
// and the scenario of the network's configuration file, when it has one
// (CVModel::getScenarioSettings).
class ImportRunner
{
public:
    // With options, the import dialog is filled in from them and confirmed
    // without a user. accepted, when given, hears the options the import
    // runs with as the dialog is confirmed.
    static ImportOutcome runFilter(CVGui* gui, const CVFilterDescription& filter,
                                   const std::optional<ParamicsImportOptions>& fill = std::nullopt,
                                   const std::function<void(const ParamicsImportOptions&)>& accepted = {});

    // The model's record of an import through the named format.
    static CVImportSettings modelSettings(const QString& format, const ParamicsImportOptions& options);

    // The registered import filter that the given factory makes, or null.
    template <typename Factory>
    static const CVFilterDescription* findImportFilter(Factory factory);

    // Number of objects of each type name in the model.
    static QMap<QString, int> countObjectsByType(const CVModel* model);
    // What the import added: counts after minus counts before, types with no new object left out.
    static QMap<QString, int> difference(const QMap<QString, int>& before, const QMap<QString, int>& after);
};

#include <cvfilterdescription.h>
#include <cvsystem.h>

template <typename Factory>
const CVFilterDescription* ImportRunner::findImportFilter(Factory factory)
{
    if (!factory)
        return nullptr;
    for (const CVFilterDescription& description : CVSystem::getSystem().getImportFilters()) {
        if (description.getFactory() == factory)
            return &description;
    }
    return nullptr;
}
