// Fuzz target: a model file opened as `corvia open` opens it, then, when the
// reader accepts it, every export written from the model: the SUMO set, the
// GIS layers (GeoJSON) and a small map picture. Whatever the reader lets
// through must be safe for every exporter.

#include "export/gis/gisexporter.h"
#include "export/sumo/sumoexporter.h"
#include "map/mappicture.h"

#include <cvmodel.h>
#include <cvmodelreader.h>

#include <QFile>
#include <QGuiApplication>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Scratch
{
    Scratch()
    {
        // The map picture draws text, which wants a GUI application.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QGuiApplication(argc, argv);
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Scratch scratch;
    const QString modelPath = scratch.path(QStringLiteral("model.json"));
    {
        QFile file(modelPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QString error;
    const std::unique_ptr<CVModel> model = CVModelReader::load(modelPath, &error);
    if (!model)
        return 0;
    SumoExporter::write(*model, scratch.path(QStringLiteral("sumo")), &error);
    QStringList warnings;
    GisExporter::write(*model, scratch.path(QStringLiteral("layers.geojson")), model->getGeoReference(), &warnings, &error);
    MapPicture::save(model.get(), scratch.path(QStringLiteral("map.png")), QSize(64, 48), &error);
    return 0;
}
