#include "export/gis/gispoints.h"

#include "export/gis/ogrfields.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>

namespace {

struct DatasetCloser
{
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

bool addFeatures(const GisLayers::Layer& layer, OGRLayer* target)
{
    if (!OgrFields::create(target, layer.fields))
        return false;
    for (const GisLayers::Feature& f : layer.features) {
        OGRFeature feature(target->GetLayerDefn());
        for (int i = 0; i < layer.fields.size() && i < f.values.size(); ++i) {
            if (!f.values.at(i).isNull())
                OgrFields::set(feature, i, f.values.at(i), layer.fields[i].type);
        }
        if (!f.geometry.empty()) {
            OGRPoint point(f.geometry.front().x, f.geometry.front().y);
            feature.SetGeometry(&point);
        }
        if (target->CreateFeature(&feature) != OGRERR_NONE)
            return false;
    }
    return true;
}

}  // namespace

bool GisPoints::write(const GisLayers::Layer& layer, const QString& path, GisFormat format, QString* error)
{
    const char* driverName = format == GisFormat::GeoPackage ? "GPKG" : format == GisFormat::GeoJson ? "GeoJSON" : nullptr;
    GDALAllRegister();
    GDALDriver* driver = driverName ? GetGDALDriverManager()->GetDriverByName(driverName) : nullptr;
    if (!driver) {
        *error = QStringLiteral("OGR has no %1 driver").arg(QLatin1String(driverName ? driverName : "such"));
        return false;
    }
    std::unique_ptr<GDALDataset, DatasetCloser> dataset(
        driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    OGRLayer* target = dataset ? dataset->CreateLayer(layer.name.toUtf8().constData(), nullptr, wkbPoint, nullptr) : nullptr;
    if (!target || !addFeatures(layer, target)) {
        *error = QString::fromUtf8(CPLGetLastErrorMsg());
        return false;
    }
    return true;
}
