#pragma once

#include "reader/paramicsnetworkrecords.h"

class CVModel;

// Gives every turning record its signal object in the model, a
// "CVControlPlanSignal" that the signal control builder later puts into
// the junctions' phases. The importer runs it right after the turnings are
// configured, before anything else is built, so the signals take the
// model's first ids after the reading's, in link name order and turning
// order.
class TurningSignalBuilder
{
public:
    TurningSignalBuilder(CVModel* model, const ParamicsLinkMap& links) : model(model), links(links) {}

    // A turning that has a signal keeps it.
    void build();

private:
    CVModel* model;
    const ParamicsLinkMap& links;
};
