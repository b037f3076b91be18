#include "cvcontrolplansignal.h"

#include "cvregistry.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVControlPlanSignal)

void CVControlPlanSignal::addTurning(const CVObject* turning)
{
    if (turning)
        addTurningId(turning->getId());
}

void CVControlPlanSignal::addTurningId(unsigned int turningId)
{
    if (turningId == 0 || turningIdSet.contains(turningId))
        return;
    turningIdSet.insert(turningId);
    turningIds.append(turningId);
}

void CVControlPlanSignal::writeFields(QJsonObject& json) const
{
    QJsonArray ids;
    for (unsigned int id : turningIds)
        ids.append(qint64(id));
    json.insert(QStringLiteral("turnings"), ids);
    json.insert(QStringLiteral("node"), qint64(nodeId));
}
