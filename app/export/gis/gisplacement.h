#pragma once

#include "export/gis/gislayers.h"

#include <QString>
#include <QVector>

#include <limits>

class OGRSpatialReference;
struct CVGeoReference;

// Checks that a network placed in a CRS lands where that CRS is meant to be
// used. Paramics networks are often drawn on a local grid whose numbers,
// read as coordinates of a national or UTM system, put the network on
// another continent or under the ice; nothing else would tell the user.
namespace GisPlacement {

// The box the placed features span, in the CRS, gathered layer by layer.
class Extent
{
public:
    void add(const GisLayers::Layer& layer, const CVGeoReference& where);
    // The box's middle; false while it holds no finite position.
    bool middle(double& x, double& y) const;

private:
    double minX = std::numeric_limits<double>::max(), minY = minX;
    double maxX = -minX, maxY = -minX;
};

// The distance in kilometres from the placed features' middle to the CRS's
// area of use; 0 inside it, negative when the CRS declares no area or the
// features cannot be transformed to longitude and latitude at all (then
// beyond every area: the caller warns too, see outsideWarning).
double distanceOutsideArea(const OGRSpatialReference& srs, const Extent& placed, QString* areaName,
                           bool* transformable);

// One line for the user when the features lie more than a kilometre outside
// the area of use; empty otherwise.
QString outsideWarning(const OGRSpatialReference& srs, const Extent& placed, const CVGeoReference& where);

}  // namespace GisPlacement
