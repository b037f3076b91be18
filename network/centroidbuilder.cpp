// Centroids of the zones and their connections to the network.
//
// Every zone becomes a centroid. A zone with built nodes inside its box is
// then moved onto its extreme node, the one with the fewest sections (the
// edge of the network that the zone stands for), and connected to every
// section at that node and to the dead-end sections at its other nodes.

#include "network/centroidbuilder.h"

#include "reader/paramicsarearecords.h"

#include <cvcatalog.h>
#include <cvcenconnection.h>
#include <cvcentroid.h>
#include <cvcentroidconfiguration.h>
#include <cvgeomodel.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>

namespace {

// A node count of sections that no real node reaches: such a node is never
// taken as extreme node.
constexpr int NoExtremeNode = 10000;

}  // namespace

CentroidBuilder::CentroidBuilder(CVModel* model, CVLayer* layer, CVCentroidConfiguration* configuration,
                                 const QMap<int, ParamicsZone*>& zones, const ParamicsNodeMap& nodes,
                                 const ParamicsLinkMap& links)
    : model(model), layer(layer), configuration(configuration), zones(zones), nodes(nodes), links(links)
{
}

void CentroidBuilder::createCentroids()
{
    if (!model)
        return;
    // Zones written with the same number one after the other (a zones file
    // may repeat one zone header millions of times) give their centroids
    // the same name and external id: one copy of the text serves them all.
    int namedNumber = 0;
    QString number;
    QString name;
    for (ParamicsZone* zone : std::as_const(zones)) {
        if (!zone)
            continue;
        auto* centroid =
            dynamic_cast<CVCentroid*>(CVSystem::getSystem().newObject(QStringLiteral("CVCentroid"), model, -1, true));
        if (!centroid)
            continue;
        centroid->setPosition(zone->centroidPoint);
        if (number.isEmpty() || zone->id != namedNumber) {
            namedNumber = zone->id;
            number = QString::number(zone->id);
            name = QStringLiteral("C%1").arg(number);
        }
        centroid->setName(name);
        centroid->setExternalId(number);
        centroid->setConsPercentages(CVCentroid::CVCentroidPercentages(0));
        centroid->setUseBestEntrance(false);
        centroid->setLayer(layer);
        centroid->increaseTick();
        zone->centroidId = centroid->getId();
        if (configuration)
            configuration->addCentroid(centroid);
        centroid->increaseTick();
        model->getGeoModel()->add(layer, centroid);
    }
}

void CentroidBuilder::calculateExtremeNodes()
{
    for (ParamicsZone* zone : std::as_const(zones)) {
        if (!zone)
            continue;
        int best = NoExtremeNode;
        QString name;
        // Strictly fewer: among equals the first node of the zone stays.
        for (const QString& id : std::as_const(zone->zoneNodes)) {
            const ParamicsNode* node = nodes.value(id, nullptr);
            if (node && node->sectionCount < best) {
                best = node->sectionCount;
                name = id;
            }
        }
        zone->extremeNode = name;
    }
}

void CentroidBuilder::connectCentroid(CVCentroid* centroid, CVSection* section, int connectionType)
{
    auto* connection = dynamic_cast<CVCenConnection*>(
        CVSystem::getSystem().newObject(QStringLiteral("CVCenConnection"), model, -1, true));
    if (!connection)
        return;
    connection->setConnectionObject(section);
    connection->setConnectionType(connectionType);
    centroid->addConnection(connection);
}

void CentroidBuilder::createCentroidConnections()
{
    if (!model)
        return;
    const CVCatalog* catalog = model->getCatalog();
    for (const ParamicsZone* zone : std::as_const(zones)) {
        if (!zone || zone->extremeNode.isEmpty())
            continue;
        const ParamicsNode* extreme = nodes.value(zone->extremeNode, nullptr);
        auto* centroid = dynamic_cast<CVCentroid*>(catalog->find(zone->centroidId));
        if (!extreme || !centroid)
            continue;
        if (const CVNode* node = extreme->node)
            centroid->setPosition(node->getPosition());

        // Every open section at the extreme node, entering ones first.
        for (const Section& entry : extreme->inLinks) {
            const ParamicsLink* link = entry.link;
            if (CVSection* section = !link->barred ? link->section : nullptr)
                connectCentroid(centroid, section, 1);
        }
        for (const Section& entry : extreme->outLinks) {
            const ParamicsLink* link = entry.link;
            if (CVSection* section = !link->barred ? link->section : nullptr)
                connectCentroid(centroid, section, 0);
        }

        connectDeadEnds(centroid, zone);
    }
}

// Dead ends elsewhere in the zone: sections that no turning leaves (traffic
// can only arrive at the centroid) or enters (it can only come from there).
// A section already connected is not connected again.
void CentroidBuilder::connectDeadEnds(CVCentroid* centroid, const ParamicsZone* zone)
{
    for (const QString& id : zone->zoneNodes) {
        const ParamicsNode* node = nodes.value(id, nullptr);
        if (!node)
            continue;
        for (const Section& entry : node->inLinks) {
            const ParamicsLink* link = entry.link;
            if (link->barred || link->outTurnings != 0)
                continue;
            CVSection* section = link->section;
            if (section && centroid->objectConnectionType(section) == CVCentroid::eNoConnection)
                connectCentroid(centroid, section, 1);
        }
        for (const Section& entry : node->outLinks) {
            const ParamicsLink* link = entry.link;
            if (link->barred || link->inTurnings != 0)
                continue;
            CVSection* section = link->section;
            if (section && centroid->objectConnectionType(section) == CVCentroid::eNoConnection)
                connectCentroid(centroid, section, 0);
        }
    }
}
