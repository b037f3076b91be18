#pragma once

#include "export/gismodule.h"

#include <cvgeoreference.h>

#include <memory>

class OGRCoordinateTransformation;

// Longitude and latitude of plane points, for a model placed on earth
// (CVGeoReference); made once per model, since the window asks at every
// move of the cursor.
class GeoLocator : public GeoLocation
{
public:
    explicit GeoLocator(const CVGeoReference& where);
    ~GeoLocator() override;
    GeoLocator(const GeoLocator&) = delete;
    GeoLocator& operator=(const GeoLocator&) = delete;

    bool isValid() const { return transform != nullptr; }
    // False where the CRS cannot take the point.
    bool lonLat(const CVPoint& plane, double* lon, double* lat) const override;

private:
    CVGeoReference where;
    std::unique_ptr<OGRCoordinateTransformation> transform;
};
