#include "importcommand.h"

#include "geojsonexporter.h"
#include "importrunner.h"
#include "mappicture.h"
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
#include <new>

namespace {

struct ParsedImport
{
    ImportSettings settings;
    QString savePath;
    QString pngPath;
    QSize pngSize = QSize(MapPicture::DefaultWidth, MapPicture::DefaultHeight);
    QString geoJsonPath;
    QString sumoPrefix;
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
        {QStringLiteral("save"), QString(), QStringLiteral("file")},
        {QStringLiteral("png"), QString(), QStringLiteral("file")},
        {QStringLiteral("png-size"), QString(), QStringLiteral("size")},
        {QStringLiteral("geojson"), QString(), QStringLiteral("file")},
        {QStringLiteral("sumo"), QString(), QStringLiteral("prefix")},
    });

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
    parsed.savePath = parser.value(QStringLiteral("save"));
    parsed.pngPath = parser.value(QStringLiteral("png"));
    if (parser.isSet(QStringLiteral("png-size"))
        && !MapPicture::parseSize(parser.value(QStringLiteral("png-size")), parsed.pngSize)) {
        parsed.error = QStringLiteral("--png-size takes WIDTHxHEIGHT, each from %1 to %2 pixels")
                           .arg(MapPicture::MinimumSide)
                           .arg(MapPicture::MaximumSide);
        return parsed;
    }
    parsed.geoJsonPath = parser.value(QStringLiteral("geojson"));
    parsed.sumoPrefix = parser.value(QStringLiteral("sumo"));
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
        "could not be written or the memory ran out, 2 for a usage error (nothing\n"
        "is imported), 3 when the plug-in library cannot be loaded.\n");
}

int ImportCommand::run(const QStringList& arguments, FILE* out, FILE* err)
{
    // A network too large for the memory left ends with an error, not an
    // abort: the import and the exports allocate as they go.
    try {
        return runImport(arguments, out, err);
    } catch (const std::bad_alloc&) {
        print(err, QStringLiteral("corvia import: out of memory\n"));
        return 1;
    }
}

int ImportCommand::runImport(const QStringList& arguments, FILE* out, FILE* err)
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

    if (!parsed.savePath.isEmpty()) {
        QString error;
        if (!CVModelWriter::save(*model, parsed.savePath, &error)) {
            print(err, QStringLiteral("corvia import: cannot save %1: %2\n").arg(parsed.savePath, error));
            return 1;
        }
        print(out, QStringLiteral("Model saved to %1\n").arg(parsed.savePath));
    }
    if (!parsed.pngPath.isEmpty()) {
        QString error;
        if (!MapPicture::save(model.get(), parsed.pngPath, parsed.pngSize, &error)) {
            print(err, QStringLiteral("corvia import: cannot write %1: %2\n").arg(parsed.pngPath, error));
            return 1;
        }
        print(out, QStringLiteral("Map drawn to %1\n").arg(parsed.pngPath));
    }
    if (!parsed.geoJsonPath.isEmpty()) {
        QString error;
        if (!GeoJsonExporter::write(*model, parsed.geoJsonPath, &error)) {
            print(err, QStringLiteral("corvia import: cannot write %1: %2\n").arg(parsed.geoJsonPath, error));
            return 1;
        }
        print(out, QStringLiteral("GeoJSON written to %1\n").arg(parsed.geoJsonPath));
    }
    if (!parsed.sumoPrefix.isEmpty()) {
        QString error;
        if (!SumoExporter::write(*model, parsed.sumoPrefix, &error)) {
            print(err, QStringLiteral("corvia import: cannot write the SUMO files: %1\n").arg(error));
            return 1;
        }
        print(out, QStringLiteral("SUMO files written to %1.*.xml\n").arg(parsed.sumoPrefix));
    }
    return 0;
}
