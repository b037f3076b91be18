// Nodes, their turnings, and the link flags and lane ranges they need.

#include "importer/paramicsimporter.h"

#include <cvcatalog.h>
#include <cvgeomodel.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QObject>

#include <algorithm>

namespace {

// Host lanes of a turning's range are counted from 0 at the left; the
// files count from 1 at the kerb. With right-hand traffic the kerb is on
// the right, so lane f becomes laneCount - f.
void convertRange(int& from, int& to, bool recorded, bool rightHandDrive, int laneCount)
{
    // Lane numbers far beyond any road are cut first, so that the
    // arithmetic below cannot overflow; the turning repair clamps the
    // range to the lanes the sections have.
    constexpr int limit = 1 << 24;
    from = std::clamp(from, -limit, limit);
    to = std::clamp(to, -limit, limit);
    laneCount = std::clamp(laneCount, -limit, limit);
    if (!recorded) {
        from = to = -1;
    } else if (rightHandDrive) {
        from = laneCount - from;
        to = laneCount - to;
    } else {
        from -= 1;
        to -= 1;
    }
}

}  // namespace

void ParamicsImporter::updateLinks()
{
    for (auto it = links.cbegin(); it != links.cend(); ++it) {
        ParamicsLink* link = it.value();
        if (!link)
            continue;
        // A road is drawn as two directions side by side unless its other
        // direction exists only to be barred.
        const ParamicsLink* opposite = links.value(ParamicsLink::linkName(link->to, link->from), nullptr);
        link->twoWay = !(opposite && opposite->barred);
        for (int i = 0; i < link->turningCount(); ++i)
            updateNbLanes(&link->turning(i), unsigned(link->lanes));
    }
}

void ParamicsImporter::updateNbLanes(ParamicsTurning* turning, unsigned int laneCount)
{
    if (!turning)
        return;
    const bool originRecorded = turning->originRecorded();
    const bool destinationRecorded = turning->destinationRecorded();
    // The following link's lane count as read; a destination that names
    // no link has none.
    const ParamicsLink* next = links.value(turning->destination, nullptr);
    const int nextLaneCount = next ? next->lanes : 0;
    convertRange(turning->originFromLane, turning->originToLane, originRecorded, rightHandDrive, int(laneCount));
    convertRange(turning->destinationFromLane, turning->destinationToLane, destinationRecorded, rightHandDrive,
                 nextLaneCount);
}

void ParamicsImporter::createNodes()
{
    if (!model)
        return;
    for (auto it = nodes.cbegin(); it != nodes.cend(); ++it) {
        ParamicsNode* record = it.value();
        if (!record)
            continue;
        // Ramp geometry passes through this node; it is no junction.
        if (record->intermediate) {
            rampNodes.insert(record->id, record);
            continue;
        }
        auto* node = dynamic_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model, -1, true));
        if (!node)
            continue;
        node->setName(record->id);
        node->setYellowBox(false);
        node->setUserDefinedPriorities(false);
        node->setLayer(layer);
        node->setPosition(record->position);
        node->increaseTick();
        model->getGeoModel()->add(layer, node);
        record->objectId = node->getId();

        attachSections(record, node);
        if (record->type == ParamicsNode::Roundabout) {
            const QString id = QString::number(node->getId());
            model->getLog()->addWarning(
                QObject::tr("Node: <A HREF=\"OBJ_REF://%1\">%2</A> is a roundabout").arg(id, id));
        }
        addToZones(record);
    }
}

CVSection* ParamicsImporter::findSection(unsigned int id) const
{
    return id ? dynamic_cast<CVSection*>(model->getCatalog()->find(id)) : nullptr;
}

void ParamicsImporter::attachSections(const ParamicsNode* record, CVNode* node)
{
    // Barred links have no section and are passed over.
    for (const Section& entry : record->inLinks) {
        if (const ParamicsLink* link = links.value(entry.name, nullptr)) {
            if (CVSection* section = findSection(link->sectionId))
                section->setDestination(node);
        }
    }
    for (const Section& entry : record->outLinks) {
        if (const ParamicsLink* link = links.value(entry.name, nullptr)) {
            if (CVSection* section = findSection(link->sectionId))
                section->setOrigin(node);
        }
    }
}

void ParamicsImporter::addToZones(const ParamicsNode* record)
{
    for (ParamicsZone* zone : std::as_const(zones)) {
        if (zone && zone->contains(record->position))
            zone->zoneNodes.append(record->id);
    }
}

void ParamicsImporter::connectSections()
{
    if (!model)
        return;
    for (auto it = links.cbegin(); it != links.cend(); ++it) {
        ParamicsLink* link = it.value();
        if (!link)
            continue;
        const ParamicsNode* endNode = nodes.value(link->to, nullptr);
        if (!endNode || endNode->intermediate)
            continue;
        CVSection* origin = findSection(link->sectionId);
        auto* node = dynamic_cast<CVNode*>(model->getCatalog()->find(endNode->objectId));
        for (int i = 0; i < link->turningCount(); ++i) {
            ParamicsTurning& turning = link->turning(i);
            ParamicsLink* next = links.value(turning.destination, nullptr);
            if (!isTurningBuilt(link, turning, next))
                continue;
            // Sections or the node can only be missing when the builders
            // before ran on other records; nothing is then joined.
            CVSection* destination = findSection(next->sectionId);
            if (!origin || !destination || !node)
                continue;
            CVTurning* hostTurning = createTurning(turning, origin, destination, node);
            if (!hostTurning)
                continue;
            turning.turningId = hostTurning->getId();
            link->increaseOutTurnings();
            next->increaseInTurnings();
        }
    }
}

bool ParamicsImporter::isTurningBuilt(const ParamicsLink* link, const ParamicsTurning& turning,
                                      const ParamicsLink* next) const
{
    if (!next)
        return false;
    const bool uTurn = next->from == link->to && next->to == link->from;
    if (uTurn || link->barred || next->barred)
        return false;
    return next->from == link->to && !turning.barred;
}

CVTurning* ParamicsImporter::createTurning(const ParamicsTurning& turning, CVSection* origin, CVSection* destination,
                                           CVNode* node)
{
    auto* hostTurning =
        dynamic_cast<CVTurning*>(CVSystem::getSystem().newObject(QStringLiteral("CVTurning"), model, -1, true));
    if (!hostTurning)
        return nullptr;
    hostTurning->setOrigin(origin);
    hostTurning->setDestination(destination);
    hostTurning->setSections(origin, destination);

    // -1 stands for every lane of the section.
    const CVColumn* lanesColumn = CVSection::nbLanesColumn();
    if (turning.originFromLane > -1 && turning.originToLane > -1)
        hostTurning->setOriginLanes(turning.originFromLane, turning.originToLane);
    else
        hostTurning->setOriginLanes(0, origin->getDataValueInt(lanesColumn, CVContext::anyContext) - 1);
    if (turning.destinationFromLane > -1 && turning.destinationToLane > -1)
        hostTurning->setDestinationLanes(turning.destinationFromLane, turning.destinationToLane);
    else
        hostTurning->setDestinationLanes(0, destination->getDataValueInt(lanesColumn, CVContext::anyContext) - 1);

    hostTurning->setWarningIndicator(turning.warningIndicator);
    hostTurning->setNode(node);
    if (hostTurning->isAutoSpeed())
        hostTurning->setSpeed(hostTurning->calculateSpeed());
    node->addTurning(hostTurning, true, true);
    return hostTurning;
}
