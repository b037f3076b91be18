#include "cvsection.h"

#include "cvfieldwriter.h"
#include "cvmappainter.h"
#include "cvmapstyle.h"
#include "cvmodel.h"
#include "cvnode.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvroadtype.h"
#include "cvsavedobject.h"
#include "cvsystem.h"

#include <QJsonArray>

#include <algorithm>

CV_REGISTER_TYPE(CVSection)
CV_REGISTER_COLUMN("CVSection::speedAtt")
CV_REGISTER_COLUMN("CVSection::laneWidthAtt")
CV_REGISTER_COLUMN("CVSection::nblanesAtt")

const CVColumn* CVSection::speedColumn()
{
    static const CVColumn* column = CVRegistry::instance().column(QStringLiteral("CVSection::speedAtt"));
    return column;
}

const CVColumn* CVSection::laneWidthColumn()
{
    static const CVColumn* column = CVRegistry::instance().column(QStringLiteral("CVSection::laneWidthAtt"));
    return column;
}

const CVColumn* CVSection::nbLanesColumn()
{
    static const CVColumn* column = CVRegistry::instance().column(QStringLiteral("CVSection::nblanesAtt"));
    return column;
}

void CVSection::setRoadType(CVRoadType* type, bool takeDefaults)
{
    roadType = type;
    if (type && takeDefaults) {
        setDataValue(speedColumn(), type->getSpeed());
        setDataValue(laneWidthColumn(), type->getLaneWidth());
    }
}

double CVSection::getSpeed() const
{
    return getDataValueDouble(speedColumn());
}

double CVSection::getLaneWidth() const
{
    const QVariant width = getDataValue(laneWidthColumn());
    return width.isValid() ? width.toDouble() : DefaultLaneWidth;
}

void CVSection::setDataValue(const CVColumn* column, const QVariant& value)
{
    if (column && column == nbLanesColumn()) {
        setNbFullLanes(value.toInt());
        increaseTick();
        return;
    }
    CVBezierCurve::setDataValue(column, value);
}

QVariant CVSection::getDataValue(const CVColumn* column) const
{
    if (column && column == nbLanesColumn())
        return getNbLanes();
    return CVBezierCurve::getDataValue(column);
}

int CVSection::getDataValueInt(const CVColumn* column, CVContext::Context context) const
{
    if (column && column == nbLanesColumn())
        return getNbLanes();
    return CVBezierCurve::getDataValueInt(column, context);
}

int CVSection::getNbFullLanes() const
{
    int count = 0;
    for (const CVSectionLane& lane : lanes)
        count += lane.isFullLane() ? 1 : 0;
    return count;
}

int CVSection::lastFullLane() const
{
    for (int i = int(lanes.size()) - 1; i >= 0; --i) {
        if (lanes[i].isFullLane())
            return i;
    }
    return -1;
}

void CVSection::setNbFullLanes(int count)
{
    int full = getNbFullLanes();
    const int sideLanes = int(lanes.size()) - full;
    count = std::clamp(count, 0, MaxLanes - sideLanes);
    // Full lanes come and go at the right of the full block, so side lanes
    // on either side keep their place. Without full lanes the new ones go
    // first in the list.
    for (; full > count; --full)
        lanes.removeAt(lastFullLane());
    if (full < count)
        lanes.insert(lastFullLane() + 1, count - full, CVSectionLane());
}

void CVSection::addLane(const CVSectionLane& lane, int position)
{
    if (lanes.size() >= MaxLanes)
        return;
    if (position < 0 || position > lanes.size())
        lanes.append(lane);
    else
        lanes.insert(position, lane);
    increaseTick();
}

void CVSection::removeLane(int index)
{
    if (index >= 0 && index < lanes.size()) {
        lanes.removeAt(index);
        increaseTick();
    }
}

void CVSection::removeLastLane()
{
    if (!lanes.isEmpty()) {
        lanes.removeLast();
        increaseTick();
    }
}

QPair<int, int> CVSection::getLanesAtPos(double pos) const
{
    int first = -1, last = -1;
    for (int i = 0; i < lanes.size(); ++i) {
        if (!lanes[i].existsAt(pos))
            continue;
        if (first < 0)
            first = i;
        last = i;
    }
    if (first < 0)
        return qMakePair(0, -1);
    return qMakePair(first, last);
}

CVSection* CVSection::clone() const
{
    auto* copy = dynamic_cast<CVSection*>(CVSystem::getSystem().newObject(getTypeName(), getModel(), -1, true));
    if (!copy)
        return nullptr;
    copy->setName(getName());
    copy->copyDataValuesFrom(*this);
    copy->copyCurveFrom(*this);
    copy->roadType = roadType;
    copy->lanes = lanes;
    copy->origin = origin;
    copy->destination = destination;
    return copy;
}

void CVSection::writeFields(CVFieldWriter& json) const
{
    CVBezierCurve::writeFields(json);
    json.insertId(QStringLiteral("origin"), origin);
    json.insertId(QStringLiteral("destination"), destination);
    json.insertId(QStringLiteral("roadType"), roadType);
    json.insert(QStringLiteral("speed"), getSpeed());
    json.insert(QStringLiteral("laneWidth"), getLaneWidth());
    json.insert(QStringLiteral("nbLanes"), getNbLanes());
    json.insert(QStringLiteral("nbFullLanes"), getNbFullLanes());
    // Every lane, left to right; a full lane has both offsets 0.
    QJsonArray laneList;
    for (const CVSectionLane& lane : lanes)
        laneList.append(QJsonObject{{QStringLiteral("initialOffset"), lane.getInitialOffset()},
                                    {QStringLiteral("finalOffset"), lane.getFinalOffset()}});
    json.insert(QStringLiteral("lanes"), laneList);
    QJsonArray sideLanes;
    for (int i = 0; i < lanes.size(); ++i) {
        if (!lanes[i].isFullLane())
            sideLanes.append(QJsonObject{{QStringLiteral("index"), i},
                                         {QStringLiteral("initialOffset"), lanes[i].getInitialOffset()},
                                         {QStringLiteral("finalOffset"), lanes[i].getFinalOffset()}});
    }
    json.insert(QStringLiteral("sideLanes"), sideLanes);
}

const CVSectionDrawing& CVSection::getDrawing() const
{
    if (!drawingMade || !drawing.matches(*this)) {
        drawing = CVSectionDrawing(*this);
        drawingMade = true;
    }
    return drawing;
}

CVBBox CVSection::getBoundingBox() const
{
    return getDrawing().getBoundingBox();
}

void CVSection::draw(CVMapPainter& map) const
{
    const CVSectionDrawing& shape = getDrawing();
    const QColor colour = map.isSelected(this) ? CVMapStyle::roadSelected() : CVMapStyle::road();
    for (const CVSectionDrawing::Band& band : shape.getBands())
        map.drawBand(band.line, band.width, colour);
    if (shape.getLaneWidth() * map.getPixelsPerMetre() < CVMapStyle::MinimumLanePixelsForMarkings)
        return;
    for (const CVPoints& separator : shape.getSeparators())
        map.drawLine(separator, CVMapStyle::laneMarking(), 1.0, Qt::DashLine);
}

void CVSection::readFields(const CVSavedObject& json, CVReadContext& context)
{
    // Speed and lane width are data values; the lane count follows the lanes.
    CVBezierCurve::readFields(json, context);
    origin = context.objectAs<CVNode>(json.value(QStringLiteral("origin")));
    destination = context.objectAs<CVNode>(json.value(QStringLiteral("destination")));
    roadType = context.objectAs<CVRoadType>(json.value(QStringLiteral("roadType")));
    lanes.clear();
    for (const QJsonValue lane : json.value(QStringLiteral("lanes")).toArray()) {
        const QJsonObject offsets = lane.toObject();
        lanes.append(CVSectionLane(CVReadContext::number(offsets.value(QStringLiteral("initialOffset"))),
                                   CVReadContext::number(offsets.value(QStringLiteral("finalOffset")))));
    }
    drawingMade = false;
}

QString CVSection::readProblem() const
{
    if (lanes.size() > MaxLanes)
        return QStringLiteral("has %1 lanes, more than %2").arg(lanes.size()).arg(MaxLanes);
    return CVBezierCurve::readProblem();
}
