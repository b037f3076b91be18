#include "export/gis/gisplacement.h"

#include <cvgeoreference.h>

#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace GisPlacement {
namespace {

constexpr double EarthRadiusKm = 6371.0;

double radians(double degrees)
{
    return degrees * M_PI / 180.0;
}

double greatCircleKm(double lon1, double lat1, double lon2, double lat2)
{
    const double dLat = radians(lat2 - lat1);
    const double dLon = radians(lon2 - lon1);
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2)
                     + std::cos(radians(lat1)) * std::cos(radians(lat2)) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * EarthRadiusKm * std::atan2(std::sqrt(a), std::sqrt(std::max(0.0, 1.0 - a)));
}

// The nearest longitude of [west, east], which may cross the antimeridian.
double nearestLongitude(double lon, double west, double east)
{
    const bool crosses = west > east;
    const bool inside = crosses ? (lon >= west || lon <= east) : (lon >= west && lon <= east);
    if (inside)
        return lon;
    const auto gap = [](double a, double b) {
        const double d = std::fabs(a - b);
        return std::min(d, 360.0 - d);
    };
    return gap(lon, west) <= gap(lon, east) ? west : east;
}

}  // namespace

void Extent::add(const GisLayers::Layer& layer, const CVGeoReference& where)
{
    for (const GisLayers::Feature& feature : layer.features) {
        for (const CVPoint& plane : feature.geometry) {
            const CVPoint p = where.place(plane);
            if (!std::isfinite(p.x) || !std::isfinite(p.y))
                continue;
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
}

bool Extent::middle(double& x, double& y) const
{
    if (minX > maxX)
        return false;
    x = (minX + maxX) / 2.0;
    y = (minY + maxY) / 2.0;
    return true;
}

double distanceOutsideArea(const OGRSpatialReference& srs, const Extent& placed, QString* areaName,
                           bool* transformable)
{
    *transformable = true;
    double west = 0.0, south = 0.0, east = 0.0, north = 0.0;
    const char* name = nullptr;
    if (!srs.GetAreaOfUse(&west, &south, &east, &north, &name) || west < -1000.0)
        return -1.0;  // PROJ gives -1000 where the CRS declares no area
    if (areaName)
        *areaName = QString::fromUtf8(name ? name : "");
    double x = 0.0, y = 0.0;
    if (!placed.middle(x, y))
        return -1.0;
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference source(srs);
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toLonLat(OGRCreateCoordinateTransformation(&source, &wgs84));
    double lon = x, lat = y;
    if (!toLonLat || !toLonLat->Transform(1, &lon, &lat) || !std::isfinite(lon) || !std::isfinite(lat)
        || std::fabs(lat) > 90.0) {
        *transformable = false;
        return -1.0;
    }
    const double nearestLon = nearestLongitude(lon, west, east);
    const double nearestLat = std::clamp(lat, south, north);
    return greatCircleKm(lon, lat, nearestLon, nearestLat);
}

QString outsideWarning(const OGRSpatialReference& srs, const Extent& placed, const CVGeoReference& where)
{
    QString area;
    bool transformable = true;
    const double km = distanceOutsideArea(srs, placed, &area, &transformable);
    const QString advice =
        where.hasOrigin()
            ? QStringLiteral("check the origin (%1) and the coordinate system").arg(where.originText())
            : QStringLiteral("if the network is drawn on a local grid, give the position of the grid's origin in %1 "
                             "with --origin EASTING,NORTHING[,ROTATION] (see docs/gis.md)")
                  .arg(where.crs);
    if (!transformable)
        return QStringLiteral("the features lie outside the range of %1 and cannot be placed on earth; %2")
            .arg(where.crs, advice);
    if (km <= 1.0)
        return QString();
    return QStringLiteral("the features lie %1 km outside the area of use of %2 (%3); %4")
        .arg(QString::number(km, 'f', 0), where.crs, area, advice);
}

}  // namespace GisPlacement
