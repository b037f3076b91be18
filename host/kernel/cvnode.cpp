#include "cvnode.h"

#include "cvcontrolplansignal.h"
#include "cvregistry.h"
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

void CVNode::writeFields(QJsonObject& json) const
{
    CVDPoint::writeFields(json);
    json.insert(QStringLiteral("yellowBox"), yellowBox);
    json.insert(QStringLiteral("userDefinedPriorities"), userDefinedPriorities);
    QJsonArray ids;
    for (const CVTurning* turning : turnings)
        ids.append(qint64(turning->getId()));
    json.insert(QStringLiteral("turnings"), ids);
    QJsonArray signalList;
    for (unsigned int id : signalIds)
        signalList.append(qint64(id));
    json.insert(QStringLiteral("signals"), signalList);
}
