#include "importer/paramicsimporter.h"

#include "importer/paramicsasidereading.h"
#include "importer/paramicsimportoptions.h"
#include "network/linkupdater.h"
#include "reader/containers/splitwork.h"
#include "traffic/demandtripsahead.h"

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvfolder.h>
#include <cvgeomodel.h>
#include <cvlayer.h>
#include <cvmodel.h>
#include <cvsystem.h>
#include <cvtask.h>

#include <QObject>

#include <optional>

ParamicsImporter::ParamicsImporter() = default;

ParamicsImporter::~ParamicsImporter() = default;

void ParamicsImporter::setModel(CVModel* targetModel)
{
    model = targetModel;
}

void ParamicsImporter::setConfiguration()
{
    if (!model)
        return;
    const QString name = QStringLiteral("Paramics Configuration");
    // Any object of that name is taken, whatever its type: one that is no
    // centroid configuration leaves the import without one.
    if (CVObject* existing = model->getCatalog()->find(name, nullptr, Qt::CaseInsensitive)) {
        centroidConfiguration = dynamic_cast<CVCentroidConfiguration*>(existing);
        return;
    }
    CVSystem& system = CVSystem::getSystem();
    centroidConfiguration =
        static_cast<CVCentroidConfiguration*>(system.newObject(QStringLiteral("CVCentroidConfiguration"), model, -1, true));
    centroidConfiguration->setName(name);
    CVFolder* folder = system.createFolder(model->getCreateRootFolder(), QStringLiteral("CVModel::centroidsConf"), false, nullptr);
    folder->append(centroidConfiguration);
    centroidConfiguration->activate();
}

void ParamicsImporter::setNetworkLayer()
{
    if (!model)
        return;
    layer = model->getGeoModel()->getActiveLayer(false);
    if (!layer) {
        layer = static_cast<CVLayer*>(CVSystem::getSystem().newObject(QStringLiteral("CVLayer"), model, -1, true));
        layer->setLevel(100);
        layer->setInternalName(QStringLiteral("Default_CORVIA"));
        model->getGeoModel()->add(nullptr, layer);
    }
    layer->setName(QObject::tr("Network"));
}

void ParamicsImporter::setUnits(const QString& unitChoice)
{
    units = unitChoice;
    // Another text leaves the factor as it was.
    if (const std::optional<ParamicsLengthUnit> unit = lengthUnitFromName(units))
        unitFactor = lengthUnitFactor(*unit);
}

void ParamicsImporter::setRightHandDrive(bool right)
{
    rightHandDrive = right;
}

void ParamicsImporter::setNbDemandsFile(int n)
{
    nbDemandsFile = n;
}

void ParamicsImporter::setVersion(const QString& paramicsVersion)
{
    version = paramicsVersion;
}

void ParamicsImporter::netImport(const QString& directory)
{
    if (!model)
        return;
    runStage(ParamicsImportStage::BeforeReading, directory);
    if (workSharingAllowed().load(std::memory_order_relaxed)) {
        importSharingWork(directory);
        return;
    }
    readFiles(directory);
    runStage(ParamicsImportStage::Links, directory);
    createGeometry();
    runStage(ParamicsImportStage::Traffic, directory);
}

CVTask* ParamicsImporter::startReading(const QString& directory)
{
    textEncoding = std::make_unique<ParamicsNetworkEncoding>(directory);
    CVTask* task = CVSystem::getSystem().createTask(model, nullptr);
    task->setName(QObject::tr("Reading Files"));
    task->setTotalSteps(paramicsReadingTaskSteps());
    task->start(nullptr, 250);
    return task;
}

// Every file in the plan's order on this thread, but for the demand and
// transit files, read on a second one where work may be shared.
void ParamicsImporter::readFiles(const QString& directory)
{
    CVTask* task = startReading(directory);
    const bool sharing = workSharingAllowed().load(std::memory_order_relaxed);
    std::optional<ParamicsAsideReading> aside;
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        if (step.stage != ParamicsImportStage::Reading)
            continue;
        if (aside && paramicsReadsAside(step.id)) {
            joinAsideReading(*aside, task);
            aside.reset();
        }
        if (sharing && paramicsReadsAside(step.id))
            continue;
        readStep(step, directory, task);
        if (sharing && step.id == paramicsAsideReadingStartsAfter)
            aside.emplace(paramicsReadsAside, stepRunner(directory));
    }
    task->end(0);
}

// The whole import with its work shared between threads: the demand and
// transit files read aside from the zones on, the lane files and the
// priorities beside the centroids and sections (paramicsimportplan.h).
// Only this thread makes host objects, in the plan's order, so their ids,
// the log and the progress are those of the plan walked on one thread.
void ParamicsImporter::importSharingWork(const QString& directory)
{
    CVTask* task = startReading(directory);
    std::optional<ParamicsAsideReading> aside;
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        if (step.stage != ParamicsImportStage::Reading || !paramicsRunsBeforeJoining(step))
            continue;
        readStep(step, directory, task);
        if (step.id == paramicsAsideReadingStartsAfter)
            aside.emplace(paramicsReadsAside, stepRunner(directory));
    }
    buildBesideLaneFiles(directory, task);
    if (aside)
        joinAsideReading(*aside, task);
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        if (step.stage == ParamicsImportStage::Reading && !paramicsRunsBeforeJoining(step) &&
            !paramicsReadsTurningLanes(step.id) && !paramicsReadsPriorities(step.id) && !paramicsReadsAside(step.id))
            readStep(step, directory, task);
    }
    task->end(0);
    LinkUpdater(links, rightHandDrive).convertTurningLanes();
    startDemandTrips();
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        if (step.stage == ParamicsImportStage::Geometry && !paramicsRunsBeforeJoining(step))
            runStep(step.id, QString());
    }
    runStage(ParamicsImportStage::Traffic, directory);
}

// The lane files and the priorities on threads of their own while this
// one makes the centroids and sections; they join in plan order.
void ParamicsImporter::buildBesideLaneFiles(const QString& directory, CVTask* task)
{
    // The threads walk the nodes and links, which nobody adds to any more:
    // their names are put in order once, here.
    nodes.orderNames();
    links.orderNames();
    ParamicsAsideReading lanes(paramicsReadsTurningLanes, stepRunner(directory));
    ParamicsAsideReading priorities(paramicsReadsPriorities, stepRunner(directory));
    // The links' other directions, which the sections are drawn with.
    LinkUpdater(links, rightHandDrive).findOpposites();
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        if (step.stage == ParamicsImportStage::Geometry && paramicsRunsBeforeJoining(step))
            runStep(step.id, QString());
    }
    joinAsideReading(lanes, task);
    joinAsideReading(priorities, task);
}

void ParamicsImporter::readStep(const ParamicsImportStep& step, const QString& directory, CVTask* task)
{
    runStep(step.id, directory);
    if (step.taskStep > 0)
        task->stepTask(step.taskStep, -1.0);
}

std::function<void(ParamicsImportStepId)> ParamicsImporter::stepRunner(const QString& directory)
{
    return [this, directory](ParamicsImportStepId id) { runStep(id, directory); };
}

// The steps read aside join where the plan has them: their log entries and
// the task's steps follow the steps read before them.
void ParamicsImporter::joinAsideReading(ParamicsAsideReading& aside, CVTask* task)
{
    aside.join([this, task](const ParamicsImportStep& step, const QVector<CVLogEntry>& log, bool completed) {
        for (const CVLogEntry& entry : log)
            model->getLog()->addEntry(entry.level, entry.text);
        if (completed && step.taskStep > 0)
            task->stepTask(step.taskStep, -1.0);
    });
}

// Once the centroids exist and the demands are read, the demands' trips
// are collected on the second core while the rest of the network is built.
void ParamicsImporter::startDemandTrips()
{
    demandTripsAhead = std::make_unique<DemandTripsAhead>(zoneNumbers, demands, model->getCatalog());
}

void ParamicsImporter::createGeometry()
{
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        if (step.stage != ParamicsImportStage::Geometry)
            continue;
        runStep(step.id, QString());
        if (step.id == ParamicsImportStepId::Centroids)
            startDemandTrips();
    }
}

void ParamicsImporter::runStage(ParamicsImportStage stage, const QString& directory)
{
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        if (step.stage == stage)
            runStep(step.id, directory);
    }
}

void ParamicsImporter::runStep(ParamicsImportStepId id, const QString& directory)
{
    const bool quadstone = version == QLatin1String("Quadstone");
    const bool sias = version == QLatin1String("Sias");
    switch (id) {
    case ParamicsImportStepId::BaseVehicles: return addBaseVehicles();
    case ParamicsImportStepId::Configuration:
        if (sias)
            readConfigurationSias(directory);
        return;
    case ParamicsImportStepId::Zones: return readZones(directory);
    case ParamicsImportStepId::Categories: return readCategories(directory);
    case ParamicsImportStepId::Centres: return readCentres(directory);
    case ParamicsImportStepId::Nodes: return readNodes(directory);
    case ParamicsImportStepId::LinksFiles: return readLinksFiles(directory);
    case ParamicsImportStepId::TurningConfiguration: return configureTurnings();
    case ParamicsImportStepId::NextLanes: return readNextLanes(directory);
    case ParamicsImportStepId::Junctions: return readJunctions(directory);
    case ParamicsImportStepId::Priorities:
        if (quadstone) {
            readPriorities(directory);
        } else if (sias) {
            readPrioritiesSias(directory);
            checkBarredTurnings();
        }
        return;
    case ParamicsImportStepId::Demands: return readDemands(directory);
    case ParamicsImportStepId::Profile:
        if (quadstone)
            readProfilesQuadstone(directory);
        else if (sias)
            readProfilesSias(directory);
        return;
    case ParamicsImportStepId::Matrix: return readMatrix(directory);
    case ParamicsImportStepId::BusStops: return readBusStops(directory);
    case ParamicsImportStepId::BusRoutes: return readBusRoutes(directory);
    case ParamicsImportStepId::Vehicles: return readVehicles(directory);
    case ParamicsImportStepId::Detectors: return readDetectors(directory);
    case ParamicsImportStepId::Beacons: return readBeacons(directory);
    case ParamicsImportStepId::Annotation: return readAnnotations(directory);
    case ParamicsImportStepId::LinkUpdate: return updateLinks();
    case ParamicsImportStepId::RoadSide: return storeRoadSide();
    case ParamicsImportStepId::Centroids: return createCentroids();
    case ParamicsImportStepId::Sections: return createLinks();
    case ParamicsImportStepId::NodeObjects: return createNodes();
    case ParamicsImportStepId::TurningObjects: return connectSections();
    case ParamicsImportStepId::Ramps: return createRamps();
    case ParamicsImportStepId::ExtremeNodes: return calculateExtremeNodes();
    case ParamicsImportStepId::CentroidConnections: return createCentroidConnections();
    case ParamicsImportStepId::TurningRepair: return fixTurnings();
    case ParamicsImportStepId::SignalControl: return createPriorities();
    case ParamicsImportStepId::VehicleTypes: return createVehicles();
    case ParamicsImportStepId::Demand: return createDemands();
    case ParamicsImportStepId::BusStopObjects: return createBusStops();
    case ParamicsImportStepId::BusLines: return createBusRoutes();
    case ParamicsImportStepId::DetectorObjects: return createDetectors();
    case ParamicsImportStepId::BeaconObjects: return createBeacons();
    case ParamicsImportStepId::Labels: return createAnnotations();
    }
}
