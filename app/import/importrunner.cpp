#include "import/importrunner.h"

#include "import/importdialogwatcher.h"
#include "import/scenarioreader.h"

#include <cvcatalog.h>
#include <cvfilter.h>
#include <cvgui.h>
#include <cvimportsettings.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvpoint.h>

#include <memory>

int ImportOutcome::totalAdded() const
{
    int total = 0;
    for (int count : added)
        total += count;
    return total;
}

bool ImportOutcome::importedNetwork() const
{
    return added.value(QStringLiteral("CVSection")) > 0 || added.value(QStringLiteral("CVNode")) > 0;
}

ImportOutcome ImportRunner::runFilter(CVGui* gui, const CVFilterDescription& filter,
                                      const std::optional<ParamicsImportOptions>& fill,
                                      const std::function<void(const ParamicsImportOptions&)>& accepted)
{
    ImportOutcome outcome;
    CVModel* model = gui ? gui->getActiveModel() : nullptr;
    if (!model || !filter.getFactory())
        return outcome;
    const QMap<QString, int> before = countObjectsByType(model);
    const int logSizeBefore = model->getLog()->getEntries().size();

    ImportDialogWatcher dialogWatcher(fill);
    dialogWatcher.onAccepted = accepted;
    std::unique_ptr<CVFilter> importFilter(filter.getFactory()(gui, model));
    if (importFilter)
        importFilter->startImport(filter, nullptr, CVPoint());
    importFilter.reset();

    const QVector<CVLogEntry>& entries = model->getLog()->getEntries();
    for (int i = qMax(0, logSizeBefore); i < entries.size(); ++i) {
        if (entries.at(i).level == QLatin1String("warning"))
            outcome.warnings.append(entries.at(i).text);
    }
    outcome.added = difference(before, countObjectsByType(model));
    outcome.dialogFilled = dialogWatcher.allFilled();
    outcome.options = dialogWatcher.acceptedOptions();
    if (outcome.options && outcome.importedNetwork()) {
        model->setImportSettings(modelSettings(filter.getDescription(), *outcome.options));
        model->setScenarioSettings(ScenarioReader::read(outcome.options->directory));
    }
    return outcome;
}

CVImportSettings ImportRunner::modelSettings(const QString& format, const ParamicsImportOptions& options)
{
    CVImportSettings settings;
    settings.sourceFormat = format;
    settings.variant = variantName(options.variant);
    settings.lengthUnit = lengthUnitName(options.units);
    settings.unitFactor = lengthUnitFactor(options.units);
    settings.roadSide = options.rule == RoadRule::KeepLeft ? CVRoadSide::Left : CVRoadSide::Right;
    settings.demandFiles = options.demandFiles;
    settings.directory = options.directory;
    return settings;
}

QMap<QString, int> ImportRunner::countObjectsByType(const CVModel* model)
{
    return model->getCatalog()->sizesByTypeName();
}

QMap<QString, int> ImportRunner::difference(const QMap<QString, int>& before, const QMap<QString, int>& after)
{
    QMap<QString, int> added;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const int count = it.value() - before.value(it.key());
        if (count > 0)
            added.insert(it.key(), count);
    }
    return added;
}
