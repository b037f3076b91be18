#pragma once

#include "check/checkfinding.h"

#include <QString>

// Writes a check's findings for tools, one row or feature per finding with
// the fields kind, severity, text, objects (their Paramics names), ids
// (their host ids) and trips: CSV, or through the GIS module a GeoPackage
// (.gpkg) or GeoJSON (.geojson, .json) of points at the findings' positions
// (findings without a position have no geometry). Other extensions are CSV.
// The file appears complete or not at all.
namespace ProblemsFile {

// A GeoPackage or GeoJSON file, which needs the GIS module.
bool isGisFile(const QString& path);
bool write(const CheckReport& report, const QString& path, QString* error);

}  // namespace ProblemsFile
