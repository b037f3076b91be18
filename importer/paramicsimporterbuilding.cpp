// The importer's building phases: each hands the records and host objects
// that one builder of network/ or traffic/ needs to it and runs it.

#include "importer/paramicsimporter.h"

#include "network/centroidbuilder.h"
#include "network/linkupdater.h"
#include "network/nodebuilder.h"
#include "network/rampbuilder.h"
#include "network/sectionbuilder.h"
#include "network/turningbuilder.h"
#include "network/turningrepair.h"
#include "traffic/demandbuilder.h"
#include "traffic/demandtripsahead.h"
#include "traffic/devicebuilder.h"
#include "traffic/publictransportbuilder.h"
#include "traffic/signalcontrolbuilder.h"
#include "traffic/vehiclebuilder.h"

#include <cvmodel.h>
#include <cvpreferencesvalues.h>

void ParamicsImporter::updateLinks()
{
    LinkUpdater(links, rightHandDrive).build();
}

// The host reads the rule of the road from this preference: "0" for
// right-hand traffic, "1" for left-hand traffic.
void ParamicsImporter::storeRoadSide()
{
    if (!model)
        return;
    model->getPreferences()->setValue(QStringLiteral("CVModel::Location::RoadSide"),
                                      rightHandDrive ? QStringLiteral("0") : QStringLiteral("1"));
}

void ParamicsImporter::createLinks()
{
    SectionBuilder(model, layer, links, nodes, categories, centres, rightHandDrive, rampLinks).build();
}

void ParamicsImporter::createNodes()
{
    NodeBuilder(model, layer, nodes, zones, rampNodes).build();
}

void ParamicsImporter::connectSections()
{
    TurningBuilder(model, nodes, links).build();
}

void ParamicsImporter::createRamps()
{
    RampBuilder(model, layer, nodes, rampLinks).build();
}

CentroidBuilder ParamicsImporter::centroidBuilder()
{
    return CentroidBuilder(model, layer, centroidConfiguration, zones, nodes, links);
}

void ParamicsImporter::createCentroids()
{
    centroidBuilder().createCentroids();
}

void ParamicsImporter::calculateExtremeNodes()
{
    centroidBuilder().calculateExtremeNodes();
}

void ParamicsImporter::createCentroidConnections()
{
    centroidBuilder().createCentroidConnections();
}

void ParamicsImporter::fixTurnings()
{
    TurningRepair(model).build();
}

void ParamicsImporter::createPriorities()
{
    SignalControlBuilder(model, nodes, links, toRedTime, stopDelay).build();
}

void ParamicsImporter::addBaseVehicles()
{
    BaseVehicleBuilder(baseVehicles).build();
}

void ParamicsImporter::createVehicles()
{
    VehicleBuilder(model, baseVehicles, vehicles).build();
}

void ParamicsImporter::createDemands()
{
    DemandBuilder(model, centroidConfiguration, zoneNumbers, demands, profiles, matrixEntries, vehicles,
                  demandTripsAhead.get())
        .build();
    demandTripsAhead.reset();
}

void ParamicsImporter::createBusStops()
{
    PublicTransportBuilder(model, layer, links, busStops, busRoutes, rightHandDrive).createBusStops();
}

void ParamicsImporter::createBusRoutes()
{
    PublicTransportBuilder(model, layer, links, busStops, busRoutes, rightHandDrive).createBusRoutes();
}

void ParamicsImporter::createDetectors()
{
    DeviceBuilder(model, layer, links, detectors, beacons).createDetectors();
}

void ParamicsImporter::createBeacons()
{
    DeviceBuilder(model, layer, links, detectors, beacons).createBeacons();
}

void ParamicsImporter::createAnnotations()
{
    AnnotationBuilder(model, layer, annotations).build();
}
