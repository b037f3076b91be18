#pragma once

#include "network/hostlookup.h"

// Prepares the link records for building: which links are drawn as one
// direction of a two-way road, and the turnings' lane ranges turned from
// the files' kerb-based numbers into host lanes.
class LinkUpdater
{
public:
    LinkUpdater(const ParamicsLinkMap& links, bool rightHandDrive);

    // Both halves below, in one pass over the links.
    void build();
    // Each link's other direction and whether it is drawn as one side of
    // a two-way road: needs only the links as the links files left them.
    void findOpposites();
    // The turnings' lane ranges, once the next lanes and junctions files
    // have recorded them.
    void convertTurningLanes();
    // Converts one turning's ranges; laneCount is its link's lane count.
    void updateNbLanes(ParamicsTurning* turning, unsigned int laneCount) const;

private:
    template <typename Update>
    void forEachLink(Update update);
    void findOpposite(ParamicsLink& link) const;
    void convertLanes(ParamicsLink& link) const;

    const ParamicsLinkMap& links;
    const bool rightHandDrive;
};
