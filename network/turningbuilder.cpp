// Turnings between the sections at each node, with their lane ranges.

#include "network/turningbuilder.h"

#include "reader/containers/workbesidemaking.h"

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
    std::size_t turningRecords = 0;
    for (auto it = links.cbegin(); it != links.cend(); ++it)
        turningRecords += it.value() ? std::size_t(it.value()->turningCount()) : 0;
    // A turning's speed, path and curve depend on its own lanes and its two
    // sections alone, which no turning changes: each is worked out on a
    // second thread once the turning is made, while the next ones are made.
    WorkBesideMaking<CVTurning*, void (*)(CVTurning*)> placed(turningRecords, &TurningBuilder::place);
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
            turning.turningId = hostTurning->getId();
            link->increaseOutTurnings();
            next->increaseInTurnings();
            if (!placed.add(hostTurning))
                place(hostTurning);
        }
    }
    placed.finish();
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
    // Its speed and path come once it is made (place).
    node->addTurning(hostTurning, false, false);
    return hostTurning;
}

void TurningBuilder::place(CVTurning* turning)
{
    if (turning->isAutoSpeed())
        turning->setSpeed(turning->calculateSpeed());
    turning->updatePath(true);
    turning->curve();
}
