#include "cvcontrolplansignal.h"

#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

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

void CVControlPlanSignal::writeFields(CVFieldWriter& json) const
{
    json.insertIds(QStringLiteral("turnings"), turningIds, [](unsigned int id) { return id; });
    json.insert(QStringLiteral("node"), nodeId);
}

void CVControlPlanSignal::readFields(const CVSavedObject& json, CVReadContext& context)
{
    for (const CVObject* turning : context.objectList(json.value(QStringLiteral("turnings"))))
        addTurningId(turning->getId());
    const QJsonValue node = json.value(QStringLiteral("node"));
    setNode(node.toInteger() == 0 ? nullptr : context.object(node));
}
