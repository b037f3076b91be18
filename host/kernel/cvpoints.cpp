#include "cvpoints.h"

#include <cmath>

double CVPoints::angleBetweenLines(const CVPoint& a1, const CVPoint& a2, const CVPoint& b1, const CVPoint& b2)
{
    const double ax = a2.x - a1.x, ay = a2.y - a1.y;
    const double bx = b2.x - b1.x, by = b2.y - b1.y;
    if ((ax == 0.0 && ay == 0.0) || (bx == 0.0 && by == 0.0))
        return 0.0;
    double angle = std::atan2(ax * by - ay * bx, ax * bx + ay * by);
    if (angle <= -CVPI)
        angle = CVPI;
    return angle;
}
