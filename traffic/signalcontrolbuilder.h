#pragma once

#include "network/hostlookup.h"

class CVControlJunction;
class CVControlPhase;
class CVControlPlan;
class CVModel;
class CVNode;
struct ParamicsPhase;

// Fixed-time signal control: one control plan with a junction for every
// built node that has signal phases, whose signals are the turnings'
// signals that the priorities reader made.
class SignalControlBuilder
{
public:
    SignalControlBuilder(CVModel* model, const ParamicsNodeMap& nodes, const ParamicsLinkMap& links, float toRedTime,
                         float stopDelay);

    void build();

private:
    CVControlPlan* createControlPlan();
    void createControlJunction(CVControlPlan* plan, const ParamicsNode* record, CVNode* node);
    void addPhaseSignals(CVControlPhase* phase, const ParamicsPhase& record, const ParamicsNode* junction, CVNode* node);

    CVModel* model;
    const ParamicsNodeMap& nodes;
    const ParamicsLinkMap& links;
    const float toRedTime;
    const float stopDelay;
};
