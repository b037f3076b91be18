#pragma once

#include <QString>
#include <QStringList>

class CVModel;

// Writes the model for GIS tools through OGR, in the format that the file's
// extension names:
// - .gpkg: a GeoPackage with one layer per kind of object (sections, nodes,
//   centroids, centroid_connections, bus_stops, detectors, signs, labels);
// - .shp: a folder of that name with one shapefile per kind;
// - .geojson (.json) and .fgb: one layer ("network") holding every kind,
//   told apart by the field "kind" (these formats hold one layer a file).
// With a CRS (anything OGR's SetFromUserInput reads, e.g. "EPSG:32719")
// the file carries it; GeoJSON is reprojected to WGS 84 longitude and
// latitude, as GeoJSON readers expect. Without one, GeoPackage, FlatGeobuf
// and shapefiles get a local engineering CRS in metres, and GeoJSON keeps
// the plane metres with a warning. Plane coordinates are rounded to the
// millimetre, geographic ones to 1e-7 degree.
class GisExporter
{
public:
    enum class Format { Unknown, GeoPackage, GeoJson, FlatGeobuf, Shapefile };

    static Format formatOf(const QString& path);
    // The file extensions formatOf knows, for messages and file dialogs.
    static QString knownExtensions();
    // True when OGR understands the CRS; otherwise false, with its reason.
    static bool checkCrs(const QString& crs, QString* error);

    // False, with the reason in error, when the file cannot be written.
    // Warnings for the user (not errors) are appended to warnings.
    static bool write(const CVModel& model, const QString& path, const QString& crs, QStringList* warnings,
                      QString* error);
    // The same in the given format, whatever the file's extension.
    static bool write(const CVModel& model, const QString& path, Format format, const QString& crs,
                      QStringList* warnings, QString* error);

    static constexpr const char* LocalCrsName = "Corvia network plane";
};
