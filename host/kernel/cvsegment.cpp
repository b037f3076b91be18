#include "cvsegment.h"

CVPoint CVSegment::pointAtDist(double d) const
{
    const double length = getLength2D();
    if (!(length > 0.0))
        return p1;
    const double t = d / length;
    return CVPoint(p1.x + (p2.x - p1.x) * t, p1.y + (p2.y - p1.y) * t, p1.z + (p2.z - p1.z) * t);
}

CVSegment CVSegment::parallelDist(int, double distance) const
{
    const double length = getLength2D();
    if (!(length > 0.0))
        return *this;
    // The right-hand normal of the direction (dx, dy) is (dy, -dx).
    const double nx = (p2.y - p1.y) / length * distance;
    const double ny = -(p2.x - p1.x) / length * distance;
    return CVSegment(CVPoint(p1.x + nx, p1.y + ny, p1.z), CVPoint(p2.x + nx, p2.y + ny, p2.z));
}
