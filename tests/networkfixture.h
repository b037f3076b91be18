#pragma once

#include "network/centroidbuilder.h"
#include "network/linkupdater.h"
#include "network/nodebuilder.h"
#include "network/rampbuilder.h"
#include "network/sectionbuilder.h"
#include "network/turningbuilder.h"
#include "network/turningrepair.h"
#include "reader/paramicsarearecords.h"
#include "reader/paramicsdevicerecords.h"
#include "reader/paramicsrecordstore.h"
#include "reader/paramicstrafficrecords.h"
#include "reader/paramicstransitrecords.h"
#include "traffic/demandbuilder.h"
#include "traffic/demandtripsahead.h"
#include "traffic/devicebuilder.h"
#include "traffic/publictransportbuilder.h"
#include "traffic/signalcontrolbuilder.h"
#include "traffic/vehiclebuilder.h"

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvgeomodel.h>
#include <cvlayer.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QList>

#include <memory>

// A model and the records that the builders read, filled by hand as the
// readers would; each builder runs on them on its own. The fixture owns
// the records.
struct NetworkFixture : ParamicsRecordStore
{
    CVModel* model = CVSystem::getSystem().createModel();
    CVLayer* layer = nullptr;
    CVCentroidConfiguration* centroidConfiguration = nullptr;
    bool rightHandDrive = true;

    ParamicsNodeMap rampNodes;  // refers to records of nodes
    ParamicsLinkMap rampLinks;  // refers to records of links
    float toRedTime = 0.0f;
    float stopDelay = 0.0f;

    explicit NetworkFixture(bool rightHandDrive = true) : rightHandDrive(rightHandDrive)
    {
        CVSystem& system = CVSystem::getSystem();
        layer = static_cast<CVLayer*>(system.newObject(QStringLiteral("CVLayer"), model, -1, true));
        model->getGeoModel()->add(nullptr, layer);
        centroidConfiguration = static_cast<CVCentroidConfiguration*>(
            system.newObject(QStringLiteral("CVCentroidConfiguration"), model, -1, true));
    }
    ~NetworkFixture() { delete model; }
    NetworkFixture(const NetworkFixture&) = delete;
    NetworkFixture& operator=(const NetworkFixture&) = delete;

    // --- the builders on these records ---

    LinkUpdater linkUpdater() const { return LinkUpdater(links, rightHandDrive); }
    SectionBuilder sectionBuilder()
    {
        return SectionBuilder(model, layer, links, nodes, categories, centres, rightHandDrive, rampLinks);
    }
    CentroidBuilder centroidBuilder()
    {
        return CentroidBuilder(model, layer, centroidConfiguration, zones, nodes, links);
    }
    void updateLinks() { linkUpdater().build(); }
    void createLinks() { sectionBuilder().build(); }
    void createNodes() { NodeBuilder(model, layer, nodes, zones, rampNodes).build(); }
    void connectSections() { TurningBuilder(model, nodes, links).build(); }
    void createRamps() { RampBuilder(model, layer, nodes, rampLinks).build(); }
    PublicTransportBuilder publicTransport()
    {
        return PublicTransportBuilder(model, layer, links, busStops, busRoutes, rightHandDrive);
    }
    DeviceBuilder devices() { return DeviceBuilder(model, layer, links, detectors, beacons); }
    void createPriorities() { SignalControlBuilder(model, nodes, links, toRedTime, stopDelay).build(); }
    void addBaseVehicles() { BaseVehicleBuilder(baseVehicles).build(); }
    void createVehicles() { VehicleBuilder(model, baseVehicles, vehicles).build(); }
    // The demands' trips collected on a second thread now, for the next
    // createDemands (as the import does once its centroids exist).
    void collectTripsAhead()
    {
        tripsAhead = std::make_unique<DemandTripsAhead>(zoneNumbers, demands, model->getCatalog());
    }
    void createDemands()
    {
        DemandBuilder(model, centroidConfiguration, zoneNumbers, demands, profiles, matrixEntries, vehicles,
                      tripsAhead.get())
            .build();
        tripsAhead.reset();
    }
    std::unique_ptr<DemandTripsAhead> tripsAhead;

    // --- network records ---

    ParamicsNode* node(const QString& id, double x, double y, int type = ParamicsNode::Junction)
    {
        auto* record = new ParamicsNode;
        record->id = id;
        record->position = CVPoint(x, y, 0.0);
        record->type = type;
        nodes.insert(id, record);
        return record;
    }

    // A link tied into its nodes' lists, which must exist.
    ParamicsLink* link(const QString& from, const QString& to, int lanes = 1, double width = 0.0, int category = -1)
    {
        ParamicsLink* record = bareLink(from, to);
        record->lanes = lanes;
        record->width = width;
        record->category = category;
        record->twoWay = true;
        nodes.value(from)->appendOutLink(*record);
        nodes.value(to)->appendInLink(*record);
        return record;
    }

    // A link record without nodes, as the things placed along sections see it.
    ParamicsLink* bareLink(const QString& from, const QString& to)
    {
        auto* record = new ParamicsLink;
        record->from = from;
        record->to = to;
        record->name = ParamicsLink::linkName(from, to);
        links.insert(record->name, record);
        return record;
    }

    // A link "from:to" built as a bare host section of that many lanes:
    // no geometry, no nodes.
    CVSection* bareSection(const QString& from, const QString& to, int lanes = 1)
    {
        auto* section = static_cast<CVSection*>(CVSystem::getSystem().newObject("CVSection", model, -1, true));
        section->setDataValue(CVSection::nbLanesColumn(), lanes);
        ParamicsLink* link = bareLink(from, to);
        link->sectionId = section->getId();
        link->section = section;
        return section;
    }

    void category(int id, int lanes, double width, double speed = 50.0, const QString& type = QStringLiteral("urban"))
    {
        categories.insert(id, new ParamicsCategory{id, lanes, speed, width, type, 0.0, 0.0, 0.0});
    }

    void centre(int id, double x, double y, double radius)
    {
        centres.insert(id, new ParamicsCentre{id, x, y, radius});
    }

    // A turning already in host lanes (-1: all lanes).
    ParamicsTurning& turning(ParamicsLink* from, const QString& destination, int originFrom = -1, int originTo = -1,
                             int destinationFrom = -1, int destinationTo = -1)
    {
        ParamicsTurning turning;
        turning.destination = destination;
        turning.originFromLane = originFrom;
        turning.originToLane = originTo;
        turning.destinationFromLane = destinationFrom;
        turning.destinationToLane = destinationTo;
        from->appendTurning(turning);
        return from->turning(from->turningCount() - 1);
    }

    // --- what was built ---

    ParamicsLink* record(const QString& name) { return links.value(name); }
    CVSection* section(const QString& link)
    {
        return dynamic_cast<CVSection*>(model->getCatalog()->find(record(link)->sectionId));
    }
    CVNode* hostNode(const QString& id)
    {
        return dynamic_cast<CVNode*>(model->getCatalog()->find(nodes.value(id)->objectId));
    }
    CVTurning* hostTurning(const ParamicsTurning& turning)
    {
        return dynamic_cast<CVTurning*>(model->getCatalog()->find(turning.turningId));
    }
    template <typename T>
    QList<T*> objects(const char* typeName) const
    {
        QList<T*> list;
        if (const CVCatalog::ObjectsById* byId = model->getCatalog()->getObjectsByType(model->getType(typeName))) {
            for (CVObject* object : *byId)
                list.append(dynamic_cast<T*>(object));
        }
        return list;
    }
};
