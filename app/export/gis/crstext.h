#pragma once

#include <QString>

// What a coordinate system given by the user may be: an authority code
// (EPSG:32719, IGNF:LAMB93, urn:ogc:def:crs:EPSG::32719, EPSG:4326+5773),
// one of the names WGS84, WGS72, NAD27, NAD83, a WKT definition, or a PROJ
// string. Nothing that refers to a file or an address: no URL, no "file:",
// no "+init=", no grid (nadgrids, geoidgrids, grids, ...), no path, no
// "ESRI::" file. OGR would otherwise open such files or fetch them.
namespace CrsText {

// Empty when the text may be handed to OGR; otherwise why not, for the user.
QString refusal(const QString& crs);

}  // namespace CrsText
