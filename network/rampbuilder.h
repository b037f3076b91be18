#pragma once

#include "network/hostlookup.h"

class CVLayer;
class CVModel;
class CVNode;
class CVSection;
class CVSectionLane;
class CVTurning;

// Joins ramp roads to the sections of the links that list them: near a
// section's start as a side lane there, further along by cutting the
// section in two at a new node and adding the side lane to the second part.
class RampBuilder
{
public:
    RampBuilder(CVModel* model, CVLayer* layer, const ParamicsNodeMap& nodes, const ParamicsLinkMap& rampLinks);

    void build();

private:
    // laneAdded: false when the ramp had no length and so no lane of its own.
    void updateRampLink(ParamicsNode* rampNode, CVSection* section, bool right, CVNode* node, bool laneAdded = true);
    static void updateTurnings(CVSection* section);
    CVSection* cutSectionAtRamp(CVSection* section, ParamicsNode* rampNode, double rampLength, CVSectionLane& lane);
    CVTurning* createRampTurning(CVSection* origin, CVSection* destination, CVNode* node, int destinationFrom,
                                 int destinationTo);

    CVModel* model;
    CVLayer* layer;
    const ParamicsNodeMap& nodes;
    const ParamicsLinkMap& rampLinks;
};
