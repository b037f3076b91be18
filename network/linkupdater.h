#pragma once

#include "network/hostlookup.h"

// Prepares the link records for building: which links are drawn as one
// direction of a two-way road, and the turnings' lane ranges turned from
// the files' kerb-based numbers into host lanes.
class LinkUpdater
{
public:
    LinkUpdater(const ParamicsLinkMap& links, bool rightHandDrive);

    void build();
    // Converts one turning's ranges; laneCount is its link's lane count.
    void updateNbLanes(ParamicsTurning* turning, unsigned int laneCount) const;

private:
    void update(ParamicsLink& link) const;

    const ParamicsLinkMap& links;
    const bool rightHandDrive;
};
