// Lanes that no turning leaves or enters, and turnings of one approach
// whose lanes cross: one leaves from lanes right of another's but turns
// further left.

#include "check/modelcheck.h"

#include "export/modelobjects.h"

#include <cvsection.h>
#include <cvturning.h>

#include <QHash>
#include <QStringList>

#include <cmath>

namespace {

struct LaneRange
{
    int from;
    int to;
};

// A turning's lanes on one of its sections; -1 stands for every lane.
LaneRange laneRange(int from, int to, const CVSection* section)
{
    if (from < 0 || to < 0)
        return {0, section->getNbLanes() - 1};
    return {from, to};
}

QString laneList(const QList<int>& lanes)
{
    QStringList numbers;
    for (int lane : lanes)
        numbers << QString::number(lane + 1);
    return numbers.join(QStringLiteral(", "));
}

// Lanes of the section at one end that no range covers.
QList<int> uncovered(const CVSection* section, bool atEnd, const QList<LaneRange>& ranges)
{
    const QPair<int, int> lanes = atEnd ? section->getExitLanes() : section->getEntryLanes();
    QList<int> result;
    for (int lane = lanes.first; lane <= lanes.second; ++lane) {
        bool covered = false;
        for (const LaneRange& range : ranges)
            covered = covered || (range.from <= lane && lane <= range.to);
        if (!covered)
            result.append(lane);
    }
    return result;
}

void addLaneFindings(const QList<const CVSection*>& order, const QHash<const CVSection*, QList<LaneRange>>& ranges,
                     bool atEnd, CheckReport& report)
{
    for (const CVSection* section : order) {
        const auto found = ranges.constFind(section);
        if (found == ranges.constEnd())
            continue;
        const QList<int> lanes = uncovered(section, atEnd, found.value());
        if (lanes.isEmpty())
            continue;
        CheckFinding finding{atEnd ? CheckKind::LaneWithoutTurningOut : CheckKind::LaneWithoutTurningIn,
                             QStringLiteral("lane(s) %1 of %2, counted from the left: no turning %3")
                                 .arg(laneList(lanes))
                                 .arg(section->getNbLanes())
                                 .arg(atEnd ? QStringLiteral("leaves") : QStringLiteral("arrives")),
                             {checkObject(section)},
                             {},
                             false,
                             0.0};
        if (!section->getPoints().isEmpty()) {
            finding.position = atEnd ? section->getPoints().last() : section->getPoints().first();
            finding.hasPosition = true;
        }
        report.findings.append(finding);
    }
}

void addCrossings(const QList<const CVTurning*>& turnings, CheckReport& report)
{
    // Angles: positive turns left. Lanes count from the left, so a
    // turning further left must not leave from lanes wholly right of one
    // that turns further right.
    constexpr double sameDirection = 0.05;
    for (int i = 0; i < turnings.size(); ++i) {
        const CVTurning* a = turnings[i];
        const LaneRange ra = laneRange(a->getOriginFromLane(), a->getOriginToLane(), a->getOrigin());
        for (int j = 0; j < turnings.size(); ++j) {
            const CVTurning* b = turnings[j];
            if (a == b || a->getNode() != b->getNode())
                continue;
            const LaneRange rb = laneRange(b->getOriginFromLane(), b->getOriginToLane(), b->getOrigin());
            if (a->calcAngleSections() > b->calcAngleSections() + sameDirection && ra.from > rb.to) {
                CheckFinding finding{CheckKind::TurningsCross,
                                     QStringLiteral("from %1, the turning to %2 (lanes %3-%4) crosses the one to %5 (lanes %6-%7)")
                                         .arg(paramicsLabel(a->getOrigin()), paramicsLabel(a->getDestination()))
                                         .arg(ra.from + 1)
                                         .arg(ra.to + 1)
                                         .arg(paramicsLabel(b->getDestination()))
                                         .arg(rb.from + 1)
                                         .arg(rb.to + 1),
                                     {checkObject(a), checkObject(b), checkObject(a->getOrigin())},
                                     {},
                                     false,
                                     0.0};
                if (!a->getOrigin()->getPoints().isEmpty()) {
                    finding.position = a->getOrigin()->getPoints().last();
                    finding.hasPosition = true;
                }
                report.findings.append(finding);
            }
        }
    }
}

}  // namespace

void ModelCheck::checkLanes(const CVModel& model, CheckReport& report)
{
    QHash<const CVSection*, QList<LaneRange>> leaving;
    QHash<const CVSection*, QList<LaneRange>> arriving;
    QHash<const CVSection*, QList<const CVTurning*>> byOrigin;
    for (const CVTurning* t : modelObjects<CVTurning>(model, QStringLiteral("CVTurning"))) {
        if (!t->getOrigin() || !t->getDestination())
            continue;
        leaving[t->getOrigin()].append(laneRange(t->getOriginFromLane(), t->getOriginToLane(), t->getOrigin()));
        arriving[t->getDestination()].append(
            laneRange(t->getDestinationFromLane(), t->getDestinationToLane(), t->getDestination()));
        byOrigin[t->getOrigin()].append(t);
    }
    const QList<CVSection*> sections = modelObjects<CVSection>(model, QStringLiteral("CVSection"));
    const QList<const CVSection*> order(sections.cbegin(), sections.cend());
    addLaneFindings(order, leaving, true, report);
    addLaneFindings(order, arriving, false, report);
    for (const CVSection* section : order) {
        const auto found = byOrigin.constFind(section);
        if (found != byOrigin.constEnd() && found.value().size() > 1)
            addCrossings(found.value(), report);
    }
}
