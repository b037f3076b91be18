#pragma once

#include "network/hostlookup.h"

#include <vector>

class CVModel;
class CVNode;
class CVSection;
class CVTurning;
class CVType;

// Builds the host turnings between the built sections at every built node,
// from the links' turning records, and counts them on the link records.
class TurningBuilder
{
public:
    TurningBuilder(CVModel* model, const ParamicsNodeMap& nodes, const ParamicsLinkMap& links);

    void build();

private:
    static bool isTurningBuilt(const ParamicsLink* link, const ParamicsTurning& turning, const ParamicsLink* next);
    CVTurning* createTurning(const ParamicsTurning& turning, CVSection* origin, CVSection* destination, CVNode* node);
    // Its speed, path and curve, from its lanes and its two sections.
    static void place(CVTurning* turning);

    CVModel* model;
    const CVType* turningType = nullptr;
    const ParamicsNodeMap& nodes;
    const ParamicsLinkMap& links;
};
