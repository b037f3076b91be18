#pragma once

class CVModel;

// The junctions of a model by how they are run: signalised (a node of a
// control plan), roundabouts (the nodes the import's log names as such)
// and priority junctions (other nodes with a turning that gives way).
struct JunctionCounts
{
    int signalised = 0;
    int priority = 0;
    int roundabouts = 0;

    static JunctionCounts of(const CVModel& model);
};
