#pragma once

#include "cvpoint.h"

#include <QVector>

// An ordered list of points: a polyline in the model plane.
class CRVKERNEL_EXPORT CVPoints : public QVector<CVPoint>
{
public:
    using QVector<CVPoint>::QVector;
    CVPoints() = default;
    CVPoints(const QVector<CVPoint>& points) : QVector<CVPoint>(points) {}

    // Signed angle, counter-clockwise positive, from the direction a1->a2 to
    // the direction b1->b2, in (-pi, pi]. A zero-length direction gives 0.
    static double angleBetweenLines(const CVPoint& a1, const CVPoint& a2, const CVPoint& b1, const CVPoint& b2);
};
