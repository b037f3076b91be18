#include "cvturning.h"

#include "cvfieldwriter.h"
#include "cvmappainter.h"
#include "cvmapstyle.h"
#include "cvnode.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvsection.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

CV_REGISTER_TYPE(CVTurning)

namespace {

constexpr double DefaultSectionSpeed = 50.0;
constexpr int CurveSteps = 12;

// Sideways distance, to the left of the centre line, of the middle of a
// lane range: lanes are counted from the left and centred on the line.
double laneRangeOffset(const CVSection& section, int from, int to, bool toLanes)
{
    if (!toLanes)
        return 0.0;
    const double middleLane = (from + to) * 0.5;
    return ((section.getNbLanes() - 1) * 0.5 - middleLane) * section.getLaneWidth();
}

// The point at a position of a section's centre line moved sideways to
// the left by offset, with the line's direction there.
CVPoint pointBeside(const CVSection& section, double pos, double offset, double& dx, double& dy)
{
    const CVPoints& points = section.getPoints();
    points.directionAtPos(pos, dx, dy);
    const CVPoint onLine = points.pointAtPos(pos);
    return CVPoint(onLine.x - dy * offset, onLine.y + dx * offset, onLine.z);
}

}  // namespace

void CVTurning::setSections(CVSection* originSection, CVSection* destinationSection)
{
    origin = originSection;
    destination = destinationSection;
    updatePath(true);
}

void CVTurning::setOriginLanes(int from, int to)
{
    originFromLane = std::min(from, to);
    originToLane = std::max(from, to);
}

void CVTurning::setDestinationLanes(int from, int to)
{
    destinationFromLane = std::min(from, to);
    destinationToLane = std::max(from, to);
}

double CVTurning::calculateSpeed() const
{
    auto sectionSpeed = [](const CVSection* section) {
        const double value = section ? section->getSpeed() : 0.0;
        return value > 0.0 ? value : DefaultSectionSpeed;
    };
    const double base = std::min(sectionSpeed(origin), sectionSpeed(destination));
    const double factor = std::cos(std::fabs(calcAngleSections()) * 0.5);
    return std::max(MinimumSpeed, base * factor);
}

double CVTurning::calcAngleSections() const
{
    if (!origin || !destination)
        return 0.0;
    const CVPoints& in = origin->getPoints();
    const CVPoints& out = destination->getPoints();
    if (in.size() < 2 || out.size() < 2)
        return 0.0;
    return CVPoints::angleBetweenLines(in[in.size() - 2], in.last(), out[0], out[1]);
}

void CVTurning::updatePath(bool toLanes)
{
    double dx = 0.0, dy = 0.0;
    if (origin && !origin->getPoints().isEmpty())
        pathStart = pointBeside(*origin, origin->length2D(),
                                laneRangeOffset(*origin, originFromLane, originToLane, toLanes), dx, dy);
    if (destination && !destination->getPoints().isEmpty())
        pathEnd = pointBeside(*destination, 0.0,
                              laneRangeOffset(*destination, destinationFromLane, destinationToLane, toLanes), dx, dy);
    increaseTick();
}

void CVTurning::curve()
{
    double inX = 0.0, inY = 0.0, outX = 0.0, outY = 0.0;
    if (origin)
        origin->getPoints().directionAtPos(origin->length2D(), inX, inY);
    if (destination)
        destination->getPoints().directionAtPos(0.0, outX, outY);
    const double reach = pathStart.distance2D(pathEnd) / 3.0;
    const CVPoint c1(pathStart.x + inX * reach, pathStart.y + inY * reach, pathStart.z);
    const CVPoint c2(pathEnd.x - outX * reach, pathEnd.y - outY * reach, pathEnd.z);
    drawnCurve = Curve{pathStart, c1, c2, pathEnd};
    curved = true;
    pathPoints.reset();
    increaseTick();
}

// The cubic curve through its control points, in CurveSteps pieces.
template <typename Visit>
void CVTurning::forEachCurvePoint(Visit visit) const
{
    const CVPoint& p0 = drawnCurve.start;
    const CVPoint& c1 = drawnCurve.control1;
    const CVPoint& c2 = drawnCurve.control2;
    const CVPoint& p1 = drawnCurve.end;
    visit(p0);
    for (int step = 1; step < CurveSteps; ++step) {
        const double t = double(step) / CurveSteps, u = 1.0 - t;
        const double a = u * u * u, b = 3.0 * u * u * t, c = 3.0 * u * t * t, d = t * t * t;
        visit(CVPoint(a * p0.x + b * c1.x + c * c2.x + d * p1.x, a * p0.y + b * c1.y + c * c2.y + d * p1.y,
                      a * p0.z + b * c1.z + c * c2.z + d * p1.z));
    }
    visit(p1);
}

const CVPoints& CVTurning::readPath() const
{
    static const CVPoints none;
    return pathPoints ? *pathPoints : none;
}

CVPoints CVTurning::getPath() const
{
    if (!curved)
        return readPath();
    CVPoints points;
    points.reserve(CurveSteps + 1);
    forEachCurvePoint([&points](const CVPoint& point) { points.append(point); });
    return points;
}

void CVTurning::writeFields(CVFieldWriter& json) const
{
    json.insertId(QStringLiteral("node"), node);
    json.insertId(QStringLiteral("origin"), origin);
    json.insertId(QStringLiteral("destination"), destination);
    json.insert(QStringLiteral("originLanes"), QJsonArray{originFromLane, originToLane});
    json.insert(QStringLiteral("destinationLanes"), QJsonArray{destinationFromLane, destinationToLane});
    json.insert(QStringLiteral("warningIndicator"), warningIndicator);
    json.insert(QStringLiteral("autoSpeed"), autoSpeed);
    json.insert(QStringLiteral("speed"), speed);
    json.insert(QStringLiteral("path"), getPath());
}

CVBBox CVTurning::getBoundingBox() const
{
    CVBBox box;
    const auto extend = [&box](const CVPoint& point) {
        if (point.isFinite())
            box.extend(point);
    };
    if (curved)
        forEachCurvePoint(extend);
    else
        std::for_each(readPath().cbegin(), readPath().cend(), extend);
    return box;
}

void CVTurning::draw(CVMapPainter& map) const
{
    if ((!curved && readPath().size() < 2) || map.getPixelsPerMetre() < CVMapStyle::MinimumZoomForTurnings
        || map.hides(getTypeName()))
        return;
    QColor colour = CVMapStyle::turningMajor();
    if (warningIndicator == 1)
        colour = CVMapStyle::turningMedium();
    else if (warningIndicator >= 2)
        colour = CVMapStyle::turningMinor();
    map.drawLine(getPath(), map.isSelected(this) ? CVMapStyle::roadSelected() : colour,
                 map.getPixelsPerMetre() >= 4.0 ? 1.5 : 1.0);
}

void CVTurning::readFields(const CVSavedObject& json, CVReadContext& context)
{
    node = context.objectAs<CVNode>(json.value(QStringLiteral("node")));
    origin = context.objectAs<CVSection>(json.value(QStringLiteral("origin")));
    destination = context.objectAs<CVSection>(json.value(QStringLiteral("destination")));
    const QJsonArray originLanes = json.value(QStringLiteral("originLanes")).toArray();
    originFromLane = originLanes.at(0).toInt();
    originToLane = originLanes.at(1).toInt();
    const QJsonArray destinationLanes = json.value(QStringLiteral("destinationLanes")).toArray();
    destinationFromLane = destinationLanes.at(0).toInt();
    destinationToLane = destinationLanes.at(1).toInt();
    warningIndicator = json.value(QStringLiteral("warningIndicator")).toInt();
    autoSpeed = json.value(QStringLiteral("autoSpeed")).toBool();
    speed = CVReadContext::number(json.value(QStringLiteral("speed")));
    CVPoints path = json.points(QStringLiteral("path"));
    curved = false;
    if (!path.isEmpty()) {
        pathStart = path.first();
        pathEnd = path.last();
    }
    pathPoints = std::make_unique<CVPoints>(std::move(path));
}

namespace {

// A range of lanes [from, to] of a section: a section without lanes still
// has lane 0, as the import places objects on it.
bool withinLanes(const CVSection* section, int from, int to)
{
    return from >= 0 && from <= to && to <= std::max(0, section->getNbLanes() - 1);
}

}  // namespace

QString CVTurning::readProblem() const
{
    if (!node || !origin || !destination)
        return QStringLiteral("is a turning without its node, origin or destination section");
    if (!withinLanes(origin, originFromLane, originToLane))
        return QStringLiteral("has origin lanes [%1, %2] outside its section's %3")
            .arg(originFromLane).arg(originToLane).arg(origin->getNbLanes());
    if (!withinLanes(destination, destinationFromLane, destinationToLane))
        return QStringLiteral("has destination lanes [%1, %2] outside its section's %3")
            .arg(destinationFromLane).arg(destinationToLane).arg(destination->getNbLanes());
    for (const CVPoint& point : pathPoints ? *pathPoints : CVPoints()) {
        if (const QString problem = CVReadContext::positionProblem(point); !problem.isEmpty())
            return problem;
    }
    return QString();
}
