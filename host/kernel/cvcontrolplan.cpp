#include "cvcontrolplan.h"

#include "cvcontroljunction.h"
#include "cvcontrolphase.h"
#include "cvfieldwriter.h"
#include "cvnode.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

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
    QJsonArray signalNames;
    QJsonArray flashing;
    for (const CVControlPhase::Signal& signal : phase.getSignals()) {
        signalIds.append(qint64(signal.id));
        signalNames.append(signal.name);
        flashing.append(signal.flashing);
    }
    return QJsonObject{{"id", qint64(phase.getId())},
                       {"ring", phase.getIdRing()},
                       {"from", double(phase.getFrom())},
                       {"duration", double(phase.getDuration())},
                       {"minDuration", double(phase.getMinDuration())},
                       {"maxDuration", double(phase.getMaxDuration())},
                       {"interphase", phase.isInterphase()},
                       {"signals", signalIds},
                       {"signalNames", signalNames},
                       {"signalsFlashing", flashing}};
}

CVControlPhase* phaseFromJson(const QJsonObject& json)
{
    auto* phase = new CVControlPhase;
    phase->setId(unsigned(json.value(QStringLiteral("id")).toInteger()));
    phase->setIdRing(json.value(QStringLiteral("ring")).toInt());
    phase->setFrom(float(CVReadContext::number(json.value(QStringLiteral("from")))));
    phase->setDuration(float(CVReadContext::number(json.value(QStringLiteral("duration")))));
    phase->setMinDuration(float(CVReadContext::number(json.value(QStringLiteral("minDuration")))));
    phase->setMaxDuration(float(CVReadContext::number(json.value(QStringLiteral("maxDuration")))));
    phase->setInterphase(json.value(QStringLiteral("interphase")).toBool());
    const QJsonArray ids = json.value(QStringLiteral("signals")).toArray();
    const QJsonArray names = json.value(QStringLiteral("signalNames")).toArray();
    const QJsonArray flashing = json.value(QStringLiteral("signalsFlashing")).toArray();
    for (qsizetype i = 0; i < ids.size(); ++i)
        phase->addSignal(unsigned(ids.at(i).toInteger()), names.at(i).toString(), flashing.at(i).toBool());
    return phase;
}

}  // namespace

void CVControlPlan::writeFields(CVFieldWriter& json) const
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

void CVControlPlan::readFields(const CVSavedObject& json, CVReadContext& context)
{
    offset = float(CVReadContext::number(json.value(QStringLiteral("offset"))));
    for (const QJsonValue value : json.value(QStringLiteral("junctions")).toArray()) {
        const QJsonObject saved = value.toObject();
        const CVObject* node = context.objectAs<CVNode>(saved.value(QStringLiteral("node")));
        if (!node)
            continue;
        CVControlJunction* junction = createControlJunction(node->getId());
        junction->setControlJunctionType(saved.value(QStringLiteral("controlType")).toInt());
        junction->setCritical(saved.value(QStringLiteral("critical")).toBool());
        junction->setOffset(float(CVReadContext::number(saved.value(QStringLiteral("offset")))));
        junction->setCycle(float(CVReadContext::number(saved.value(QStringLiteral("cycle")))));
        junction->setRestInRed(saved.value(QStringLiteral("restInRed")).toBool());
        junction->setYellowTime(float(CVReadContext::number(saved.value(QStringLiteral("yellowTime")))));
        junction->setRedPercentageInYellowTime(saved.value(QStringLiteral("redPercentageInYellowTime")).toInt());
        for (const QJsonValue phase : saved.value(QStringLiteral("phases")).toArray())
            junction->addPhase(phaseFromJson(phase.toObject()));
    }
}
