#pragma once

#include "cvpoint.h"

// An axis-aligned box in the model plane; empty until set or extended.
class CRVKERNEL_EXPORT CVBBox
{
public:
    CVBBox() = default;

    // Corners given as two x values then two y values, in any order.
    void set(double x1, double x2, double y1, double y2);
    void extend(const CVPoint& p);
    bool isEmpty() const { return empty; }
    bool contains(const CVPoint& p) const;

    CVPoint getMin() const { return minPoint; }
    CVPoint getMax() const { return maxPoint; }
    double width() const { return empty ? 0.0 : maxPoint.x - minPoint.x; }
    double height() const { return empty ? 0.0 : maxPoint.y - minPoint.y; }

private:
    bool empty = true;
    CVPoint minPoint;
    CVPoint maxPoint;
};
