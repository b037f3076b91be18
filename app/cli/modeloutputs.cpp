#include "cli/modeloutputs.h"

#include "cli/commandline.h"
#include "cli/outputpaths.h"
#include "check/problemsfile.h"
#include "export/gisformat.h"
#include "export/gismodule.h"
#include "export/sumo/sumoexporter.h"
#include "import/scenarioreader.h"
#include "map/mappicture.h"

#include <cvgeoreference.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>


namespace {

void print(FILE* stream, const QString& text)
{
    if (stream)
        std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

ModelOutputs ModelOutputs::fromCommandLine(const ParsedCommandLine& commandLine)
{
    ModelOutputs outputs;
    outputs.pngSize = QSize(MapPicture::DefaultWidth, MapPicture::DefaultHeight);
    if (commandLine.isSet(QStringLiteral("png-size")))
        MapPicture::parseSize(commandLine.value(QStringLiteral("png-size")), outputs.pngSize);
    outputs.savePath = commandLine.value(QStringLiteral("save"));
    outputs.pngPath = commandLine.value(QStringLiteral("png"));
    outputs.geoJsonPath = commandLine.value(QStringLiteral("geojson"));
    outputs.gisPath = commandLine.value(QStringLiteral("gis"));
    outputs.crs = commandLine.value(QStringLiteral("crs"));
    outputs.origin = commandLine.value(QStringLiteral("origin"));
    outputs.sumoPrefix = commandLine.value(QStringLiteral("sumo"));
    if (commandLine.isSet(QStringLiteral("sumo-scale")))
        outputs.sumo.scale = commandLine.value(QStringLiteral("sumo-scale")).toDouble();
    if (commandLine.isSet(QStringLiteral("sumo-begin")))
        outputs.sumo.begin = ScenarioReader::clockSeconds(commandLine.value(QStringLiteral("sumo-begin")));
    if (commandLine.isSet(QStringLiteral("sumo-end")))
        outputs.sumo.end = ScenarioReader::clockSeconds(commandLine.value(QStringLiteral("sumo-end")));
    outputs.logPath = commandLine.value(QStringLiteral("log"));
    outputs.problemsPath = commandLine.value(QStringLiteral("problems"));
    return outputs;
}

QString ModelOutputs::usageError() const
{
    if (!gisPath.isEmpty() && !geoJsonPath.isEmpty())
        return QStringLiteral("--gis and --geojson write the same export; give one of them");
    // A run that ends before it begins would release no vehicle at all.
    if (sumo.begin && sumo.end && *sumo.end <= *sumo.begin)
        return QStringLiteral("--sumo-end must come after --sumo-begin");
    return QString();
}

bool ModelOutputs::placeModel(CVModel& model, QString* error) const
{
    if (crs.isEmpty() && origin.isEmpty())
        return true;
    CVGeoReference where = model.getGeoReference().value_or(CVGeoReference());
    if (!crs.isEmpty())
        where.crs = crs;
    if (!origin.isEmpty() && !where.setOrigin(origin, error))
        return false;
    const GisModule* gis = GisModule::load(error);
    if (!gis)
        return false;
    const QString refusal = gis->placementRefusal(where);
    if (!refusal.isEmpty()) {
        *error = refusal;
        return false;
    }
    model.setGeoReference(where);
    return true;
}

QString ModelOutputs::refusal() const
{
    QStringList paths;
    // A shapefile export is a folder of that name, so only a file is refused there.
    const bool gisIsFolder = GisFormats::of(gisPath) == GisFormat::Shapefile;
    for (const QString& path : {savePath, pngPath, geoJsonPath, gisIsFolder ? QString() : gisPath, logPath, problemsPath}) {
        if (!path.isEmpty())
            paths.append(path);
    }
    if (!sumoPrefix.isEmpty()) {
        const QString prefixRefusal = SumoExporter::prefixRefusal(sumoPrefix);
        if (!prefixRefusal.isEmpty())
            return prefixRefusal;
        paths += SumoExporter::fileNames(sumoPrefix);
    }
    if (gisIsFolder) {
        const QString folderRefusal = OutputPaths::folderRefusal(gisPath);
        if (!folderRefusal.isEmpty())
            return folderRefusal;
    }
    const QString pathRefusal = OutputPaths::refusal(paths);
    if (!pathRefusal.isEmpty() || !needsGisModule())
        return pathRefusal;
    QString moduleError;
    return GisModule::load(&moduleError) ? QString() : moduleError;
}

bool ModelOutputs::needsGisModule() const
{
    return !gisPath.isEmpty() || !geoJsonPath.isEmpty() || !crs.isEmpty() || !origin.isEmpty()
           || ProblemsFile::isGisFile(problemsPath);
}

int ModelOutputs::write(const CVModel& model, const QString& command, FILE* out, FILE* err) const
{
    // Warnings and notes go with the lines of what was written: --quiet
    // (no out) leaves errors only.
    FILE* remarks = out ? err : nullptr;
    QString error;
    if (!savePath.isEmpty()) {
        if (!CVModelWriter::save(model, savePath, &error)) {
            print(err, QStringLiteral("%1: cannot save %2: %3\n").arg(command, savePath, error));
            return 1;
        }
        print(out, QStringLiteral("Model saved to %1\n").arg(savePath));
    }
    if (!pngPath.isEmpty()) {
        if (!MapPicture::save(&model, pngPath, pngSize, &error)) {
            print(err, QStringLiteral("%1: cannot write %2: %3\n").arg(command, pngPath, error));
            return 1;
        }
        print(out, QStringLiteral("Map drawn to %1\n").arg(pngPath));
    }
    const bool asGeoJson = !geoJsonPath.isEmpty();
    const QString gisFile = asGeoJson ? geoJsonPath : gisPath;
    if (!gisFile.isEmpty()) {
        QStringList warnings;
        const GisModule* gis = GisModule::load(&error);
        const bool done = gis && gis->write(model, gisFile, asGeoJson ? GisFormat::GeoJson : GisFormats::of(gisFile),
                                            model.getGeoReference(), &warnings, &error);
        for (const QString& warning : std::as_const(warnings))
            print(remarks, QStringLiteral("warning: %1\n").arg(warning));
        if (!done) {
            print(err, QStringLiteral("%1: cannot write %2: %3\n").arg(command, gisFile, error));
            return 1;
        }
        print(out, QStringLiteral("GIS layers written to %1\n").arg(gisFile));
    }
    if (!sumoPrefix.isEmpty()) {
        QStringList notes;
        if (!SumoExporter::write(model, sumoPrefix, sumo, &notes, &error)) {
            print(err, QStringLiteral("%1: cannot write the SUMO files: %2\n").arg(command, error));
            return 1;
        }
        for (const QString& note : std::as_const(notes))
            print(remarks, QStringLiteral("note: SUMO export: %1\n").arg(note));
        print(out, QStringLiteral("SUMO files written to %1.*.xml\n").arg(sumoPrefix));
    }
    return 0;
}
