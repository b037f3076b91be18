#pragma once

#include <QString>

// The file formats of the GIS export, told by the file's extension. Known
// without the GIS module (export/gismodule.h), so that the command line can
// check a file name before anything is loaded.
enum class GisFormat { Unknown, GeoPackage, GeoJson, FlatGeobuf, Shapefile };

namespace GisFormats {

// .gpkg, .geojson or .json, .fgb, .shp (any case); Unknown otherwise.
GisFormat of(const QString& path);
// The file extensions `of` knows, for messages and file dialogs.
QString knownExtensions();

}  // namespace GisFormats
