#pragma once

#include "export/gisformat.h"

#include <QString>
#include <QStringList>

#include <optional>

class CVModel;
struct CVGeoReference;

// Writes the model for GIS tools through OGR, in the format that the file's
// extension names (GisFormats::of):
// - .gpkg: a GeoPackage with one layer per kind of object (see
//   GisLayers::fromModel) and a default style for each (GisStyles);
// - .shp: a folder of that name with one shapefile per kind;
// - .geojson (.json) and .fgb: one layer ("network") holding every kind,
//   told apart by the field "kind" (these formats hold one layer a file).
// Shapefiles and FlatGeobuf get their styles in .qml files beside them.
// With a CRS (an authority code, WKT or a PROJ string, see CrsText) the
// file carries it, and the plane is placed by the origin and rotation; GeoJSON is reprojected to WGS 84 longitude and
// latitude, as GeoJSON readers expect. Without one, GeoPackage, FlatGeobuf
// and shapefiles get a local engineering CRS in metres, and GeoJSON keeps
// the plane metres with a warning. Plane coordinates are rounded to the
// millimetre, geographic ones to 1e-7 degree.
class GisExporter
{
public:
    using Format = GisFormat;

    // True when OGR understands the CRS; otherwise false, with its reason.
    static bool checkCrs(const QString& crs, QString* error);

    // Why the export cannot place the network so (a CRS that is refused, an
    // origin without a CRS or in a CRS of degrees); empty when it can.
    static QString placementRefusal(const CVGeoReference& where);

    // False, with the reason in error, when the file cannot be written.
    // Warnings for the user (not errors) are appended to warnings: among
    // them, features that land outside the CRS's area of use.
    static bool write(const CVModel& model, const QString& path, const std::optional<CVGeoReference>& where,
                      QStringList* warnings, QString* error);
    // The same in the given format, whatever the file's extension.
    static bool write(const CVModel& model, const QString& path, Format format,
                      const std::optional<CVGeoReference>& where, QStringList* warnings, QString* error);

    static constexpr const char* LocalCrsName = "Corvia network plane";
};
