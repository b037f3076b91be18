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
#include "reader/containers/splitwork.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvturning.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

// The angles of a section's turnings, by their place in the list, each
// worked out when first asked for: most sections need none of them. A
// turning's angle depends on its sections' lines alone, which the repair
// leaves as they are.
class TurnAngles
{
public:
    explicit TurnAngles(const QVector<CVTurning*>& turnings) : turnings(turnings) {}

    double at(qsizetype index)
    {
        // Room for the angles is made on the first question only, so that
        // the sections needing none cost no allocation.
        if (angles.empty())
            angles.assign(std::size_t(turnings.size()), std::numeric_limits<double>::quiet_NaN());
        double& angle = angles[std::size_t(index)];
        if (std::isnan(angle))
            angle = turnings[index]->calcAngleSections();
        return angle;
    }

private:
    const QVector<CVTurning*>& turnings;
    std::vector<double> angles;  // NaN: not worked out yet
};

// The first of the straightest turnings (smallest absolute angle), by a
// stable sort as the node's order decides among equals.
CVTurning* straightest(const QVector<CVTurning*>& turnings, TurnAngles& angles)
{
    std::vector<qsizetype> order(std::size_t(turnings.size()));
    for (qsizetype i = 0; i < turnings.size(); ++i)
        order[std::size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(), [&angles](qsizetype a, qsizetype b) {
        return std::fabs(angles.at(a)) < std::fabs(angles.at(b));
    });
    return turnings[order.front()];
}

// How many of the turnings cover the lane with the lane range that
// range(turning) gives: their origin lanes where they leave a section,
// their destination lanes where they enter one.
template <typename Range>
int coveringTurnings(const QVector<CVTurning*>& turnings, int lane, Range range)
{
    int count = 0;
    for (const CVTurning* turning : turnings) {
        const auto [from, to] = range(turning);
        if (from <= lane && lane <= to)
            ++count;
    }
    return count;
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

// Each turning once, whatever number of times it changed: its path
// depends on its final lanes and its sections' lines alone.
void refreshOnce(std::vector<CVTurning*>& changed)
{
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    constexpr std::size_t worthAThread = 4096;
    splitWorkInTwo(changed.size(), worthAThread, [&changed](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            refresh(changed[i]);
    });
}

// Enough sections for the repair to be shared between two threads.
constexpr std::size_t SectionsWorthAThread = 2048;

// Two turnings leaving one section whose lane ranges cross (the first and
// second of the list at those places): the one that turns more (the second
// on a tie) goes to the lane on the side it turns to. Two turnings sharing
// one single lane are no conflict. The place of the turning moved, or -1.
qsizetype resolveCrossing(const QVector<CVTurning*>& leaving, qsizetype first, qsizetype second, TurnAngles& angles,
                          int laneCount)
{
    CVTurning* t1 = leaving[first];
    CVTurning* t2 = leaving[second];
    const unsigned int from1 = unsigned(t1->getOriginFromLane()), to1 = unsigned(t1->getOriginToLane());
    const unsigned int from2 = unsigned(t2->getOriginFromLane()), to2 = unsigned(t2->getOriginToLane());
    const bool overlapping = from1 <= from2 && from2 <= to1;
    if (!overlapping || !(to1 - from2 + 1u > 1u || to2 - from1 + 1u > 1u))
        return -1;
    const double a1 = angles.at(first), a2 = angles.at(second);
    const qsizetype movedIndex = std::fabs(a2) < std::fabs(a1) ? first : second;
    CVTurning* moved = leaving[movedIndex];
    const double angle = movedIndex == first ? a1 : a2;
    if (angle > 0.0)
        moved->setOriginLanes(0, 0);
    else if (laneCount > 0)
        moved->setOriginLanes(laneCount - 1, laneCount - 1);
    else
        return -1;  // no last lane to move it to
    return movedIndex;
}

}  // namespace

TurningRepair::TurningRepair(CVModel* model) : model(model) {}

void TurningRepair::build()
{
    fixOutRangedTurnings();
    // A turning's origin lanes change only with the section it leaves, its
    // destination lanes only with the one it enters, and the angles come
    // from the sections' lines, which stay: the sections are repaired in
    // any order, on two threads, and each changed turning placed once.
    const QList<CVObject*> sections = objectsOfType(model, QStringLiteral("CVSection"));
    std::vector<CVTurning*> changed[2];
    splitWorkInTwo(std::size_t(sections.size()), SectionsWorthAThread, [&](std::size_t begin, std::size_t end) {
        std::vector<CVTurning*>& ours = changed[begin == 0 ? 0 : 1];
        for (std::size_t i = begin; i < end; ++i) {
            if (auto* section = dynamic_cast<CVSection*>(sections[qsizetype(i)])) {
                repairLeaving(section, ours);
                repairEntering(section, ours);
            }
        }
    });
    changed[0].insert(changed[0].end(), changed[1].begin(), changed[1].end());
    refreshOnce(changed[0]);
}

void TurningRepair::fixOutRangedTurnings()
{
    const QList<CVObject*> turnings = objectsOfType(model, QStringLiteral("CVTurning"));
    constexpr std::size_t worthAThread = 4096;
    splitWorkInTwo(std::size_t(turnings.size()), worthAThread, [&turnings](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            clampToLanes(dynamic_cast<CVTurning*>(turnings[qsizetype(i)]));
    });
}

void TurningRepair::fixOutTurnings(CVSection* section)
{
    std::vector<CVTurning*> changed;
    repairLeaving(section, changed);
    refreshOnce(changed);
}

void TurningRepair::fixInTurnings(CVSection* section)
{
    std::vector<CVTurning*> changed;
    repairEntering(section, changed);
    refreshOnce(changed);
}

void TurningRepair::clampToLanes(CVTurning* turning)
{
    if (!turning || !turning->getOrigin() || !turning->getDestination())
        return;
    const QPair<int, int> atEnd = turning->getOrigin()->getLanesAtPos(float(turning->getOrigin()->length2D(false)));
    const QPair<int, int> atStart = turning->getDestination()->getLanesAtPos(0.0);
    turning->setOriginLanes(clampLane(turning->getOriginFromLane(), atEnd.first, atEnd.second),
                            clampLane(turning->getOriginToLane(), atEnd.first, atEnd.second));
    turning->setDestinationLanes(clampLane(turning->getDestinationFromLane(), atStart.first, atStart.second),
                                 clampLane(turning->getDestinationToLane(), atStart.first, atStart.second));
}

void TurningRepair::repairLeaving(CVSection* section, std::vector<CVTurning*>& changed)
{
    CVNode* node = section ? section->getDestination() : nullptr;
    if (!node)
        return;
    const int laneCount = sectionLaneCount(section);
    // The node's turnings that leave the section: the repair changes their
    // lanes, never which turnings they are.
    const QVector<CVTurning*> leaving = node->getFromTurnings(section);
    TurnAngles angles(leaving);

    // Crossing turnings: the one that turns more goes to the lane on the
    // side it turns to; every ordered pair is looked at in turn. A turning
    // whose range runs backwards crosses nothing as the first of a pair. A
    // one-lane turning can only cross one that starts on its lane and spans
    // more or runs backwards, and a moved turning spans one lane for good:
    // so a one-lane first turning is paired with those others only, in the
    // same order, which gives every pair's outcome without all the pairs.
    std::vector<qsizetype> notOneLane;
    std::vector<bool> everMoved;  // by place, made on the first move
    bool movedSinceFiltered = true;
    for (qsizetype first = 0; first < leaving.size(); ++first) {
        const CVTurning* t1 = leaving[first];
        const unsigned int from1 = unsigned(t1->getOriginFromLane()), to1 = unsigned(t1->getOriginToLane());
        if (from1 > to1)
            continue;
        const bool oneLane = from1 == to1;
        if (oneLane && std::exchange(movedSinceFiltered, false)) {
            notOneLane.clear();
            for (qsizetype i = 0; i < leaving.size(); ++i) {
                if (leaving[i]->getOriginFromLane() != leaving[i]->getOriginToLane())
                    notOneLane.push_back(i);
            }
        }
        const auto pairWith = [&](qsizetype second) {
            if (first == second)
                return;
            const qsizetype moved = resolveCrossing(leaving, first, second, angles, laneCount);
            if (moved < 0)
                return;
            movedSinceFiltered = true;
            // A turning may move many times: it is listed once.
            if (everMoved.empty())
                everMoved.assign(std::size_t(leaving.size()), false);
            everMoved[std::size_t(moved)] = true;
        };
        if (oneLane) {
            for (const qsizetype second : std::as_const(notOneLane))
                pairWith(second);
        } else {
            for (qsizetype second = 0; second < leaving.size(); ++second)
                pairWith(second);
        }
    }

    for (std::size_t i = 0; i < everMoved.size(); ++i) {
        if (everMoved[i])
            changed.push_back(leaving[qsizetype(i)]);
    }

    // Unserved lanes go to the straightest leaving turning.
    if (leaving.isEmpty())
        return;
    const QPair<int, int> exitLanes = section->getExitLanes();
    const auto originLanes = [](const CVTurning* turning) {
        return std::pair(turning->getOriginFromLane(), turning->getOriginToLane());
    };
    for (int lane = 0; lane < laneCount; ++lane) {
        if (coveringTurnings(leaving, lane, originLanes) != 0)
            continue;
        CVTurning* widened = straightest(leaving, angles);
        int from = widened->getOriginFromLane(), to = widened->getOriginToLane();
        widenToLane(from, to, lane, exitLanes.first, exitLanes.second);
        widened->setOriginLanes(from, to);
        changed.push_back(widened);
    }
}

void TurningRepair::repairEntering(CVSection* section, std::vector<CVTurning*>& changed)
{
    CVNode* node = section ? section->getOrigin() : nullptr;
    if (!node)
        return;
    const int laneCount = sectionLaneCount(section);
    const QVector<CVTurning*> entering = node->getToTurnings(section);
    if (entering.isEmpty())
        return;
    const QPair<int, int> entryLanes = section->getEntryLanes();
    TurnAngles angles(entering);
    const auto destinationLanes = [](const CVTurning* turning) {
        return std::pair(turning->getDestinationFromLane(), turning->getDestinationToLane());
    };
    for (int lane = 0; lane < laneCount; ++lane) {
        if (coveringTurnings(entering, lane, destinationLanes) != 0)
            continue;
        CVTurning* widened = straightest(entering, angles);
        int from = widened->getDestinationFromLane(), to = widened->getDestinationToLane();
        widenToLane(from, to, lane, entryLanes.first, entryLanes.second);
        widened->setDestinationLanes(from, to);
        changed.push_back(widened);
    }
}
