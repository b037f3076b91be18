// Fixed-time signal control: one control plan with a junction for every
// node that has signal phases. (Give-way ranks went onto the turnings when
// they were built.)

#include "traffic/signalcontrolbuilder.h"

#include <cvcatalog.h>
#include <cvcontroljunction.h>
#include <cvcontrolphase.h>
#include <cvcontrolplan.h>
#include <cvcontrolplansignal.h>
#include <cvfolder.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsystem.h>

namespace {

const QString ControlPlanName = QStringLiteral("Paramics Control Plan");
const QString ControlPlansFolder = QStringLiteral("CVModel::controlPlans");

// A phase written without a duration runs for its maximum.
double phaseDuration(const ParamicsPhase& phase)
{
    return phase.time == 0.0 ? phase.maxTime : phase.time;
}

// A phase of the junction with a new id, on ring 1, of fixed length.
CVControlPhase* newPhase(CVControlJunction* junction, double from, double duration, bool interphase)
{
    auto* phase = new CVControlPhase;
    CVControlPlan* plan = junction->getControlPlan();
    if (plan && plan->getModel())
        phase->setId(plan->getModel()->getNewId());
    phase->setIdRing(1);
    phase->setControlJunction(junction);
    phase->setMinDuration(float(duration));
    phase->setMaxDuration(float(duration));
    phase->setFrom(float(from));
    phase->setDuration(float(duration));
    phase->setInterphase(interphase);
    return phase;
}

}  // namespace

SignalControlBuilder::SignalControlBuilder(CVModel* model, const ParamicsNodeMap& nodes, const ParamicsLinkMap& links,
                                           float toRedTime, float stopDelay)
    : model(model), nodes(nodes), links(links), toRedTime(toRedTime), stopDelay(stopDelay)
{
}

void SignalControlBuilder::build()
{
    if (!model)
        return;
    CVControlPlan* plan = createControlPlan();
    if (!plan)
        return;
    for (auto it = nodes.cbegin(); it != nodes.cend(); ++it) {
        const ParamicsNode* record = it.value();
        if (!record || record->priorities.isEmpty())
            continue;
        // Nodes with phases but no host node (a ramp node, say) get no control.
        if (CVNode* node = record->node)
            createControlJunction(plan, record, node);
    }
}

// The one plan of the import, filed in the model's control plan folder.
CVControlPlan* SignalControlBuilder::createControlPlan()
{
    CVSystem& system = CVSystem::getSystem();
    auto* plan = dynamic_cast<CVControlPlan*>(system.newObject(QStringLiteral("CVControlPlan"), model, -1, true));
    if (!plan)
        return nullptr;
    plan->setName(ControlPlanName);
    if (CVFolder* root = model->getCreateRootFolder()) {
        CVFolder* folder = root->findFolder(ControlPlansFolder);
        if (!folder)
            folder = system.createFolder(root, ControlPlansFolder, false, nullptr);
        if (folder)
            folder->append(plan);
    }
    plan->setOffset(0);
    return plan;
}

// A fixed-time junction whose phases run end to end from 0, each phase
// with a red time followed by an interphase of that red time plus the time
// to red.
void SignalControlBuilder::createControlJunction(CVControlPlan* plan, const ParamicsNode* record, CVNode* node)
{
    node->setYellowBox(true);
    CVControlJunction* junction = plan->createControlJunction(record->objectId);
    if (!junction)
        return;
    junction->setControlJunctionType(CVControlJunction::FixedControl);
    junction->setCritical(false);
    junction->setOffset(float(record->priorities.first().offset));
    double cycle = 0.0;
    for (const ParamicsPhase& phase : record->priorities)
        cycle += phaseDuration(phase) + phase.red + record->toRedTime;
    junction->setCycle(float(cycle));
    junction->setRestInRed(false);
    junction->setYellowTime(stopDelay);
    junction->setRedPercentageInYellowTime(0);

    double start = 0.0;
    for (const ParamicsPhase& phaseRecord : record->priorities) {
        const double duration = phaseDuration(phaseRecord);
        CVControlPhase* phase = newPhase(junction, start, duration, false);
        start += duration;
        addPhaseSignals(phase, phaseRecord, record, node);
        junction->addPhase(phase);
        if (phaseRecord.red > 0) {
            const double clearance = phaseRecord.red + toRedTime;
            junction->addPhase(newPhase(junction, start, clearance, true));
            start += clearance;
        }
    }
}

// Gives the phase the signal of each movement with green. A signal joins
// its node (with its turning) the first time any phase of the node uses it.
void SignalControlBuilder::addPhaseSignals(CVControlPhase* phase, const ParamicsPhase& record,
                                           const ParamicsNode* junction, CVNode* node)
{
    for (const QPair<QString, QString>& movement : record.movements) {
        ParamicsLink* link = links.value(ParamicsLink::linkName(movement.first, junction->id), nullptr);
        if (!link)
            continue;
        const ParamicsTurning* turning = link->findTurning(ParamicsLink::linkName(junction->id, movement.second));
        if (!turning)
            continue;
        auto* signal = dynamic_cast<CVControlPlanSignal*>(turning->signal);
        if (!signal)
            continue;
        if (node->getSignalPos(signal->getId()) == 0) {
            signal->addTurning(model->getCatalog()->find(turning->turningId));
            signal->setNode(node);
            node->addSignal(signal);
        }
        phase->addSignal(signal->getId(), signal->getName(), false);
    }
}
