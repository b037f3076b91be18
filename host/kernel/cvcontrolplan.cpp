#include "cvcontrolplan.h"

#include "cvcontroljunction.h"
#include "cvcontrolphase.h"
#include "cvregistry.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVControlPlan)

CVControlPlan::CVControlPlan(CVModel* model, const CVType* type) : CVObject(model, type) {}

CVControlPlan::~CVControlPlan() = default;

CVControlJunction* CVControlPlan::createControlJunction(unsigned int nodeId)
{
    if (CVControlJunction* existing = byNode.value(nodeId, nullptr))
        return existing;
    junctions.push_back(std::make_unique<CVControlJunction>(this, nodeId));
    byNode.insert(nodeId, junctions.back().get());
    return junctions.back().get();
}

namespace {

QJsonObject phaseJson(const CVControlPhase& phase)
{
    QJsonArray signalIds;
    for (const CVControlPhase::Signal& signal : phase.getSignals())
        signalIds.append(qint64(signal.id));
    return QJsonObject{{"id", qint64(phase.getId())},
                       {"ring", phase.getIdRing()},
                       {"from", double(phase.getFrom())},
                       {"duration", double(phase.getDuration())},
                       {"minDuration", double(phase.getMinDuration())},
                       {"maxDuration", double(phase.getMaxDuration())},
                       {"interphase", phase.isInterphase()},
                       {"signals", signalIds}};
}

}  // namespace

void CVControlPlan::writeFields(QJsonObject& json) const
{
    json.insert(QStringLiteral("offset"), double(offset));
    QJsonArray list;
    for (const auto& junction : junctions) {
        QJsonArray phases;
        for (const CVControlPhase* phase : junction->getPhases())
            phases.append(phaseJson(*phase));
        list.append(QJsonObject{{"node", qint64(junction->getNodeId())},
                                {"controlType", junction->getControlJunctionType()},
                                {"critical", junction->isCritical()},
                                {"offset", double(junction->getOffset())},
                                {"cycle", double(junction->getCycle())},
                                {"restInRed", junction->isRestInRed()},
                                {"yellowTime", double(junction->getYellowTime())},
                                {"redPercentageInYellowTime", junction->getRedPercentageInYellowTime()},
                                {"phases", phases}});
    }
    json.insert(QStringLiteral("junctions"), list);
}
