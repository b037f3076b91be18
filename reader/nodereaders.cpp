#include "reader/nodereaders.h"

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

}  // namespace

void NodesReader::read()
{
    // A node's line takes some forty bytes or more.
    nodes.reserve(nodes.size() + qsizetype(in.fileSize() / 40));
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

// "Box x1 unit y1 unit x2 unit y2".
void NodesReader::readBox()
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
void NodesReader::readNode()
{
    storePending();
    pending = nodes.make();
    pending->id = in.next().text();
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

int NodesReader::nodeType(const ParamicsToken& word)
{
    if (word.is(K::Junction))
        return ParamicsNode::Junction;
    if (word.is(K::Roundabout))
        return ParamicsNode::Roundabout;
    return ParamicsNode::Other;
}

void NodesReader::storePending()
{
    if (!pending)
        return;
    ParamicsRecords::replace(nodes, pending->id, pending);
    pending = nullptr;
}

void NextLanesReader::read()
{
    while (in.notAtEnd()) {
        const ParamicsToken& token = in.current();
        if (token.is(K::Link))
            link = links.value(in.next().namePart(), nullptr);
        else if (token.is(K::Lane))
            lane = in.next().toInt();
        else if (token.is(K::Next))
            readNextValues();
        else
            in.next();
    }
}

void NextLanesReader::readNextValues()
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

void JunctionsReader::read()
{
    while (in.notAtEnd()) {
        const ParamicsToken& token = in.current();
        if (token.is(K::Junction))
            link = links.value(in.next().namePart(), nullptr);
        else if (token.is(K::Out))
            selectExit(in.next().toInt());
        else if (token.is(K::Lanes))
            readLanes();
        else
            in.next();
    }
}

// Only "out" changes the exit: a new junction line keeps the last one.
void JunctionsReader::selectExit(int number)
{
    turning = (link && number >= 1 && number <= link->turningCount()) ? &link->turning(number - 1) : nullptr;
}

void JunctionsReader::readLanes()
{
    for (in.next(); in.notAtEnd() && in.current().isNumeric(); in.next()) {
        if (!turning)
            continue;
        includeOriginLane(*turning, in.current().toInt());
        turning->destinationFromLane = ParamicsTurning::NoFromLane;
        turning->destinationToLane = ParamicsTurning::NoToLane;
    }
}
