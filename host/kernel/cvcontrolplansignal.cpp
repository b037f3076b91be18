#include "cvcontrolplansignal.h"

#include "cvfieldwriter.h"
#include "cvnode.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvturning.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVControlPlanSignal)

void CVControlPlanSignal::addTurning(const CVObject* turning)
{
    if (turning)
        addTurningId(turning->getId());
}

const QVector<unsigned int>& CVControlPlanSignal::getTurningIds() const
{
    static const QVector<unsigned int> none;
    return turnings ? turnings->ids : none;
}

void CVControlPlanSignal::addTurningId(unsigned int turningId)
{
    if (turningId == 0 || hasTurning(turningId))
        return;
    if (!turnings)
        turnings = std::make_unique<Turnings>();
    turnings->idSet.insert(turningId);
    turnings->ids.append(turningId);
}

void CVControlPlanSignal::writeFields(CVFieldWriter& json) const
{
    json.insertIds(QStringLiteral("turnings"), getTurningIds(), [](unsigned int id) { return id; });
    json.insert(QStringLiteral("node"), nodeId);
}

void CVControlPlanSignal::readFields(const CVSavedObject& json, CVReadContext& context)
{
    for (const CVObject* turning : context.objectListAs<CVTurning>(json.value(QStringLiteral("turnings"))))
        addTurningId(turning->getId());
    const QJsonValue node = json.value(QStringLiteral("node"));
    setNode(node.toInteger() == 0 ? nullptr : context.objectAs<CVNode>(node));
}
