#pragma once

#include "export/gis/gislayers.h"

#include <QString>
#include <QVector>

// Default styles for the GIS layers, in the layer style format of the
// common desktop GIS (QML): the colours of the corvia map's legend, sections
// drawn as wide as their lanes and coloured by road type, nodes by their
// kind, turnings by priority, labels on nodes and zones. A GeoPackage keeps
// them in its layer_styles table; shapefiles and FlatGeobuf get a .qml file
// of the same base name.
namespace GisStyles {

// The style of one layer of a multi-layer export. Names only fields of the
// layer.
QString layerStyle(const GisLayers::Layer& layer);

// The style of the one layer of a GeoJSON or FlatGeobuf export, which holds
// every kind told apart by the field "kind".
QString combinedStyle(const QVector<GisLayers::Layer>& layers);

}  // namespace GisStyles
