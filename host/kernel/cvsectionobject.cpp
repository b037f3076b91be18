#include "cvsectionobject.h"

#include "cvfieldwriter.h"
#include "cvmapstyle.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvsection.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

CV_REGISTER_TYPE(CVBusStop)
CV_REGISTER_TYPE(CVDetector)
CV_REGISTER_TYPE(CVVMS)

void CVSectionObject::writeFields(CVFieldWriter& json) const
{
    const CVGeoObject* section = getSection();
    json.insertId(QStringLiteral("section"), section);
    json.insert(QStringLiteral("position"), double(position));
    json.insert(QStringLiteral("lanes"), QJsonArray{fromLane, toLane});
    json.insert(QStringLiteral("length"), double(length));
}

namespace {

// Whatever its recorded length, an object on the map is at least this long.
constexpr double MinimumDrawnLength = 1.0;

}  // namespace

CVPoints CVSectionObject::mapLine(double& width) const
{
    width = 0.0;
    const auto* section = dynamic_cast<const CVSection*>(getSection());
    if (!section || !std::isfinite(position) || !std::isfinite(length))
        return CVPoints();
    const CVSectionDrawing& shape = section->getDrawing();
    // Lanes outside the section are taken as its nearest lane.
    const int lastLane = std::max(1, section->getNbLanes()) - 1;
    const int first = std::clamp(std::min(fromLane, toLane), 0, lastLane);
    const int last = std::clamp(std::max(fromLane, toLane), 0, lastLane);
    width = (last - first + 1) * shape.getLaneWidth();
    const double from = std::clamp(double(position), 0.0, section->length2D());
    const double drawnLength = std::max(double(length), MinimumDrawnLength);
    return shape.besideLine(shape.laneOffset(first, last), from, from + drawnLength);
}

CVBBox CVSectionObject::getBoundingBox() const
{
    double width = 0.0;
    const CVPoints line = mapLine(width);
    CVBBox box;
    for (const CVPoint& point : line) {
        box.extend(CVPoint(point.x - width / 2.0, point.y - width / 2.0));
        box.extend(CVPoint(point.x + width / 2.0, point.y + width / 2.0));
    }
    return box;
}

void CVSectionObject::draw(CVMapPainter& map) const
{
    double width = 0.0;
    const CVPoints line = mapLine(width);
    if (line.size() < 2)
        return;
    const QColor colour = mapColour();
    map.drawBand(line, width, colour);
    map.drawMarker(line.pointAtPos(line.length2D() / 2.0), mapMarker(), colour, 7.0);
}

QColor CVBusStop::mapColour() const
{
    return CVMapStyle::busStop();
}

QColor CVDetector::mapColour() const
{
    return CVMapStyle::detector();
}

QColor CVVMS::mapColour() const
{
    return CVMapStyle::messageSign();
}

void CVSectionObject::readFields(const CVSavedObject& json, CVReadContext& context)
{
    if (auto* section = context.objectAs<CVSection>(json.value(QStringLiteral("section"))))
        section->addTopObject(this);
    position = float(CVReadContext::number(json.value(QStringLiteral("position"))));
    const QJsonArray laneRange = json.value(QStringLiteral("lanes")).toArray();
    setLanes(laneRange.at(0).toInt(), laneRange.at(1).toInt());
    length = float(CVReadContext::number(json.value(QStringLiteral("length"))));
}

QString CVSectionObject::readProblem() const
{
    const auto* section = dynamic_cast<const CVSection*>(getSection());
    if (!section)
        return QString();
    if (fromLane < 0 || fromLane > toLane || toLane > std::max(0, section->getNbLanes() - 1))
        return QStringLiteral("covers lanes [%1, %2] outside its section's %3").arg(fromLane).arg(toLane).arg(section->getNbLanes());
    if (!(std::abs(position) <= CVReadContext::MaxCoordinate) || !(std::abs(length) <= CVReadContext::MaxCoordinate))
        return QStringLiteral("has a position or length beyond %1 m").arg(CVReadContext::MaxCoordinate);
    return QString();
}
