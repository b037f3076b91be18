// Turnings between the sections at each node, with their lane ranges.

#include "network/turningbuilder.h"

#include "reader/containers/splitwork.h"

#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

TurningBuilder::TurningBuilder(CVModel* model, const ParamicsNodeMap& nodes, const ParamicsLinkMap& links)
    : model(model), nodes(nodes), links(links)
{
}

void TurningBuilder::build()
{
    if (!model)
        return;
    turningType = model->getType(QStringLiteral("CVTurning"));
    std::vector<CVTurning*> made;
    for (auto it = links.cbegin(); it != links.cend(); ++it) {
        ParamicsLink* link = it.value();
        if (!link)
            continue;
        const ParamicsNode* end = endNode(*link, nodes);
        if (!end || end->intermediate)
            continue;
        CVSection* origin = link->section;
        CVNode* node = end->node;
        for (int i = 0; i < link->turningCount(); ++i) {
            ParamicsTurning& turning = link->turning(i);
            ParamicsLink* next = namedLink(turning.destination, links);
            if (!isTurningBuilt(link, turning, next))
                continue;
            // Sections or the node can only be missing when the builders
            // before ran on other records; nothing is then joined.
            CVSection* destination = next->section;
            if (!origin || !destination || !node)
                continue;
            CVTurning* hostTurning = createTurning(turning, origin, destination, node);
            if (!hostTurning)
                continue;
            made.push_back(hostTurning);
            turning.turningId = hostTurning->getId();
            link->increaseOutTurnings();
            next->increaseInTurnings();
        }
    }
    placeTurnings(made);
}

bool TurningBuilder::isTurningBuilt(const ParamicsLink* link, const ParamicsTurning& turning,
                                    const ParamicsLink* next)
{
    if (!next)
        return false;
    const bool continues = sameNode(next->fromNode, next->from, link->toNode, link->to);
    const bool uTurn = continues && sameNode(next->toNode, next->to, link->fromNode, link->from);
    if (uTurn || link->barred || next->barred)
        return false;
    return continues && !turning.barred;
}

CVTurning* TurningBuilder::createTurning(const ParamicsTurning& turning, CVSection* origin, CVSection* destination,
                                         CVNode* node)
{
    // The type's factory makes a CVTurning.
    auto* hostTurning = static_cast<CVTurning*>(CVSystem::getSystem().newObject(turningType, model));
    if (!hostTurning)
        return nullptr;
    // The path is placed once the lanes are known, when the node lists
    // the turning: placing it for the sections alone first (setSections)
    // would be overwritten.
    hostTurning->setOrigin(origin);
    hostTurning->setDestination(destination);

    // -1 stands for every lane of the section.
    if (turning.originFromLane > -1 && turning.originToLane > -1)
        hostTurning->setOriginLanes(turning.originFromLane, turning.originToLane);
    else
        hostTurning->setOriginLanes(0, origin->getNbLanes() - 1);
    if (turning.destinationFromLane > -1 && turning.destinationToLane > -1)
        hostTurning->setDestinationLanes(turning.destinationFromLane, turning.destinationToLane);
    else
        hostTurning->setDestinationLanes(0, destination->getNbLanes() - 1);

    hostTurning->setWarningIndicator(turning.warningIndicator);
    hostTurning->setNode(node);
    // Its speed and path come when every turning is made (placeTurnings).
    node->addTurning(hostTurning, false, false);
    return hostTurning;
}

// A turning's speed, path and curve depend on its own lanes and its two
// sections alone, which no turning changes: they are worked out for all
// turnings at once, on two threads.
void TurningBuilder::placeTurnings(const std::vector<CVTurning*>& made)
{
    constexpr std::size_t worthAThread = 4096;
    splitWorkInTwo(made.size(), worthAThread, [&made](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            CVTurning* turning = made[i];
            if (turning->isAutoSpeed())
                turning->setSpeed(turning->calculateSpeed());
            turning->updatePath(true);
            turning->curve();
        }
    });
}
