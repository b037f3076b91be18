#include "cvnode.h"

#include "cvcontrolplansignal.h"
#include "cvfieldwriter.h"
#include "cvmappainter.h"
#include "cvmapstyle.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvturning.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVNode)

void CVNode::addTurning(CVTurning* turning, bool updatePath, bool drawCurve)
{
    if (!turning)
        return;
    if (!turnings.contains(turning))
        turnings.append(turning);
    if (turning->getNode() != this)
        turning->setNode(this);
    if (updatePath)
        turning->updatePath(true);
    if (drawCurve)
        turning->curve();
    increaseTick();
}

void CVNode::removeTurning(CVTurning* turning)
{
    if (turnings.removeOne(turning))
        increaseTick();
}

QVector<CVTurning*> CVNode::getFromTurnings(const CVSection* section) const
{
    QVector<CVTurning*> leaving;
    for (CVTurning* turning : turnings) {
        if (section && turning->getOrigin() == section)
            leaving.append(turning);
    }
    return leaving;
}

QVector<CVTurning*> CVNode::getToTurnings(const CVSection* section) const
{
    QVector<CVTurning*> entering;
    for (CVTurning* turning : turnings) {
        if (section && turning->getDestination() == section)
            entering.append(turning);
    }
    return entering;
}

int CVNode::getNumberOriginLinks(const CVSection* section, int lane) const
{
    int count = 0;
    for (const CVTurning* turning : getToTurnings(section)) {
        if (turning->getDestinationFromLane() <= lane && lane <= turning->getDestinationToLane())
            ++count;
    }
    return count;
}

int CVNode::getNumberDestinationLinks(const CVSection* section, int lane) const
{
    int count = 0;
    for (const CVTurning* turning : getFromTurnings(section)) {
        if (turning->getOriginFromLane() <= lane && lane <= turning->getOriginToLane())
            ++count;
    }
    return count;
}

void CVNode::addSignal(const CVControlPlanSignal* signal)
{
    if (!signal || signalPositions.contains(signal->getId()))
        return;
    signalIds.append(signal->getId());
    signalPositions.insert(signal->getId(), int(signalIds.size()));
    increaseTick();
}

void CVNode::writeFields(CVFieldWriter& json) const
{
    CVDPoint::writeFields(json);
    json.insert(QStringLiteral("yellowBox"), yellowBox);
    json.insert(QStringLiteral("userDefinedPriorities"), userDefinedPriorities);
    json.insertIds(QStringLiteral("turnings"), turnings, [](const CVTurning* turning) { return turning->getId(); });
    json.insertIds(QStringLiteral("signals"), signalIds, [](unsigned int id) { return id; });
}

CVBBox CVNode::getBoundingBox() const
{
    // A junction reaches a few metres around its point.
    constexpr double reach = 2.0;
    CVBBox box;
    const CVPoint& at = getPosition();
    if (at.isFinite())
        box.set(at.x - reach, at.x + reach, at.y - reach, at.y + reach);
    for (const CVTurning* turning : turnings) {
        const CVBBox path = turning->getBoundingBox();
        if (!path.isEmpty()) {
            box.extend(path.getMin());
            box.extend(path.getMax());
        }
    }
    return box;
}

// The node's turnings lie in no layer: the node draws them, under its dot.
void CVNode::draw(CVMapPainter& map) const
{
    // About four metres across, but never lost nor a blot.
    for (const CVTurning* turning : turnings)
        turning->draw(map);
    if (map.hides(getTypeName()))
        return;
    const double size = qBound(4.0, 4.0 * map.getPixelsPerMetre(), 10.0);
    map.drawMarker(getPosition(), CVMapPainter::Marker::Circle,
                   yellowBox ? CVMapStyle::yellowBoxNode() : CVMapStyle::node(), size);
}

void CVNode::readFields(const CVSavedObject& json, CVReadContext& context)
{
    CVDPoint::readFields(json, context);
    yellowBox = json.value(QStringLiteral("yellowBox")).toBool();
    userDefinedPriorities = json.value(QStringLiteral("userDefinedPriorities")).toBool();
    for (const QJsonValue& id : json.list(QStringLiteral("turnings"))) {
        if (auto* turning = context.objectAs<CVTurning>(id))
            addTurning(turning, false, false);
    }
    for (const QJsonValue& id : json.list(QStringLiteral("signals"))) {
        if (auto* signal = context.objectAs<CVControlPlanSignal>(id))
            addSignal(signal);
    }
}
