#pragma once

#include "cvpoint.h"

// A directed straight piece from a start point to an end point.
class CRVKERNEL_EXPORT CVSegment
{
public:
    CVPoint p1;
    CVPoint p2;

    CVSegment() = default;
    CVSegment(const CVPoint& start, const CVPoint& end) : p1(start), p2(end) {}

    void set(const CVPoint& start, const CVPoint& end)
    {
        p1 = start;
        p2 = end;
    }
    double getLength2D() const { return p1.distance2D(p2); }

    // The point at plane distance d from the start along the segment's
    // direction; d may lie outside 0..length, the line is then extended.
    // A segment without length gives its start point.
    CVPoint pointAtDist(double d) const;

    // The segment moved sideways by |distance| metres: to the right of its
    // direction when distance > 0, to the left when it is negative. Side 0
    // moves both ends alike; no other side is used. A segment without
    // length is returned unmoved.
    CVSegment parallelDist(int side, double distance) const;
};
