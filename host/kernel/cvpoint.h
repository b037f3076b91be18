#pragma once

#include "cvexport.h"

#include <cmath>

// A position in the model plane: metres, x east, y north, z up.
class CRVKERNEL_EXPORT CVPoint
{
public:
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    CVPoint() = default;
    CVPoint(double px, double py, double pz = 0.0) : x(px), y(py), z(pz) {}

    // Plane distance: heights do not count.
    double distance2D(const CVPoint& other) const { return std::hypot(other.x - x, other.y - y); }
    // Angle of the vector from this point to p, counter-clockwise from the x axis, in (-pi, pi].
    double getAngleHorizontalInRads(const CVPoint& p) const { return std::atan2(p.y - y, p.x - x); }
    bool isFinite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

    bool operator==(const CVPoint& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const CVPoint& o) const { return !(*this == o); }
};

constexpr double CVPI = 3.14159265358979323846;
