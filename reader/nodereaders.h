#pragma once

#include "reader/paramicsnetworkrecords.h"
#include "reader/paramicstokenstream.h"

#include <cvbbox.h>

#include <QMap>

// Readers of the nodes, next-lanes and junctions files.
//
// The files are read by position: after a keyword the layout's tokens are
// taken without checking them, and the token a layout ends on is looked at
// again by the main loop.

// The nodes file: the network's box, whose unit word fixes the length unit,
// and "node id at x, y, z type" per node.
class NodesReader
{
public:
    NodesReader(ParamicsTokenStream& stream, ParamicsNodeMap& nodes, CVBBox& boundingBox,
                double& unitFactor, float toRedTime)
        : in(stream), nodes(nodes), boundingBox(boundingBox), unitFactor(unitFactor), toRedTime(toRedTime)
    {
    }
    NodesReader(const NodesReader&) = delete;
    NodesReader& operator=(const NodesReader&) = delete;

    void read();

private:
    void readBox();
    void readNode();
    static int nodeType(const ParamicsToken& word);
    void storePending();

    ParamicsTokenStream& in;
    ParamicsNodeMap& nodes;
    CVBBox& boundingBox;
    double& unitFactor;
    const float toRedTime;
    ParamicsNode* pending = nullptr;  // made in the nodes' memory, stored when the next node starts
};

// The next-lanes file: "link name", then per lane "lane n next v1 v2 ...",
// where the i-th value is the lane of the link's i-th turning that lane n
// leads to (0: it does not lead there).
class NextLanesReader
{
public:
    NextLanesReader(ParamicsTokenStream& stream, const ParamicsLinkMap& links)
        : in(stream), links(links)
    {
    }

    void read();

private:
    void readNextValues();

    ParamicsTokenStream& in;
    const ParamicsLinkMap& links;
    ParamicsLink* link = nullptr;
    int lane = 0;
};

// The junctions file: "junction name", then "out n lanes l1 l2 ..." per exit
// (counted from 1 in turning order): the lanes that feed exit n. The exit
// then reaches every lane of the following link, so the destination lanes
// recorded for it are forgotten.
class JunctionsReader
{
public:
    JunctionsReader(ParamicsTokenStream& stream, const ParamicsLinkMap& links)
        : in(stream), links(links)
    {
    }

    void read();

private:
    void selectExit(int number);
    void readLanes();

    ParamicsTokenStream& in;
    const ParamicsLinkMap& links;
    ParamicsLink* link = nullptr;
    ParamicsTurning* turning = nullptr;
};
