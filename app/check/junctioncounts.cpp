#include "check/junctioncounts.h"

#include "export/modelobjects.h"

#include <cvcontroljunction.h>
#include <cvcontrolplan.h>
#include <cvlog.h>
#include <cvnode.h>
#include <cvturning.h>

#include <QRegularExpression>
#include <QSet>

namespace {

// The importer logs each roundabout node with a link to it:
// "Node: <A HREF="OBJ_REF://158">158</A> is a roundabout", by host id.
QSet<unsigned int> roundaboutIds(const CVModel& model)
{
    static const QRegularExpression roundabout(QStringLiteral("OBJ_REF://(\\d+)\">[^<]*</A> is a roundabout"));
    QSet<unsigned int> ids;
    for (const CVLogEntry& entry : model.getLog()->getEntries()) {
        const QRegularExpressionMatch match = roundabout.match(entry.text);
        if (match.hasMatch())
            ids.insert(match.captured(1).toUInt());
    }
    return ids;
}

}  // namespace

JunctionCounts JunctionCounts::of(const CVModel& model)
{
    JunctionCounts counts;
    QSet<unsigned int> signalised;
    for (const CVControlPlan* plan : modelObjects<CVControlPlan>(model, QStringLiteral("CVControlPlan"))) {
        for (const auto& junction : plan->getJunctions())
            signalised.insert(junction->getNodeId());
    }
    counts.signalised = int(signalised.size());
    const QSet<unsigned int> roundabouts = roundaboutIds(model);
    for (const CVNode* node : modelObjects<CVNode>(model, QStringLiteral("CVNode"))) {
        if (signalised.contains(node->getId()))
            continue;
        if (roundabouts.contains(node->getId())) {
            ++counts.roundabouts;
            continue;
        }
        for (const CVTurning* turning : node->getTurnings()) {
            if (turning->getWarningIndicator() > 0) {
                ++counts.priority;
                break;
            }
        }
    }
    return counts;
}
