#include "modeloutputs.h"

#include "geojsonexporter.h"
#include "mappicture.h"
#include "outputpaths.h"
#include "sumoexporter.h"

#include <cvmodelwriter.h>

#include <QCommandLineParser>

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

const char* const pathOptions[] = {"save", "png", "geojson", "sumo"};

}  // namespace

QList<QCommandLineOption> ModelOutputs::options()
{
    return {
        {QStringLiteral("save"), QString(), QStringLiteral("file")},
        {QStringLiteral("png"), QString(), QStringLiteral("file")},
        {QStringLiteral("png-size"), QString(), QStringLiteral("size")},
        {QStringLiteral("geojson"), QString(), QStringLiteral("file")},
        {QStringLiteral("sumo"), QString(), QStringLiteral("prefix")},
    };
}

ModelOutputs ModelOutputs::fromParser(const QCommandLineParser& parser, QString* usageError)
{
    ModelOutputs outputs;
    outputs.pngSize = QSize(MapPicture::DefaultWidth, MapPicture::DefaultHeight);
    for (const char* name : pathOptions) {
        const QString option = QString::fromLatin1(name);
        if (parser.isSet(option) && parser.value(option).isEmpty()) {
            *usageError = QStringLiteral("--%1 needs a file name, not an empty one").arg(option);
            return outputs;
        }
    }
    outputs.savePath = parser.value(QStringLiteral("save"));
    outputs.pngPath = parser.value(QStringLiteral("png"));
    outputs.geoJsonPath = parser.value(QStringLiteral("geojson"));
    outputs.sumoPrefix = parser.value(QStringLiteral("sumo"));
    if (parser.isSet(QStringLiteral("png-size"))
        && !MapPicture::parseSize(parser.value(QStringLiteral("png-size")), outputs.pngSize)) {
        *usageError = QStringLiteral("--png-size takes WIDTHxHEIGHT, each from %1 to %2 pixels")
                          .arg(MapPicture::MinimumSide)
                          .arg(MapPicture::MaximumSide);
    }
    return outputs;
}

QString ModelOutputs::refusal() const
{
    QStringList paths;
    for (const QString& path : {savePath, pngPath, geoJsonPath}) {
        if (!path.isEmpty())
            paths.append(path);
    }
    if (!sumoPrefix.isEmpty())
        paths += SumoExporter::fileNames(sumoPrefix);
    return OutputPaths::refusal(paths);
}

int ModelOutputs::write(const CVModel& model, const QString& command, FILE* out, FILE* err) const
{
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
    if (!geoJsonPath.isEmpty()) {
        if (!GeoJsonExporter::write(model, geoJsonPath, &error)) {
            print(err, QStringLiteral("%1: cannot write %2: %3\n").arg(command, geoJsonPath, error));
            return 1;
        }
        print(out, QStringLiteral("GeoJSON written to %1\n").arg(geoJsonPath));
    }
    if (!sumoPrefix.isEmpty()) {
        if (!SumoExporter::write(model, sumoPrefix, &error)) {
            print(err, QStringLiteral("%1: cannot write the SUMO files: %2\n").arg(command, error));
            return 1;
        }
        print(out, QStringLiteral("SUMO files written to %1.*.xml\n").arg(sumoPrefix));
    }
    return 0;
}
