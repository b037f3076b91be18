#pragma once

#include "cvpoint.h"

#include <QVector>

// An ordered list of points: a polyline in the model plane. Positions along
// it are arc lengths in metres from its first point, measured in the plane.
class CRVKERNEL_EXPORT CVPoints : public QVector<CVPoint>
{
public:
    using QVector<CVPoint>::QVector;
    CVPoints() = default;
    CVPoints(const QVector<CVPoint>& points) : QVector<CVPoint>(points) {}

    // Signed angle, counter-clockwise positive, from the direction a1->a2 to
    // the direction b1->b2, in (-pi, pi]. A zero-length direction gives 0.
    static double angleBetweenLines(const CVPoint& a1, const CVPoint& a2, const CVPoint& b1, const CVPoint& b2);

    // Plane length of the polyline; a closed one also counts the way back
    // from the last point to the first.
    double length2D(bool closed = false) const;

    // The point at arc-length pos, clamped to the polyline's ends. Heights
    // are interpolated. An empty list gives the origin.
    CVPoint pointAtPos(double pos, bool closed = false) const;

    // The arc-length position of the point of the polyline nearest to p.
    // The host always answers with the nearest position, however far p is:
    // the tolerance only states how far callers expect p to be.
    double posAtPoint(const CVPoint& p, double tolerance = 0.0, bool closed = false) const;

    // Splits the polyline at arc-length pos: first runs from the start to
    // the point at pos, second from that point to the end. A cut at a
    // vertex does not repeat it; pos is clamped to the polyline.
    void cut(double pos, CVPoints& first, CVPoints& second) const;

    // True when p lies strictly to the right of the polyline's direction at
    // the segment nearest to p (the first one among equally near segments).
    bool isPointAtRightArea(const CVPoint& p) const;

    // Unit direction (dx, dy) of the polyline at arc-length pos: that of the
    // segment holding pos. (0, 0) when the polyline has no length.
    void directionAtPos(double pos, double& dx, double& dy) const;

private:
    // Index of the segment nearest to p and the parameter (0..1) of the
    // nearest point on it; -1 when the list has fewer than two points.
    int nearestSegment(const CVPoint& p, double* parameter) const;
};
