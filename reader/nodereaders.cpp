// Nodes, next lanes and junction exits.
//
// The files are read by position: after a keyword the layout's tokens are
// taken without checking them, and the token a layout ends on is looked at
// again by the main loop.

#include "importer/paramicsimporter.h"
#include "reader/paramicstokenstream.h"

#include <algorithm>

namespace {

using K = ParamicsToken;

// Widens a turning's origin lane range to include the lane.
void includeOriginLane(ParamicsTurning& turning, int lane)
{
    turning.originFromLane = std::min(turning.originFromLane, lane);
    turning.originToLane = std::max(turning.originToLane, lane);
}

void includeDestinationLane(ParamicsTurning& turning, int lane)
{
    turning.destinationFromLane = std::min(turning.destinationFromLane, lane);
    turning.destinationToLane = std::max(turning.destinationToLane, lane);
}

// The nodes file: the network's box, whose unit word fixes the length unit,
// and "node id at x, y, z type" per node.
class NodesReader
{
public:
    NodesReader(ParamicsTokenStream& stream, QMap<QString, ParamicsNode*>& nodes, CVBBox& boundingBox,
                double& unitFactor, float toRedTime)
        : in(stream), nodes(nodes), boundingBox(boundingBox), unitFactor(unitFactor), toRedTime(toRedTime)
    {
    }

    ~NodesReader() { delete pending; }

    void read()
    {
        while (in.notAtEnd()) {
            if (in.current().is(K::Box))
                readBox();
            else if (in.current().is(K::Node))
                readNode();
            else
                in.next();
        }
        storePending();
    }

private:
    // "Box x1 unit y1 unit x2 unit y2".
    void readBox()
    {
        const double x1 = in.next().toDouble();
        unitFactor = ParamicsUnits::lengthFactor(in.next());
        const double y1 = in.next().toDouble();
        in.next();
        const double x2 = in.next().toDouble();
        in.next();
        const double y2 = in.next().toDouble();
        boundingBox.set(x1 * unitFactor, x2 * unitFactor, y1 * unitFactor, y2 * unitFactor);
    }

    // "node id at x unit y unit z unit type": nine tokens after the keyword.
    void readNode()
    {
        storePending();
        pending = new ParamicsNode;
        pending->id = in.next().text;
        pending->toRedTime = toRedTime;
        in.next();
        const double x = in.next().toDouble();
        in.next();
        const double y = in.next().toDouble();
        in.next();
        const double z = in.next().toDouble();
        in.next();
        pending->position = CVPoint(x * unitFactor, y * unitFactor, z * unitFactor);
        pending->type = nodeType(in.next());
        in.next();
    }

    static int nodeType(const ParamicsToken& word)
    {
        if (word.is(K::Junction))
            return ParamicsNode::Junction;
        if (word.is(K::Roundabout))
            return ParamicsNode::Roundabout;
        return ParamicsNode::Other;
    }

    void storePending()
    {
        if (!pending)
            return;
        ParamicsRecords::replace(nodes, pending->id, pending);
        pending = nullptr;
    }

    ParamicsTokenStream& in;
    QMap<QString, ParamicsNode*>& nodes;
    CVBBox& boundingBox;
    double& unitFactor;
    const float toRedTime;
    ParamicsNode* pending = nullptr;
};

// The next-lanes file: "link name", then per lane "lane n next v1 v2 ...",
// where the i-th value is the lane of the link's i-th turning that lane n
// leads to (0: it does not lead there).
class NextLanesReader
{
public:
    NextLanesReader(ParamicsTokenStream& stream, const QMap<QString, ParamicsLink*>& links)
        : in(stream), links(links)
    {
    }

    void read()
    {
        while (in.notAtEnd()) {
            const ParamicsToken& token = in.current();
            if (token.is(K::Link))
                link = links.value(in.next().text, nullptr);
            else if (token.is(K::Lane))
                lane = in.next().toInt();
            else if (token.is(K::Next))
                readNextValues();
            else
                in.next();
        }
    }

private:
    void readNextValues()
    {
        int exit = 0;
        for (in.next(); in.notAtEnd() && in.current().isNumeric(); in.next(), ++exit) {
            const int nextLane = in.current().toInt();
            if (nextLane == 0 || !link || exit >= link->turningCount())
                continue;
            ParamicsTurning& turning = link->turning(exit);
            includeOriginLane(turning, lane);
            includeDestinationLane(turning, nextLane);
        }
    }

    ParamicsTokenStream& in;
    const QMap<QString, ParamicsLink*>& links;
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
    JunctionsReader(ParamicsTokenStream& stream, const QMap<QString, ParamicsLink*>& links)
        : in(stream), links(links)
    {
    }

    void read()
    {
        while (in.notAtEnd()) {
            const ParamicsToken& token = in.current();
            if (token.is(K::Junction))
                link = links.value(in.next().text, nullptr);
            else if (token.is(K::Out))
                selectExit(in.next().toInt());
            else if (token.is(K::Lanes))
                readLanes();
            else
                in.next();
        }
    }

private:
    // Only "out" changes the exit: a new junction line keeps the last one.
    void selectExit(int number)
    {
        turning = (link && number >= 1 && number <= link->turningCount()) ? &link->turning(number - 1) : nullptr;
    }

    void readLanes()
    {
        for (in.next(); in.notAtEnd() && in.current().isNumeric(); in.next()) {
            if (!turning)
                continue;
            includeOriginLane(*turning, in.current().toInt());
            turning->destinationFromLane = ParamicsTurning::NoFromLane;
            turning->destinationToLane = ParamicsTurning::NoToLane;
        }
    }

    ParamicsTokenStream& in;
    const QMap<QString, ParamicsLink*>& links;
    ParamicsLink* link = nullptr;
    ParamicsTurning* turning = nullptr;
};

}  // namespace

void ParamicsImporter::readNodes(const QString& directory)
{
    ParamicsTokenStream stream(model, directory + QStringLiteral("/nodes"));
    NodesReader(stream, nodes, boundingBox, unitFactor, toRedTime).read();
}

void ParamicsImporter::readNextLanes(const QString& directory)
{
    ParamicsTokenStream stream(model, directory + QStringLiteral("/nextlanes"));
    NextLanesReader(stream, links).read();
}

void ParamicsImporter::readJunctions(const QString& directory)
{
    ParamicsTokenStream stream(model, directory + QStringLiteral("/junctions"));
    JunctionsReader(stream, links).read();
}
