#pragma once

#include "network/hostlookup.h"

#include <QMap>

class CVLayer;
class CVModel;
class CVNode;
struct ParamicsZone;

// Builds one host node per node record that is not a ramp's intermediate
// node, joins the built sections to it, warns about roundabouts, and lists
// the node in every zone whose box holds it. Intermediate nodes are
// collected for the ramp builder.
class NodeBuilder
{
public:
    NodeBuilder(CVModel* model, CVLayer* layer, const ParamicsNodeMap& nodes, const QMap<int, ParamicsZone*>& zones,
                ParamicsNodeMap& rampNodes);

    void build();

private:
    void attachSections(const ParamicsNode* record, CVNode* node);

    CVModel* model;
    CVLayer* layer;
    const ParamicsNodeMap& nodes;
    const QMap<int, ParamicsZone*>& zones;
    ParamicsNodeMap& rampNodes;
};
