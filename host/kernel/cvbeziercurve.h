#pragma once

#include "cvgeoobject.h"
#include "cvpoints.h"

// A map object drawn along a line: a straight segment or a curve through a
// list of points. Its geometry (lengths, positions, cuts) is that of the
// polyline through its points; a curve of several pieces is drawn smoothly
// through the same points (drawingPoints).
class CRVKERNEL_EXPORT CVBezierCurve : public CVGeoObject
{
public:
    // Curve types: a straight segment, or a curve through the given points.
    enum CurveType { Segment = 0, PointList = 1 };

    CVBezierCurve(CVModel* model, const CVType* type) : CVGeoObject(model, type) {}

    void setFromSegment(const CVPoint& from, const CVPoint& to, int curveType);
    void setFromPoints(const CVPoints& newPoints, int curveType);

    const CVPoints& getPoints() const { return points; }
    int getCurveType() const { return curveType; }
    double length2D(bool closed = false) const { return points.length2D(closed); }

    // The line as drawn: the points themselves for a segment or a two-point
    // curve, otherwise a smooth curve through every point, sampled with
    // stepsPerPiece steps per piece between two given points.
    CVPoints drawingPoints(int stepsPerPiece = 12) const;

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    QString readProblem() const override;

protected:
    void copyCurveFrom(const CVBezierCurve& other);

private:
    CVPoints points;
    int curveType = Segment;
};
