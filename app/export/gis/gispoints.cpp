#include "export/gis/gispoints.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>

namespace {

using GisLayers::FieldType;

struct DatasetCloser
{
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

OGRFieldType ogrType(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Boolean: return OFTInteger;
    case FieldType::Integer64: return OFTInteger64;
    case FieldType::Real: return OFTReal;
    case FieldType::String: break;
    }
    return OFTString;
}

void setValue(OGRFeature& feature, int index, const QVariant& value, FieldType type)
{
    if (value.isNull())
        return;
    switch (type) {
    case FieldType::Integer:
    case FieldType::Boolean: feature.SetField(index, value.toInt()); break;
    case FieldType::Integer64: feature.SetField(index, GIntBig(value.toLongLong())); break;
    case FieldType::Real: feature.SetField(index, value.toDouble()); break;
    case FieldType::String: feature.SetField(index, value.toString().toUtf8().constData()); break;
    }
}

bool addFeatures(const GisLayers::Layer& layer, OGRLayer* target)
{
    for (const GisLayers::Field& field : layer.fields) {
        OGRFieldDefn definition(field.name.toUtf8().constData(), ogrType(field.type));
        if (target->CreateField(&definition) != OGRERR_NONE)
            return false;
    }
    for (const GisLayers::Feature& f : layer.features) {
        OGRFeature feature(target->GetLayerDefn());
        for (int i = 0; i < layer.fields.size() && i < f.values.size(); ++i)
            setValue(feature, i, f.values.at(i), layer.fields[i].type);
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
