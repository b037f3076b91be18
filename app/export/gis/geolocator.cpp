#include "export/gis/geolocator.h"

#include "export/gis/gisexporter.h"

#include <cpl_error.h>
#include <ogr_spatialref.h>

#include <cmath>

GeoLocator::GeoLocator(const CVGeoReference& reference) : where(reference)
{
    if (!GisExporter::placementRefusal(where).isEmpty() || where.crs.isEmpty())
        return;
    CPLPushErrorHandler(CPLQuietErrorHandler);
    OGRSpatialReference source;
    OGRSpatialReference wgs84;
    if (source.SetFromUserInput(where.crs.toUtf8().constData(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS)
        == OGRERR_NONE) {
        wgs84.SetWellKnownGeogCS("WGS84");
        source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        transform.reset(OGRCreateCoordinateTransformation(&source, &wgs84));
    }
    CPLPopErrorHandler();
}

GeoLocator::~GeoLocator() = default;

bool GeoLocator::lonLat(const CVPoint& plane, double* lon, double* lat) const
{
    if (!transform)
        return false;
    const CVPoint placed = where.place(plane);
    double x = placed.x, y = placed.y;
    if (!transform->Transform(1, &x, &y) || !std::isfinite(x) || !std::isfinite(y))
        return false;
    *lon = x;
    *lat = y;
    return true;
}
