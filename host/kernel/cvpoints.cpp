#include "cvpoints.h"

#include <cmath>
#include <limits>

namespace {

CVPoint interpolate(const CVPoint& a, const CVPoint& b, double t)
{
    return CVPoint(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t);
}

// Parameter (0..1) of the point of segment a-b nearest to p.
double projectOnSegment(const CVPoint& a, const CVPoint& b, const CVPoint& p)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    if (!(lengthSquared > 0.0))
        return 0.0;
    const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared;
    return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
}

// The list as walked: a closed polyline returns to its first point.
CVPoints walked(const CVPoints& points, bool closed)
{
    CVPoints path = points;
    if (closed && points.size() > 1)
        path.append(points.first());
    return path;
}

}  // namespace

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

double CVPoints::length2D(bool closed) const
{
    const CVPoints path = walked(*this, closed);
    double length = 0.0;
    for (int i = 1; i < path.size(); ++i)
        length += path[i - 1].distance2D(path[i]);
    return length;
}

CVPoint CVPoints::pointAtPos(double pos, bool closed) const
{
    if (isEmpty())
        return CVPoint();
    const CVPoints path = walked(*this, closed);
    if (!(pos > 0.0))  // also catches NaN
        return path.first();
    double walkedSoFar = 0.0;
    for (int i = 1; i < path.size(); ++i) {
        const double piece = path[i - 1].distance2D(path[i]);
        if (walkedSoFar + piece >= pos && piece > 0.0) {
            const double t = (pos - walkedSoFar) / piece;
            return t >= 1.0 ? path[i] : interpolate(path[i - 1], path[i], t);
        }
        walkedSoFar += piece;
    }
    return path.last();
}

int CVPoints::nearestSegment(const CVPoint& p, double* parameter) const
{
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int i = 1; i < size(); ++i) {
        const double t = projectOnSegment(at(i - 1), at(i), p);
        const double distance = interpolate(at(i - 1), at(i), t).distance2D(p);
        if (best < 0 || distance < bestDistance) {
            best = i - 1;
            bestDistance = distance;
            if (parameter)
                *parameter = t;
        }
    }
    return best;
}

double CVPoints::posAtPoint(const CVPoint& p, double, bool closed) const
{
    const CVPoints path = walked(*this, closed);
    double t = 0.0;
    const int segment = path.nearestSegment(p, &t);
    if (segment < 0)
        return 0.0;
    double pos = 0.0;
    for (int i = 1; i <= segment; ++i)
        pos += path[i - 1].distance2D(path[i]);
    return pos + t * path[segment].distance2D(path[segment + 1]);
}

void CVPoints::cut(double pos, CVPoints& first, CVPoints& second) const
{
    first.clear();
    second.clear();
    if (isEmpty())
        return;
    const double length = length2D();
    const double cutPos = pos > 0.0 ? (pos < length ? pos : length) : 0.0;
    const CVPoint cutPoint = pointAtPos(cutPos);
    // A vertex closer than this to the cut is the cut point itself.
    constexpr double sameSpot = 1e-9;
    double vertexPos = 0.0;
    for (int i = 0; i < size(); ++i) {
        if (i > 0)
            vertexPos += at(i - 1).distance2D(at(i));
        if (vertexPos < cutPos - sameSpot)
            first.append(at(i));
        else if (vertexPos > cutPos + sameSpot)
            second.append(at(i));
    }
    first.append(cutPoint);
    second.prepend(cutPoint);
}

bool CVPoints::isPointAtRightArea(const CVPoint& p) const
{
    const int segment = nearestSegment(p, nullptr);
    if (segment < 0)
        return false;
    const CVPoint& a = at(segment);
    const CVPoint& b = at(segment + 1);
    const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    return cross < 0.0;
}

void CVPoints::directionAtPos(double pos, double& dx, double& dy) const
{
    dx = dy = 0.0;
    double walkedSoFar = 0.0;
    for (int i = 1; i < size(); ++i) {
        const double piece = at(i - 1).distance2D(at(i));
        if (!(piece > 0.0))
            continue;
        dx = (at(i).x - at(i - 1).x) / piece;
        dy = (at(i).y - at(i - 1).y) / piece;
        walkedSoFar += piece;
        if (walkedSoFar >= pos)
            return;
    }
}
