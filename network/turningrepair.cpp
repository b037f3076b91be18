// Repair of turning lane ranges after the network is built.
//
// The lane data of the files can name lanes that the built sections lack,
// can let turnings that leave one section cross each other's lanes, and can
// leave lanes that no turning serves. The repair clamps every range to the
// lanes that exist where the turning leaves and joins, moves the sharper of
// two crossing turnings to the kerb it turns towards, and widens the
// straightest turning over every unserved lane.

#include "network/turningrepair.h"

#include "network/hostlookup.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvturning.h>

#include <QHash>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Turnings sorted by ascending absolute angle, the node's order among equals.
QVector<CVTurning*> byStraightness(QVector<CVTurning*> turnings, const QHash<CVTurning*, double>& angles)
{
    std::stable_sort(turnings.begin(), turnings.end(), [&angles](CVTurning* a, CVTurning* b) {
        return std::fabs(angles.value(a)) < std::fabs(angles.value(b));
    });
    return turnings;
}

QHash<CVTurning*, double> angleTable(const QVector<CVTurning*>& turnings)
{
    QHash<CVTurning*, double> angles;
    for (CVTurning* turning : turnings)
        angles.insert(turning, turning->calcAngleSections());
    return angles;
}

int clampLane(int lane, int first, int last)
{
    return std::max(std::min(lane, last), first);
}

// The range of a turning widened to reach a lane, kept within (first, last);
// compared as unsigned lane numbers, as the host keeps them.
void widenToLane(int& from, int& to, int lane, int first, int last)
{
    const unsigned int newTo = std::min(std::max(unsigned(to), unsigned(lane)), unsigned(last));
    const unsigned int newFrom = std::max(std::min(unsigned(from), unsigned(lane)), unsigned(first));
    from = int(newFrom);
    to = int(newTo);
}

void refresh(CVTurning* turning)
{
    turning->updatePath(true);
    turning->curve();
}

// Two turnings leaving one section whose lane ranges cross: the one that
// turns more (the second on a tie) goes to the lane on the side it turns
// to. Two turnings sharing one single lane are no conflict. True when one
// was moved.
bool resolveCrossing(CVTurning* t1, CVTurning* t2, const QHash<CVTurning*, double>& angles, int laneCount)
{
    const unsigned int from1 = unsigned(t1->getOriginFromLane()), to1 = unsigned(t1->getOriginToLane());
    const unsigned int from2 = unsigned(t2->getOriginFromLane()), to2 = unsigned(t2->getOriginToLane());
    const bool overlapping = from1 <= from2 && from2 <= to1;
    if (!overlapping || !(to1 - from2 + 1u > 1u || to2 - from1 + 1u > 1u))
        return false;
    const double a1 = angles.value(t1), a2 = angles.value(t2);
    CVTurning* moved = std::fabs(a2) < std::fabs(a1) ? t1 : t2;
    const double angle = moved == t1 ? a1 : a2;
    if (angle > 0.0)
        moved->setOriginLanes(0, 0);
    else if (laneCount > 0)
        moved->setOriginLanes(laneCount - 1, laneCount - 1);
    else
        return false;  // no last lane to move it to
    refresh(moved);
    return true;
}

}  // namespace

TurningRepair::TurningRepair(CVModel* model) : model(model) {}

void TurningRepair::build()
{
    fixOutRangedTurnings();
    for (CVObject* object : objectsOfType(model, QStringLiteral("CVSection"))) {
        if (auto* section = dynamic_cast<CVSection*>(object)) {
            fixOutTurnings(section);
            fixInTurnings(section);
        }
    }
}

void TurningRepair::fixOutRangedTurnings()
{
    for (CVObject* object : objectsOfType(model, QStringLiteral("CVTurning"))) {
        auto* turning = dynamic_cast<CVTurning*>(object);
        if (!turning || !turning->getOrigin() || !turning->getDestination())
            continue;
        const QPair<int, int> atEnd = turning->getOrigin()->getLanesAtPos(float(turning->getOrigin()->length2D(false)));
        const QPair<int, int> atStart = turning->getDestination()->getLanesAtPos(0.0);
        turning->setOriginLanes(clampLane(turning->getOriginFromLane(), atEnd.first, atEnd.second),
                                clampLane(turning->getOriginToLane(), atEnd.first, atEnd.second));
        turning->setDestinationLanes(clampLane(turning->getDestinationFromLane(), atStart.first, atStart.second),
                                     clampLane(turning->getDestinationToLane(), atStart.first, atStart.second));
    }
}

void TurningRepair::fixOutTurnings(CVSection* section)
{
    CVNode* node = section ? section->getDestination() : nullptr;
    if (!node)
        return;
    const int laneCount = sectionLaneCount(section);
    const QVector<CVTurning*> leaving = node->getFromTurnings(section);
    const QHash<CVTurning*, double> angles = angleTable(leaving);

    // Crossing turnings: the one that turns more goes to the lane on the
    // side it turns to; every ordered pair is looked at in turn. A turning
    // whose range runs backwards crosses nothing as the first of a pair. A
    // one-lane turning can only cross one that starts on its lane and spans
    // more or runs backwards, and a moved turning spans one lane for good:
    // so a one-lane first turning is paired with those others only, in the
    // same order, which gives every pair's outcome without all the pairs.
    QVector<CVTurning*> notOneLane = leaving;
    bool movedSinceFiltered = true;
    for (CVTurning* t1 : leaving) {
        const unsigned int from1 = unsigned(t1->getOriginFromLane()), to1 = unsigned(t1->getOriginToLane());
        if (from1 > to1)
            continue;
        const bool oneLane = from1 == to1;
        if (oneLane && std::exchange(movedSinceFiltered, false))
            notOneLane.removeIf([](const CVTurning* t) { return t->getOriginFromLane() == t->getOriginToLane(); });
        for (CVTurning* t2 : oneLane ? std::as_const(notOneLane) : leaving) {
            if (t1 != t2 && resolveCrossing(t1, t2, angles, laneCount))
                movedSinceFiltered = true;
        }
    }

    // Unserved lanes go to the straightest leaving turning.
    const QPair<int, int> exitLanes = section->getExitLanes();
    for (int lane = 0; lane < laneCount; ++lane) {
        if (node->getNumberDestinationLinks(section, lane) != 0 || leaving.isEmpty())
            continue;
        CVTurning* straightest = byStraightness(leaving, angles).first();
        int from = straightest->getOriginFromLane(), to = straightest->getOriginToLane();
        widenToLane(from, to, lane, exitLanes.first, exitLanes.second);
        straightest->setOriginLanes(from, to);
        refresh(straightest);
    }
}

void TurningRepair::fixInTurnings(CVSection* section)
{
    CVNode* node = section ? section->getOrigin() : nullptr;
    if (!node)
        return;
    const int laneCount = sectionLaneCount(section);
    const QVector<CVTurning*> entering = node->getToTurnings(section);
    const QPair<int, int> entryLanes = section->getEntryLanes();
    const QHash<CVTurning*, double> angles = angleTable(entering);
    for (int lane = 0; lane < laneCount; ++lane) {
        if (node->getNumberOriginLinks(section, lane) != 0 || entering.isEmpty())
            continue;
        CVTurning* straightest = byStraightness(entering, angles).first();
        int from = straightest->getDestinationFromLane(), to = straightest->getDestinationToLane();
        widenToLane(from, to, lane, entryLanes.first, entryLanes.second);
        straightest->setDestinationLanes(from, to);
        refresh(straightest);
    }
}
