#pragma once

#include "cvexport.h"
#include "cvpoints.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// Where the model's plane lies on earth: the coordinate system (CRS) of
// its coordinates, and, for networks drawn on a local grid, the position
// of the plane's origin in that CRS and the grid's rotation. Kept with the
// model and saved in its file, so that every export places the network
// alike.
struct CRVKERNEL_EXPORT CVGeoReference
{
    // The CRS as its user gave it (an authority code, WKT or a PROJ string).
    QString crs;
    // The plane's (0, 0) in the CRS; (0, 0) when the plane's coordinates
    // are the CRS's own.
    double originEasting = 0.0;
    double originNorthing = 0.0;
    // Degrees, counter-clockwise, from the CRS's easting axis to the
    // plane's x axis.
    double rotation = 0.0;

    // Values beyond these are not coordinates on earth in any CRS.
    static constexpr double MaximumOffset = 1.0e8;
    static constexpr double MaximumRotation = 360.0;
    static constexpr int MaximumCrsLength = 1 << 16;

    bool hasOrigin() const { return originEasting != 0.0 || originNorthing != 0.0 || rotation != 0.0; }
    // A plane point in the CRS.
    CVPoint place(const CVPoint& plane) const;

    bool operator==(const CVGeoReference& other) const;
    bool operator!=(const CVGeoReference& other) const { return !(*this == other); }

    // The model file's form: {"crs": text, "origin": [easting, northing],
    // "rotation": degrees}.
    QJsonObject toJson() const;
    // Nothing, with a reason in problem, when the object is not of that
    // form or a value is out of range.
    static std::optional<CVGeoReference> fromJson(const QJsonObject& json, QString* problem);
    // "EASTING,NORTHING" or "EASTING,NORTHING,ROTATION" into this; false,
    // with a reason, when the text is not of that form or out of range.
    bool setOrigin(const QString& text, QString* problem);
    QString originText() const;
};
