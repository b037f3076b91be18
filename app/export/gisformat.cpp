#include "export/gisformat.h"

#include <QFileInfo>

GisFormat GisFormats::of(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("gpkg"))
        return GisFormat::GeoPackage;
    if (suffix == QLatin1String("geojson") || suffix == QLatin1String("json"))
        return GisFormat::GeoJson;
    if (suffix == QLatin1String("fgb"))
        return GisFormat::FlatGeobuf;
    if (suffix == QLatin1String("shp"))
        return GisFormat::Shapefile;
    return GisFormat::Unknown;
}

QString GisFormats::knownExtensions()
{
    return QStringLiteral(".gpkg, .geojson, .fgb or .shp");
}
