// Signalised junctions: movements that no phase gives green, phases of no
// length, and plans whose phases follow each other without intergreen.

#include "check/modelcheck.h"

#include "export/modelobjects.h"

#include <cvcatalog.h>
#include <cvcontroljunction.h>
#include <cvcontrolphase.h>
#include <cvcontrolplan.h>
#include <cvcontrolplansignal.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvturning.h>

#include <QSet>

namespace {

CheckFinding nodeFinding(CheckKind kind, const CVNode* node, const QString& text)
{
    return {kind, text, {checkObject(node)}, node->getPosition(), true, 0.0};
}

QSet<unsigned int> greenTurnings(const CVModel& model, const CVControlJunction& junction)
{
    QSet<unsigned int> green;
    for (const CVControlPhase* phase : junction.getPhases()) {
        for (const CVControlPhase::Signal& signal : phase->getSignals()) {
            const auto* group = dynamic_cast<const CVControlPlanSignal*>(model.getCatalog()->find(signal.id));
            if (!group)
                continue;
            for (unsigned int turning : group->getTurningIds())
                green.insert(turning);
        }
    }
    return green;
}

void checkJunction(const CVModel& model, const CVControlJunction& junction, const CVNode* node, CheckReport& report)
{
    const QSet<unsigned int> green = greenTurnings(model, junction);
    CheckFinding movements = nodeFinding(CheckKind::MovementWithoutGreen, node, QString());
    for (const CVTurning* turning : node->getTurnings()) {
        if (!green.contains(turning->getId()))
            movements.objects.append(checkObject(turning));
    }
    if (movements.objects.size() > 1) {
        QStringList names;
        for (int i = 1; i < movements.objects.size(); ++i)
            names << movements.objects[i].label.mid(int(qstrlen("turning ")));
        movements.text = QStringLiteral("%1 movement(s) green in no phase: %2").arg(movements.objects.size() - 1).arg(names.join(QStringLiteral("; ")));
        report.findings.append(movements);
    }
    int greenPhases = 0;
    bool intergreen = false;
    const QVector<CVControlPhase*> phases = junction.getPhases();
    for (int i = 0; i < phases.size(); ++i) {
        const CVControlPhase* phase = phases[i];
        if (phase->getDuration() <= 0.0f)
            report.findings.append(nodeFinding(CheckKind::PhaseWithoutTime, node,
                                               QStringLiteral("phase %1 of %2 lasts %3 s").arg(i + 1).arg(phases.size()).arg(phase->getDuration())));
        if (phase->isInterphase())
            intergreen = intergreen || phase->getDuration() > 0.0f;
        else
            ++greenPhases;
    }
    if (greenPhases >= 2 && !intergreen)
        report.findings.append(nodeFinding(CheckKind::PlanWithoutIntergreen, node,
                                           QStringLiteral("%1 phases follow each other without intergreen").arg(greenPhases)));
}

}  // namespace

void ModelCheck::checkSignals(const CVModel& model, CheckReport& report)
{
    for (const CVControlPlan* plan : modelObjects<CVControlPlan>(model, QStringLiteral("CVControlPlan"))) {
        for (const auto& junction : plan->getJunctions()) {
            const auto* node = dynamic_cast<const CVNode*>(model.getCatalog()->find(junction->getNodeId()));
            if (node && !junction->getPhases().isEmpty())
                checkJunction(model, *junction, node, report);
        }
    }
}
