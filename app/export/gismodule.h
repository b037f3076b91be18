#pragma once

#include "export/gis/gislayers.h"
#include "export/gisformat.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CVModel;
struct CVGeoReference;
struct CVPoint;

// Longitude and latitude of plane points, for a model placed on earth.
class GeoLocation
{
public:
    virtual ~GeoLocation() = default;
    // False where the coordinate system cannot take the point.
    virtual bool lonLat(const CVPoint& plane, double* lon, double* lat) const = 0;
};

// Everything of the application that needs GDAL, OGR, PROJ or SQLite, in the
// library corviagis that is loaded the first time one of them is asked for
// (GisModule::load): a command or a window that writes no GIS file does
// not load those libraries at all. The module's code is export/gis/.
class GisModule
{
public:
    static constexpr const char* libraryName = "corviagis";
    // The module's one exported function: extern "C" const GisModule* CorviaGisModule().
    static constexpr const char* factoryName = "CorviaGisModule";
    using Factory = const GisModule* (*)();

    // The module, loaded from where the plug-in is looked for (see
    // PluginLoader::searchFolders) the first time; nothing when it cannot be,
    // with the reason in one line naming the library (the same every time).
    static const GisModule* load(QString* error);

    // True when the coordinate system is one that may be used and that OGR
    // knows; otherwise false, with the reason for the user.
    virtual bool checkCrs(const QString& crs, QString* error) const = 0;
    // Why the model cannot be placed so (a CRS that is refused, an origin
    // without a CRS or in a CRS of degrees); empty when it can.
    virtual QString placementRefusal(const CVGeoReference& where) const = 0;
    // The GIS export of the model (see export/gis/gisexporter.h). False,
    // with the reason in error, when the file cannot be written; warnings
    // for the user are appended to warnings.
    virtual bool write(const CVModel& model, const QString& path, GisFormat format,
                       const std::optional<CVGeoReference>& where, QStringList* warnings, QString* error) const = 0;
    // One layer of points (a feature without points has no geometry) in a
    // new file at path, without a coordinate system. GeoPackage or GeoJSON.
    virtual bool writePoints(const GisLayers::Layer& layer, const QString& path, GisFormat format,
                             QString* error) const = 0;
    // Nothing when the reference names no usable coordinate system.
    virtual std::unique_ptr<GeoLocation> locator(const CVGeoReference& where) const = 0;

protected:
    ~GisModule() = default;
};
