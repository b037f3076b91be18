#include "importcommand.h"

#include "geojsonexporter.h"
#include "importrunner.h"
#include "mappicture.h"
#include "modeloutputs.h"
#include "pluginloader.h"
#include "progressprinter.h"
#include "sumoexporter.h"

#include <cvgui.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>
#include <cvsystem.h>
#include <cvtask.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <memory>

namespace {

struct ParsedImport
{
    ImportSettings settings;
    ModelOutputs outputs;
    QString error;  // empty when the command line is usable
};

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

ParsedImport parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("DIR"), QString());
    parser.addOptions({
        {QStringLiteral("variant"), QString(), QStringLiteral("variant")},
        {QStringLiteral("units"), QString(), QStringLiteral("units")},
        {QStringLiteral("rule"), QString(), QStringLiteral("rule")},
        {QStringLiteral("demand-files"), QString(), QStringLiteral("n")},
    });
    parser.addOptions(ModelOutputs::options());

    ParsedImport parsed;
    // arguments[0] is the program, arguments[1] the word "import".
    QStringList forParser = arguments;
    if (forParser.size() > 1)
        forParser.removeAt(1);
    if (!parser.parse(forParser)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        parsed.error = positional.isEmpty() ? QStringLiteral("no network directory given")
                                            : QStringLiteral("only one network directory can be imported");
        return parsed;
    }
    ImportSettings& s = parsed.settings;
    s.directory = positional.first();
    const QFileInfo info(s.directory);
    if (!info.exists() || !info.isDir()) {
        parsed.error = QStringLiteral("'%1' is not a directory").arg(s.directory);
        return parsed;
    }
    if (parser.isSet(QStringLiteral("variant")))
        s.variant = parser.value(QStringLiteral("variant"));
    if (s.variant != QLatin1String("Quadstone") && s.variant != QLatin1String("Sias")) {
        parsed.error = QStringLiteral("--variant must be Quadstone or Sias");
        return parsed;
    }
    if (parser.isSet(QStringLiteral("units")))
        s.units = parser.value(QStringLiteral("units"));
    if (s.units != QLatin1String("Metric") && s.units != QLatin1String("Feet")) {
        parsed.error = QStringLiteral("--units must be Metric or Feet");
        return parsed;
    }
    const QString rule = parser.value(QStringLiteral("rule"));
    if (!rule.isEmpty() && rule != QLatin1String("right") && rule != QLatin1String("left")) {
        parsed.error = QStringLiteral("--rule must be right or left");
        return parsed;
    }
    s.rightHandDrive = rule != QLatin1String("left");
    if (parser.isSet(QStringLiteral("demand-files"))) {
        bool ok = false;
        s.demandFiles = parser.value(QStringLiteral("demand-files")).toInt(&ok);
        if (!ok) {
            parsed.error = QStringLiteral("--demand-files takes a whole number");
            return parsed;
        }
    }
    parsed.outputs = ModelOutputs::fromParser(parser, &parsed.error);
    return parsed;
}

void printSummary(FILE* out, const ImportOutcome& outcome)
{
    print(out, QStringLiteral("Warnings: %1\n").arg(outcome.warnings.size()));
    for (const QString& warning : outcome.warnings)
        print(out, QStringLiteral("  %1\n").arg(warning));
    print(out, QStringLiteral("Created objects: %1\n").arg(outcome.totalAdded()));
    for (auto it = outcome.added.cbegin(); it != outcome.added.cend(); ++it)
        print(out, QStringLiteral("  %1 %2\n").arg(it.key(), -24).arg(it.value()));
}

}  // namespace

QString ImportCommand::helpText()
{
    return QStringLiteral(
        "Usage: corvia import DIR [options]\n"
        "Imports the Paramics network in the directory DIR into a new model, shows\n"
        "the reading progress, every log warning and the number of objects created\n"
        "of each type.\n"
        "\n"
        "Options (defaults are those of the import dialog):\n"
        "  --variant Quadstone|Sias   file variant of the network (Quadstone)\n"
        "  --units Metric|Feet        length unit of the files (Metric)\n"
        "  --rule right|left          rule of the road: traffic keeps right or left (right)\n"
        "  --demand-files N           1 reads \"demands\", N > 1 reads demands.1 to\n"
        "                             demands.N, 0 reads none (1)\n"
        "  --save MODEL.json          save the model as JSON\n"
        "  --png FILE.png             draw the map of the imported network into a PNG:\n"
        "                             fitted to the network, white background, scale\n"
        "                             bar and legend\n"
        "  --png-size WxH             size of that picture in pixels (1600x1200)\n"
        "  --geojson FILE             write the model as one GeoJSON FeatureCollection\n"
        "                             (the network's own plane coordinates, metres)\n"
        "  --sumo PREFIX              write SUMO plain XML: PREFIX.nod.xml, .edg.xml,\n"
        "                             .con.xml, .tll.xml (netconvert), .taz.xml, .od.xml\n"
        "                             (od2trips), .add.xml and .rou.xml (sumo)\n"
        "  --help                     show this text\n"
        "\n"
        "The import runs through the plug-in library crvparamicsimporter6, looked\n"
        "for next to corvia, then in ../lib.\n"
        "\n"
        "Exit status: 0 after an import, 1 when the model, the picture or an export\n"
        "could not be written, 2 for a usage error (nothing is imported), 3 when\n"
        "the plug-in library cannot be loaded.\n");
}

int ImportCommand::run(const QStringList& arguments, FILE* out, FILE* err)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        print(out, helpText());
        return 0;
    }
    const ParsedImport parsed = parse(arguments);
    if (!parsed.error.isEmpty()) {
        print(err, QStringLiteral("corvia import: %1 (see corvia import --help)\n").arg(parsed.error));
        return 2;
    }
    // A path that cannot be written is found before the import, not after it.
    const QString refusal = parsed.outputs.refusal();
    if (!refusal.isEmpty()) {
        print(err, QStringLiteral("corvia import: %1\n").arg(refusal));
        return 1;
    }

    // The same plug-in, filter and dialog as in the main window.
    CVGui gui;
    PluginLoader loader;
    if (!loader.load(&gui, PluginLoader::searchFolders(QCoreApplication::applicationDirPath()))) {
        print(err, QStringLiteral("corvia import: %1\n").arg(loader.errorString()));
        return 3;
    }
    const CVFilterDescription* filter = ImportRunner::findImportFilter(loader.getFilterFactory());
    if (!filter) {
        print(err, QStringLiteral("corvia import: the plug-in %1 registered no import filter\n").arg(loader.getLibraryPath()));
        return 3;
    }

    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    gui.setActiveModel(model.get());
    ProgressPrinter progress(out);
    const auto connection = QObject::connect(&CVSystem::getSystem(), &CVSystem::taskCreated, &progress, &ProgressPrinter::watch);
    const ImportOutcome outcome = ImportRunner::runFilter(&gui, *filter, parsed.settings);
    QObject::disconnect(connection);
    gui.setActiveModel(nullptr);

    printSummary(out, outcome);

    return parsed.outputs.write(*model, QStringLiteral("corvia import"), out, err);
}
