#pragma once

#include "reader/paramicsnetworkrecords.h"
#include "reader/paramicstokenstream.h"

#include <QMap>

#include <optional>

// Readers of the priorities file: give-way ranks and signal phases, in the
// Quadstone and the Sias dialect.
//
// A junction block starts with "actions" and the junction's node id. A
// movement is named by the node it arrives from and the node it leaves to:
// "from a to b" at junction J is the turning of link a:J into link J:b.
// Phases ("stage" in Sias files) are copied onto their node only when the
// next "actions" or phase header is met, so the last phase of a file,
// followed by neither, is not kept.

// The state both dialects keep while walking the file. None of it is reset
// between junctions except where a keyword says so: the offset holds for
// every later phase, and the current movement stays current until the
// next "to".
class PrioritiesReader
{
public:
    PrioritiesReader(ParamicsTokenStream& stream, const ParamicsNodeMap& nodes,
                     const ParamicsLinkMap& links)
        : in(stream), nodes(nodes), links(links)
    {
    }

protected:
    void storePhase();
    void startPhase(double duration);
    void readFrom();
    void readTo();
    void addMovement();
    void setWarningIndicator(int rank);
    void readMax();
    void readRed();
    void skip(int count);

    ParamicsTokenStream& in;
    const ParamicsNodeMap& nodes;
    const ParamicsLinkMap& links;

    ParamicsNode* junction = nullptr;
    QString fromNode;
    QString toNode;
    ParamicsTurning* turning = nullptr;
    std::optional<ParamicsPhase> phase;
    bool stored = false;
    bool inPhase = false;
    double offset = 0.0;
};

// Quadstone: "actions J", movement lines "from a to b major|medium|minor|
// barred", and phases "phase offset t" / "phase n duration" with their
// "max", "red" and the movements that have green.
class QuadstonePrioritiesReader : public PrioritiesReader
{
public:
    using PrioritiesReader::PrioritiesReader;

    void read();

private:
    void readActions();
    void readPhaseHeader();
    void readRank(int rank);
};

// Sias: as Quadstone with stages for phases; "actions signals x y J" for a
// signalised junction; medium and minor rank alike; a movement barred
// within a stage is only listed in that stage.
class SiasPrioritiesReader : public PrioritiesReader
{
public:
    using PrioritiesReader::PrioritiesReader;

    void read();

private:
    void readActions();
    void readStageHeader();
    void readRank(int rank);
    void readBarred();
};

// Sias files bar a movement only within stages; it is barred outright when
// every stage of its junction bars it.
void barTurningsBarredInEveryStage(const ParamicsNodeMap& nodes);
