// Nodes: their host nodes, the sections joined to them, and their zones.

#include "network/nodebuilder.h"

#include "network/zonegrid.h"
#include "reader/paramicsarearecords.h"

#include <cvgeomodel.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>

#include <QObject>

NodeBuilder::NodeBuilder(CVModel* model, CVLayer* layer, const ParamicsNodeMap& nodes,
                         const QMap<int, ParamicsZone*>& zones, ParamicsNodeMap& rampNodes)
    : model(model), layer(layer), nodes(nodes), zones(zones), rampNodes(rampNodes)
{
}

void NodeBuilder::build()
{
    if (!model)
        return;
    const ParamicsZoneGrid zoneGrid(zones);
    const CVType* nodeType = model->getType(QStringLiteral("CVNode"));
    for (auto it = nodes.cbegin(); it != nodes.cend(); ++it) {
        ParamicsNode* record = it.value();
        if (!record)
            continue;
        // Ramp geometry passes through this node; it is no junction.
        if (record->intermediate) {
            rampNodes.insert(record->id, record);
            continue;
        }
        // The type's factory makes a CVNode.
        auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(nodeType, model));
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
        record->node = node;

        attachSections(record, node);
        if (record->type == ParamicsNode::Roundabout) {
            const QString id = QString::number(node->getId());
            model->getLog()->addWarning(
                QObject::tr("Node: <A HREF=\"OBJ_REF://%1\">%2</A> is a roundabout").arg(id, id));
        }
        // A zone whose first node this is shares one list of it with the
        // other such zones (copied when a second node joins): a flood of
        // zones over one node costs no list per zone, and a node in no
        // zone none at all.
        QVector<QString> alone;
        zoneGrid.forEachZoneAt(record->position, [record, &alone](ParamicsZone* zone) {
            if (!zone->zoneNodes.isEmpty()) {
                zone->zoneNodes.append(record->id);
                return;
            }
            if (alone.isEmpty())
                alone = QVector<QString>{record->id};
            zone->zoneNodes = alone;
        });
    }
}

void NodeBuilder::attachSections(const ParamicsNode* record, CVNode* node)
{
    // Barred links have no section and are passed over.
    for (const Section& entry : record->inLinks) {
        if (CVSection* section = entry.link->section)
            section->setDestination(node);
    }
    for (const Section& entry : record->outLinks) {
        if (CVSection* section = entry.link->section)
            section->setOrigin(node);
    }
}

