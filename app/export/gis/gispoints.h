#pragma once

#include "export/gis/gislayers.h"
#include "export/gisformat.h"

#include <QString>

// A layer of points for tools, such as a check's findings: a new GeoPackage
// or GeoJSON file at path with the layer's fields, one feature per feature
// of the layer, at its first point or without a geometry when it has none.
// The file has no coordinate system and the features get the numbers the
// format gives them.
namespace GisPoints {

// False, with OGR's reason, when the file cannot be written.
bool write(const GisLayers::Layer& layer, const QString& path, GisFormat format, QString* error);

}  // namespace GisPoints
