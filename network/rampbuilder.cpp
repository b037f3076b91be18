// Ramps: side lanes and cuts of the sections that ramps join.
//
// A ramp entry of a link names the node where a ramp road meets the link.
// Near the start of the link's section (closer than RampCutDistance) the
// ramp joins as a side lane at that start; further along, the section is
// cut there into two with a new node between them, and the ramp joins the
// second part as a side lane.

#include "network/rampbuilder.h"

#include <cvgeomodel.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsectionlane.h>
#include <cvsystem.h>
#include <cvturning.h>

namespace {

// Distance from a section's start below which a ramp joins there.
constexpr double RampCutDistance = 30.0;
// Half the gap left between the two parts of a cut section.
constexpr double HalfCutGap = 5.0;

// Adds a ramp's entrance lane from the section's start over the ramp's
// length, on the ramp's side; true when the section took it. A ramp of no
// length (0, negative or not a number) adds no lane: offsets (0, 0) would
// make a full lane, and the ramp joins the section's outer lane instead.
bool addEntranceLane(CVSection* section, CVSectionLane& lane, double length, bool right)
{
    if (!(length > 0.0))
        return false;
    const int lanesBefore = section->getNbLanes();
    lane.setOffsets(0.0, length);
    section->addLane(lane, right ? -1 : 0);
    return section->getNbLanes() > lanesBefore;
}

}  // namespace

RampBuilder::RampBuilder(CVModel* model, CVLayer* layer, const ParamicsNodeMap& nodes,
                         const ParamicsLinkMap& rampLinks)
    : model(model), layer(layer), nodes(nodes), rampLinks(rampLinks)
{
}

void RampBuilder::build()
{
    if (!model)
        return;
    CVSectionLane lane;
    for (auto it = rampLinks.cbegin(); it != rampLinks.cend(); ++it) {
        const ParamicsLink* link = it.value();
        CVSection* section = link ? link->section : nullptr;
        if (!section)
            continue;
        for (const ParamicsRamp& ramp : link->ramps) {
            ParamicsNode* rampNode = nodes.value(ramp.node, nullptr);
            // Later entries are measured from the node of the last cut.
            const CVNode* start = section->getOrigin();
            if (!rampNode || !start)
                continue;
            if (rampNode->position.distance2D(start->getPosition()) < RampCutDistance) {
                rampNode->intermediate = true;
                rampNode->rampNode = startNode(*link, nodes);
                const bool right = section->getPoints().isPointAtRightArea(rampNode->position);
                const bool added = addEntranceLane(section, lane, ramp.length, right);
                updateRampLink(rampNode, section, right, nullptr, added);
            } else if (CVSection* second = cutSectionAtRamp(section, rampNode, ramp.length, lane)) {
                section = second;
            }
        }
    }
}

CVSection* RampBuilder::cutSectionAtRamp(CVSection* section, ParamicsNode* rampNode, double rampLength,
                                         CVSectionLane& lane)
{
    const CVPoints& points = section->getPoints();
    if (points.size() < 2)
        return nullptr;
    CVPoints before, after;
    points.cut(points.posAtPoint(rampNode->position, 40.0, false), before, after);
    if (before.isEmpty() || after.isEmpty())
        return nullptr;
    const bool rightOfMain = points.isPointAtRightArea(rampNode->position);

    auto* second = section->clone();
    if (!second)
        return nullptr;
    // A side lane of the main section (an earlier ramp) stays on the first part.
    if (sectionLaneCount(section) != section->getNbFullLanes()) {
        if (rightOfMain)
            second->removeLastLane();
        else
            second->removeLane(0);
    }
    const CVPoint firstEnd = before.pointAtPos(before.length2D(false) - HalfCutGap, false);
    const CVPoint secondStart = after.pointAtPos(HalfCutGap, false);
    const CVPoint firstStart = before.first();
    const CVPoint secondEnd = after.last();
    section->setFromSegment(firstStart, firstEnd, 1);
    second->setFromSegment(secondStart, secondEnd, 1);

    // The second part takes over the section's end and the turnings there.
    second->setDestination(section->getDestination());
    if (CVNode* end = section->getDestination()) {
        for (CVTurning* turning : end->getFromTurnings(section)) {
            turning->setOrigin(second);
            turning->setSections(second, turning->getDestination());
        }
    }

    auto* cutNode = dynamic_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model, -1, true));
    if (!cutNode)
        return second;
    cutNode->setName(rampNode->id);
    cutNode->setPosition(rampNode->position);
    section->setDestination(cutNode);
    second->setOrigin(cutNode);
    createRampTurning(section, second, cutNode, 0, sectionLaneCount(second) - 1);
    model->getGeoModel()->add(layer, cutNode);
    model->getGeoModel()->add(layer, second);
    rampNode->objectId = cutNode->getId();
    rampNode->node = cutNode;

    const bool right = second->getPoints().isPointAtRightArea(rampNode->position);
    const double afterLength = after.length2D(false);
    const bool added = addEntranceLane(second, lane, afterLength <= rampLength ? afterLength * 2.0 / 3.0 : rampLength, right);
    updateRampLink(rampNode, second, right, cutNode, added);
    return second;
}

CVTurning* RampBuilder::createRampTurning(CVSection* origin, CVSection* destination, CVNode* node,
                                          int destinationFrom, int destinationTo)
{
    auto* turning =
        dynamic_cast<CVTurning*>(CVSystem::getSystem().newObject(QStringLiteral("CVTurning"), model, -1, true));
    if (!turning)
        return nullptr;
    turning->setOrigin(origin);
    turning->setDestination(destination);
    turning->setNode(node);
    turning->setWarningIndicator(0);
    turning->setSections(origin, destination);
    turning->setOriginLanes(0, sectionLaneCount(origin) - 1);
    turning->setDestinationLanes(destinationFrom, destinationTo);
    if (turning->isAutoSpeed())
        turning->setSpeed(turning->calculateSpeed());
    node->addTurning(turning, true, true);
    return turning;
}

void RampBuilder::updateRampLink(ParamicsNode* rampNode, CVSection* section, bool right, CVNode* node,
                                 bool laneAdded)
{
    if (!rampNode || !section || !model)
        return;
    int target = 0;
    if (right) {
        target = sectionLaneCount(section) - 1;
    } else if (laneAdded) {
        // The ramp's lane went in before lane 0.
        updateTurnings(section);
    }
    if (!node && rampNode->rampNode)
        node = rampNode->rampNode->node;
    if (!node)
        return;
    for (const Section& entry : rampNode->inLinks) {
        CVSection* ramp = entry.link->section;
        if (!ramp)
            continue;
        ramp->setDestination(node);
        createRampTurning(ramp, section, node, target, target);
    }
    for (const Section& entry : rampNode->outLinks) {
        if (CVSection* leaving = entry.link->section)
            leaving->setOrigin(node);
    }
}

void RampBuilder::updateTurnings(CVSection* section)
{
    if (!section)
        return;
    if (CVNode* start = section->getOrigin()) {
        for (CVTurning* turning : start->getToTurnings(section))
            turning->setDestinationLanes(turning->getDestinationFromLane() + 1, turning->getDestinationToLane() + 1);
    }
    if (CVNode* end = section->getDestination()) {
        for (CVTurning* turning : end->getFromTurnings(section))
            turning->setOriginLanes(turning->getOriginFromLane() + 1, turning->getOriginToLane() + 1);
    }
}
