#include "cvbeziercurve.h"

#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVBezierCurve)

namespace {

CVPoint cubicBezier(const CVPoint& a, const CVPoint& b, const CVPoint& c, const CVPoint& d, double t)
{
    const double u = 1.0 - t;
    const double wa = u * u * u, wb = 3.0 * u * u * t, wc = 3.0 * u * t * t, wd = t * t * t;
    return CVPoint(wa * a.x + wb * b.x + wc * c.x + wd * d.x,
                   wa * a.y + wb * b.y + wc * c.y + wd * d.y,
                   wa * a.z + wb * b.z + wc * c.z + wd * d.z);
}

// Control point at a third of the tangent that runs from 'before' to 'after'
// (a Catmull-Rom tangent), taken from 'at' in the given direction.
CVPoint tangentHandle(const CVPoint& at, const CVPoint& before, const CVPoint& after, double sign)
{
    return CVPoint(at.x + sign * (after.x - before.x) / 6.0, at.y + sign * (after.y - before.y) / 6.0,
                   at.z + sign * (after.z - before.z) / 6.0);
}

}  // namespace

void CVBezierCurve::setFromSegment(const CVPoint& from, const CVPoint& to, int type)
{
    points = CVPoints{from, to};
    curveType = type;
    increaseTick();
}

void CVBezierCurve::setFromPoints(const CVPoints& newPoints, int type)
{
    points = newPoints;
    curveType = type;
    increaseTick();
}

CVPoints CVBezierCurve::drawingPoints(int stepsPerPiece) const
{
    const int n = int(points.size());
    if (curveType == Segment || n < 3 || stepsPerPiece < 1)
        return points;
    // A Catmull-Rom spline through the points, written as cubic Bézier
    // pieces; the ends repeat their point so the curve starts and ends
    // along its first and last pieces.
    CVPoints curve;
    curve.append(points.first());
    for (int i = 0; i + 1 < n; ++i) {
        const CVPoint& p0 = points[i > 0 ? i - 1 : i];
        const CVPoint& p1 = points[i];
        const CVPoint& p2 = points[i + 1];
        const CVPoint& p3 = points[i + 2 < n ? i + 2 : i + 1];
        const CVPoint c1 = tangentHandle(p1, p0, p2, 1.0);
        const CVPoint c2 = tangentHandle(p2, p1, p3, -1.0);
        for (int step = 1; step < stepsPerPiece; ++step)
            curve.append(cubicBezier(p1, c1, c2, p2, double(step) / stepsPerPiece));
        curve.append(p2);
    }
    return curve;
}

void CVBezierCurve::copyCurveFrom(const CVBezierCurve& other)
{
    points = other.points;
    curveType = other.curveType;
}

void CVBezierCurve::writeFields(CVFieldWriter& json) const
{
    json.insert(QStringLiteral("points"), points);
    json.insert(QStringLiteral("curveType"), curveType);
}

void CVBezierCurve::readFields(const CVSavedObject& json, CVReadContext&)
{
    points = json.points(QStringLiteral("points"));
    curveType = json.value(QStringLiteral("curveType")).toInt();
}

QString CVBezierCurve::readProblem() const
{
    for (const CVPoint& point : points) {
        if (const QString problem = CVReadContext::positionProblem(point); !problem.isEmpty())
            return problem;
    }
    return QString();
}
