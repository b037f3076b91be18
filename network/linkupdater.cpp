#include "network/linkupdater.h"

#include "reader/containers/splitwork.h"

#include <algorithm>

namespace {

// Host lanes of a turning's range are counted from 0 at the left; the
// files count from 1 at the kerb. With right-hand traffic the kerb is on
// the right, so lane f becomes laneCount - f.
void convertRange(int& from, int& to, bool recorded, bool rightHandDrive, int laneCount)
{
    // Lane numbers far beyond any road are cut first, so that the
    // arithmetic below cannot overflow; the turning repair clamps the
    // range to the lanes the sections have.
    constexpr int limit = 1 << 24;
    from = std::clamp(from, -limit, limit);
    to = std::clamp(to, -limit, limit);
    laneCount = std::clamp(laneCount, -limit, limit);
    if (!recorded) {
        from = to = -1;
    } else if (rightHandDrive) {
        from = laneCount - from;
        to = laneCount - to;
    } else {
        from -= 1;
        to -= 1;
    }
}

}  // namespace

LinkUpdater::LinkUpdater(const ParamicsLinkMap& links, bool rightHandDrive)
    : links(links), rightHandDrive(rightHandDrive)
{
}

void LinkUpdater::build()
{
    forEachLink([this](ParamicsLink& link) {
        findOpposite(link);
        convertLanes(link);
    });
}

void LinkUpdater::findOpposites()
{
    forEachLink([this](ParamicsLink& link) { findOpposite(link); });
}

void LinkUpdater::convertTurningLanes()
{
    forEachLink([this](ParamicsLink& link) { convertLanes(link); });
}

// Each link changes only its own record and reads what no link changes
// (the other direction's barring, the lane counts read): the links are
// shared between two threads.
template <typename Update>
void LinkUpdater::forEachLink(Update update)
{
    const std::vector<ParamicsLink*> inOrder = links.recordsInNameOrder();
    constexpr std::size_t worthAThread = 8192;
    splitWorkInTwo(inOrder.size(), worthAThread, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            if (inOrder[i])
                update(*inOrder[i]);
        }
    });
}

// A road is drawn as two directions side by side unless its other
// direction exists only to be barred.
void LinkUpdater::findOpposite(ParamicsLink& link) const
{
    const ParamicsLink* opposite = links.value(ParamicsName::link(link.to, link.from), nullptr);
    link.opposite = opposite;
    link.oppositeKnown = true;
    link.twoWay = !(opposite && opposite->barred);
}

void LinkUpdater::convertLanes(ParamicsLink& link) const
{
    for (int i = 0; i < link.turningCount(); ++i)
        updateNbLanes(&link.turning(i), unsigned(link.lanes));
}

void LinkUpdater::updateNbLanes(ParamicsTurning* turning, unsigned int laneCount) const
{
    if (!turning)
        return;
    const bool originRecorded = turning->originRecorded();
    const bool destinationRecorded = turning->destinationRecorded();
    // The following link's lane count as read; a destination that names
    // no link has none.
    const ParamicsLink* next = namedLink(turning->destination, links);
    const int nextLaneCount = next ? next->lanes : 0;
    convertRange(turning->originFromLane, turning->originToLane, originRecorded, rightHandDrive, int(laneCount));
    convertRange(turning->destinationFromLane, turning->destinationToLane, destinationRecorded, rightHandDrive,
                 nextLaneCount);
}
