#include "cli/importcommand.h"

#include "check/inputscan.h"
#include "check/junctioncounts.h"
#include "cli/checkoutput.h"
#include "cli/modeloutputs.h"
#include "cli/outofmemory.h"
#include "cli/progressprinter.h"
#include "cli/quickexit.h"
#include "export/gisformat.h"
#include "export/gismodule.h"
#include "export/sumo/sumoexporter.h"
#include "importer/paramicsimportplan.h"
#include "import/importmessages.h"
#include "import/importrunner.h"
#include "import/pluginloader.h"
#include "import/scenarioreader.h"
#include "map/mappicture.h"

#include <cvgui.h>
#include <cvinputerror.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>
#include <cvoutputfile.h>
#include <cvsystem.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <memory>
#include <new>

#include <unistd.h>

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

enum class Verbosity { Quiet, Normal, Verbose };

// "corvia import" or "corvia check", which begins each error line.
QString commandName = QStringLiteral("corvia import");

ProgressPrinter::Mode progressMode(Verbosity verbosity, FILE* err)
{
    if (verbosity == Verbosity::Quiet)
        return ProgressPrinter::Off;
    if (isatty(fileno(err)) == 1)
        return ProgressPrinter::Bar;
    return verbosity == Verbosity::Verbose ? ProgressPrinter::Lines : ProgressPrinter::Off;
}

bool writeLog(const CVModel& model, const QString& path, QString* error)
{
    CVOutputFile file(path);
    if (!file.open()) {
        *error = file.errorString();
        return false;
    }
    for (const CVLogEntry& entry : model.getLog()->getEntries())
        file.device()->write((entry.level + QStringLiteral(": ") + ImportMessages::plainText(entry.text, &model) + QLatin1Char('\n')).toUtf8());
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

struct Output
{
    QString option;
    QString what;  // for "... written to"
    std::function<bool(const CVModel&, const QString&, QString*)> write;
};

QList<Output> outputs(const QSize& pngSize, QStringList* gisWarnings, const SumoOverrides& sumo, QStringList* sumoNotes)
{
    // GisFormat::Unknown: the format of the file's extension.
    const auto gis = [gisWarnings](GisFormat format) {
        return [gisWarnings, format](const CVModel& model, const QString& path, QString* error) {
            const GisModule* module = GisModule::load(error);
            return module && module->write(model, path, format == GisFormat::Unknown ? GisFormats::of(path) : format,
                                           model.getGeoReference(), gisWarnings, error);
        };
    };
    return {
        {QStringLiteral("save"), QStringLiteral("Model saved to %1"), &CVModelWriter::save},
        {QStringLiteral("png"), QStringLiteral("Map drawn to %1"),
         [pngSize](const CVModel& model, const QString& path, QString* error) {
             return MapPicture::save(&model, path, pngSize, error);
         }},
        {QStringLiteral("geojson"), QStringLiteral("GIS layers written to %1"), gis(GisFormat::GeoJson)},
        {QStringLiteral("gis"), QStringLiteral("GIS layers written to %1"), gis(GisFormat::Unknown)},
        {QStringLiteral("sumo"),
         QStringLiteral("SUMO files written to %1.*; in their folder run netconvert -c, od2trips -c and sumo -c on "
                        "the .netccfg, .od2trips.cfg and .sumocfg files"),
         [sumo, sumoNotes](const CVModel& model, const QString& prefix, QString* error) {
             return SumoExporter::write(model, prefix, sumo, sumoNotes, error);
         }},
        {QStringLiteral("log"), QStringLiteral("Log written to %1"), &writeLog},
    };
}

// What the import ran with, in the summary's words: the unit the files
// were read in (their own unit words replace the chosen one), and whether
// a configuration file was read.
QString optionsText(const ParamicsImportOptions& options)
{
    const InputScan scan = InputScan::of(options.directory, InputScan::Depth::UnitsAndConfiguration);
    QString text = QStringLiteral("%1, %2, %3-hand traffic")
                       .arg(variantName(options.variant), scan.unitsText(lengthUnitName(options.units)),
                            roadRuleName(options.rule));
    if (scan.hasConfiguration)
        text += options.variant == ParamicsVariant::Sias ? QStringLiteral(", configuration read")
                                                         : QStringLiteral(", configuration not read");
    return text;
}

// The summary's lines, with the junctions by how they are run after the turnings.
QStringList summaryLines(const CVModel& model, const QMap<QString, int>& added)
{
    const JunctionCounts junctions = JunctionCounts::of(model);
    QStringList lines;
    for (const QString& line : ImportSummary::lines(added)) {
        lines << line;
        if (!line.startsWith(QLatin1String("turnings ")))
            continue;
        const QPair<const char*, int> counts[] = {{"signalised junctions", junctions.signalised},
                                                  {"priority junctions", junctions.priority},
                                                  {"roundabouts", junctions.roundabouts}};
        for (const auto& count : counts)
            lines << QStringLiteral("%1 %2").arg(QLatin1String(count.first), -22).arg(count.second);
    }
    return lines;
}

void printOptions(FILE* err, const ParamicsImportOptions& options)
{
    print(err, QStringLiteral("Options: variant %1, units %2 (%3 m), rule of the road %4, %5 demand file(s)\n")
                   .arg(variantName(options.variant), lengthUnitName(options.units))
                   .arg(lengthUnitFactor(options.units))
                   .arg(roadRuleName(options.rule))
                   .arg(options.demandFiles));
}

QString scenarioText(const CVModel& model)
{
    const auto& scenario = model.getScenarioSettings();
    return scenario ? ScenarioReader::describe(*scenario) : QStringLiteral("none (the network has no configuration file)");
}

// The configuration file names a rule of the road other than the import's.
QString roadSideDisagreement(const CVModel& model, const ParamicsImportOptions& options)
{
    const auto& scenario = model.getScenarioSettings();
    if (!scenario || !scenario->roadSide)
        return QString();
    const RoadRule configured = *scenario->roadSide == CVRoadSide::Left ? RoadRule::KeepLeft : RoadRule::KeepRight;
    if (configured == options.rule)
        return QString();
    return QStringLiteral("the network's configuration says %1-hand traffic; imported with --rule %2 as %2-hand traffic")
        .arg(roadRuleName(configured), roadRuleName(options.rule));
}

void printTimings(FILE* err, const QList<PhaseTime>& timings)
{
    print(err, QStringLiteral("Times:\n"));
    for (const PhaseTime& phase : timings)
        print(err, QStringLiteral("  %1 %2 ms\n").arg(phase.name, -34).arg(phase.nanoseconds / 1e6, 9, 'f', 1));
}

void printHostCounts(FILE* err, const QMap<QString, int>& added)
{
    print(err, QStringLiteral("Host objects created, by class:\n"));
    for (auto it = added.cbegin(); it != added.cend(); ++it)
        print(err, QStringLiteral("  %1 %2\n").arg(it.key(), -24).arg(it.value()));
}

void printMessages(FILE* err, const ImportMessages& messages, Verbosity verbosity)
{
    if (verbosity == Verbosity::Quiet)
        return;
    for (const QString& line : messages.lines())
        print(err, QStringLiteral("warning: %1\n").arg(line));
    if (messages.linksFilesRead > 0)
        print(err, QStringLiteral("note: %1\n").arg(ImportMessages::linksNote(messages.linksFilesRead)));
}

}  // namespace

int ImportCommand::run(const ParsedCommandLine& commandLine, FILE* out, FILE* err)
{
    commandName = commandLine.command == QLatin1String("check") ? QStringLiteral("corvia check") : QStringLiteral("corvia import");
    // A network too large for the memory left ends with an error, not an
    // abort: the import and the exports allocate as they go.
    try {
        return runImport(commandLine, out, err);
    } catch (const std::bad_alloc&) {
        reportOutOfMemory();
        return CommandLine::OutputFailed;
    } catch (const CVInputError& error) {
        print(err, commandName + QStringLiteral(": %1\n").arg(error.message()));
        return CommandLine::OutputFailed;
    }
}

int ImportCommand::runImport(const ParsedCommandLine& commandLine, FILE* out, FILE* err)
{
    const Verbosity verbosity = commandLine.isSet(QStringLiteral("quiet"))     ? Verbosity::Quiet
                                : commandLine.isSet(QStringLiteral("verbose")) ? Verbosity::Verbose
                                                                              : Verbosity::Normal;
    const ParamicsImportOptions& options = commandLine.importOptions;
    const QFileInfo directory(options.directory);
    if (!directory.isDir()) {
        print(err, commandName + QStringLiteral(": '%1' is not a directory (see corvia import --help)\n").arg(options.directory));
        return CommandLine::UsageError;
    }
    // A path that cannot be written is refused before any import time is spent.
    const ModelOutputs requested = ModelOutputs::fromCommandLine(commandLine);
    if (!requested.usageError().isEmpty()) {
        print(err, commandName + QStringLiteral(": %1 (see corvia import --help)\n").arg(requested.usageError()));
        return CommandLine::UsageError;
    }
    // A new model has no coordinate system that an origin could be given in.
    if (!requested.origin.isEmpty() && requested.crs.isEmpty()) {
        print(err, QStringLiteral("corvia import: --origin needs --crs, the system the origin is given in (see corvia "
                                  "import --help)\n"));
        return CommandLine::UsageError;
    }
    const QString refusal = requested.refusal();
    if (!refusal.isEmpty()) {
        print(err, commandName + QStringLiteral(": %1\n").arg(refusal));
        return CommandLine::OutputFailed;
    }
    QSize pngSize;
    MapPicture::parseSize(commandLine.value(QStringLiteral("png-size")), pngSize);

    // The same plug-in, filter and dialog as in the main window.
    CVGui gui;
    PluginLoader loader;
    if (!loader.load(&gui, PluginLoader::searchFolders(QCoreApplication::applicationDirPath()))) {
        print(err, commandName + QStringLiteral(": %1\n").arg(loader.errorString()));
        return CommandLine::PluginFailed;
    }
    const CVFilterDescription* filter = ImportRunner::findImportFilter(loader.getFilterFactory());
    if (!filter) {
        print(err, commandName + QStringLiteral(": the plug-in %1 registered no import filter\n").arg(loader.getLibraryPath()));
        return CommandLine::PluginFailed;
    }

    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const QuickExit::KeepModel keepForExit(model);
    gui.setActiveModel(model.get());
    ProgressPrinter progress(err, progressMode(verbosity, err));
    progress.setReadingSteps(ProgressPrinter::paramicsReadingSteps(options.variant));
    progress.watchImport();
    const ImportOutcome outcome = ImportRunner::runFilter(&gui, *filter, options);
    gui.setActiveModel(nullptr);

    if (!outcome.dialogFilled) {
        progress.finish();
        print(err, commandName + QStringLiteral(": the import dialog of %1 could not be filled in: it does not take "
                                  "corvia's import options\n")
                       .arg(loader.getLibraryPath()));
        return CommandLine::PluginFailed;
    }
    const ImportMessages messages = ImportMessages::fromWarnings(outcome.warnings, model.get(), options.directory);
    if (!outcome.importedNetwork()) {
        progress.finish();
        printMessages(err, messages, verbosity);
        print(err, commandName + QStringLiteral(": nothing was imported from %1: no section and no node. Check that it "
                                  "is a Paramics network directory and that --variant (%2) is its variant.\n")
                       .arg(options.directory, variantName(options.variant)));
        return CommandLine::NothingImported;
    }

    QString placementError;
    if (!requested.placeModel(*model, &placementError)) {
        progress.finish();
        print(err, QStringLiteral("corvia import: %1 (see corvia import --help)\n").arg(placementError));
        return CommandLine::UsageError;
    }
    QStringList gisWarnings;
    QStringList sumoNotes;
    const QList<Output> wanted = outputs(pngSize, &gisWarnings, requested.sumo, &sumoNotes);
    QStringList written;
    for (int i = 0; i < wanted.size(); ++i) {
        const Output& output = wanted.at(i);
        if (!commandLine.isSet(output.option))
            continue;
        const QString path = commandLine.value(output.option);
        progress.beginPhase(QStringLiteral("writing %1").arg(path), 0.95 + 0.05 * i / wanted.size());
        QString error;
        if (!output.write(*model, path, &error)) {
            progress.finish();
            print(err, commandName + QStringLiteral(": cannot write %1: %2\n").arg(path, error));
            return CommandLine::OutputFailed;
        }
        written.append(output.what.arg(path));
    }
    progress.finish();

    printMessages(err, messages, verbosity);
    if (verbosity != Verbosity::Quiet) {
        const QString disagreement = roadSideDisagreement(*model, outcome.options.value_or(options));
        if (!disagreement.isEmpty())
            print(err, QStringLiteral("note: %1\n").arg(disagreement));
        for (const QString& warning : std::as_const(gisWarnings))
            print(err, QStringLiteral("warning: %1\n").arg(warning));
        for (const QString& note : std::as_const(sumoNotes))
            print(err, QStringLiteral("note: SUMO export: %1\n").arg(note));
    }
    // As the dialog confirmed them, read back from it.
    const ParamicsImportOptions used = outcome.options.value_or(options);
    if (verbosity == Verbosity::Verbose) {
        printOptions(err, used);
        printTimings(err, progress.timings());
        printHostCounts(err, outcome.added);
    }
    if (verbosity != Verbosity::Quiet) {
        const int warnings = messages.warningCount();
        print(out, QStringLiteral("Imported %1 (%2, %3 %4):\n")
                       .arg(options.directory, optionsText(used))
                       .arg(warnings)
                       .arg(warnings == 1 ? QStringLiteral("warning") : QStringLiteral("warnings")));
        for (const QString& line : summaryLines(*model, outcome.added))
            print(out, QStringLiteral("  %1\n").arg(line));
        print(out, QStringLiteral("  scenario: %1\n").arg(scenarioText(*model)));
        for (const QString& line : written)
            print(out, line + QLatin1Char('\n'));
    }
    if (commandLine.command == QLatin1String("check"))
        return CheckOutput::run(*model, options.directory, commandLine, commandName, out, err);
    return CommandLine::Imported;
}
