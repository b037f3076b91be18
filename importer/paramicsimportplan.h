#pragma once

#include <cstddef>

// The import's steps, in the order the importer runs them. The driver
// (ParamicsImporter::netImport) walks this table; so do the command line's
// progress, the import benchmark, the tests' probe and the import fuzz
// target, so that a step added here shows up in all of them. The table is
// plain data in a header: the application, which loads the plug-in at run
// time, reads the names without linking the importer.

// When a step runs.
enum class ParamicsImportStage {
    BeforeReading,  // netImport, before the files are read
    Reading,        // readFiles, inside the "Reading Files" task
    Links,          // updateLinks, after reading
    Geometry,       // createGeometry
    Traffic,        // the traffic builders, after the network
};

// What kind of work a step is, for timing: a step of the reading stage
// that reads no file but builds (the links' turnings) counts as network.
enum class ParamicsImportWork { Setup, Reading, Network, Traffic };

// Each step's importer call (see ParamicsImporter::runStep).
enum class ParamicsImportStepId {
    BaseVehicles,
    Configuration,
    Zones,
    Categories,
    Centres,
    Nodes,
    LinksFiles,
    TurningConfiguration,
    NextLanes,
    Junctions,
    Priorities,
    Demands,
    Profile,
    Matrix,
    BusStops,
    BusRoutes,
    Vehicles,
    Detectors,
    Beacons,
    Annotation,
    LinkUpdate,
    RoadSide,
    Centroids,
    Sections,
    NodeObjects,
    TurningObjects,
    Ramps,
    ExtremeNodes,
    CentroidConnections,
    TurningRepair,
    SignalControl,
    VehicleTypes,
    Demand,
    BusStopObjects,
    BusLines,
    DetectorObjects,
    BeaconObjects,
    Labels,
};

struct ParamicsImportStep
{
    ParamicsImportStepId id;
    ParamicsImportStage stage;
    ParamicsImportWork work;
    const char* name;   // in a modeller's words, for progress and timings
    const char* files;  // the files it reads ("" for none); "links" stands for links.0 (or links), links.1, ...
    const char* call;   // the importer's member function behind it
    // The reading task's step reported after it (1 to 18), 0 for none.
    int taskStep;
};

// clang-format off
inline constexpr ParamicsImportStep paramicsImportPlan[] = {
    {ParamicsImportStepId::BaseVehicles, ParamicsImportStage::BeforeReading, ParamicsImportWork::Setup, "base vehicles", "", "addBaseVehicles", 0},
    // Sias only: the Quadstone variant has no configuration file.
    {ParamicsImportStepId::Configuration, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "configuration", "configuration", "readConfigurationSias", 1},
    {ParamicsImportStepId::Zones, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "zones", "zones", "readZones", 2},
    {ParamicsImportStepId::Categories, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "categories", "categories", "readCategories", 3},
    {ParamicsImportStepId::Centres, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "centres", "centres", "readCentres", 4},
    {ParamicsImportStepId::Nodes, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "nodes", "nodes", "readNodes", 5},
    {ParamicsImportStepId::LinksFiles, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "links", "links", "readLinks", 0},
    // The end of readLinks: every link's turnings, each with its signal
    // object in the model, before the next lanes fill them.
    {ParamicsImportStepId::TurningConfiguration, ParamicsImportStage::Reading, ParamicsImportWork::Network, "turnings", "", "configureTurnings", 6},
    {ParamicsImportStepId::NextLanes, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "next lanes", "nextlanes", "readNextLanes", 7},
    {ParamicsImportStepId::Junctions, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "junctions", "junctions", "readJunctions", 8},
    // Quadstone: readPriorities; Sias: readPrioritiesSias, then checkBarredTurnings.
    {ParamicsImportStepId::Priorities, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "priorities", "priorities", "readPriorities", 9},
    {ParamicsImportStepId::Demands, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "demands", "demands", "readDemands", 10},
    // Quadstone: readProfilesQuadstone; Sias: readProfilesSias.
    {ParamicsImportStepId::Profile, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "profile", "profile", "readProfilesQuadstone", 11},
    {ParamicsImportStepId::Matrix, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "matrix", "matrix", "readMatrix", 12},
    {ParamicsImportStepId::BusStops, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "bus stops", "busstops", "readBusStops", 13},
    {ParamicsImportStepId::BusRoutes, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "bus routes", "busroutes", "readBusRoutes", 14},
    {ParamicsImportStepId::Vehicles, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "vehicles", "vehicles", "readVehicles", 15},
    {ParamicsImportStepId::Detectors, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "detectors", "detectors", "readDetectors", 16},
    {ParamicsImportStepId::Beacons, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "beacons", "beacons", "readBeacons", 17},
    {ParamicsImportStepId::Annotation, ParamicsImportStage::Reading, ParamicsImportWork::Reading, "annotation", "annotation", "readAnnotations", 18},
    {ParamicsImportStepId::LinkUpdate, ParamicsImportStage::Links, ParamicsImportWork::Network, "link update", "", "updateLinks", 0},
    {ParamicsImportStepId::RoadSide, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "rule of the road", "", "createGeometry", 0},
    {ParamicsImportStepId::Centroids, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "centroids", "", "createCentroids", 0},
    {ParamicsImportStepId::Sections, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "sections", "", "createLinks", 0},
    {ParamicsImportStepId::NodeObjects, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "nodes", "", "createNodes", 0},
    {ParamicsImportStepId::TurningObjects, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "turning objects", "", "connectSections", 0},
    {ParamicsImportStepId::Ramps, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "ramps", "", "createRamps", 0},
    {ParamicsImportStepId::ExtremeNodes, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "extreme nodes", "", "calculateExtremeNodes", 0},
    {ParamicsImportStepId::CentroidConnections, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "centroid connections", "", "createCentroidConnections", 0},
    {ParamicsImportStepId::TurningRepair, ParamicsImportStage::Geometry, ParamicsImportWork::Network, "turning repair", "", "fixTurnings", 0},
    {ParamicsImportStepId::SignalControl, ParamicsImportStage::Traffic, ParamicsImportWork::Traffic, "signal control", "", "createPriorities", 0},
    {ParamicsImportStepId::VehicleTypes, ParamicsImportStage::Traffic, ParamicsImportWork::Traffic, "vehicle types", "", "createVehicles", 0},
    {ParamicsImportStepId::Demand, ParamicsImportStage::Traffic, ParamicsImportWork::Traffic, "demand", "", "createDemands", 0},
    {ParamicsImportStepId::BusStopObjects, ParamicsImportStage::Traffic, ParamicsImportWork::Traffic, "bus stops", "", "createBusStops", 0},
    {ParamicsImportStepId::BusLines, ParamicsImportStage::Traffic, ParamicsImportWork::Traffic, "bus lines", "", "createBusRoutes", 0},
    {ParamicsImportStepId::DetectorObjects, ParamicsImportStage::Traffic, ParamicsImportWork::Traffic, "detectors", "", "createDetectors", 0},
    {ParamicsImportStepId::BeaconObjects, ParamicsImportStage::Traffic, ParamicsImportWork::Traffic, "beacons", "", "createBeacons", 0},
    {ParamicsImportStepId::Labels, ParamicsImportStage::Traffic, ParamicsImportWork::Traffic, "labels", "", "createAnnotations", 0},
};
// clang-format on

inline constexpr std::size_t paramicsImportStepCount = sizeof(paramicsImportPlan) / sizeof(paramicsImportPlan[0]);

// The number of steps the reading task reports: the highest task step.
constexpr int paramicsReadingTaskSteps()
{
    int steps = 0;
    for (const ParamicsImportStep& step : paramicsImportPlan)
        steps = step.taskStep > steps ? step.taskStep : steps;
    return steps;
}

// What the reading task is busy with before it reports taskStep (1 to
// paramicsReadingTaskSteps()): the name of the first step after the
// previous report, or null.
constexpr const char* paramicsReadingTaskStepName(int taskStep)
{
    int reported = 0;
    bool groupStarts = true;
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        if (step.stage != ParamicsImportStage::Reading)
            continue;
        if (groupStarts && reported + 1 == taskStep)
            return step.name;
        groupStarts = step.taskStep != 0;
        if (groupStarts)
            reported = step.taskStep;
    }
    return nullptr;
}

// The reading of demand and transit files needs nothing from the network's
// files and makes no host object, so the import reads those files on a
// second thread while the first reads the network. They start once the
// step below has read the zones (their numbers renumber the demand) and
// join where the plan has the first of them, which is why no other step
// may come between them. The labels stay on the first thread: the length
// unit they are read in may still change with the centres and nodes.
inline constexpr ParamicsImportStepId paramicsAsideReadingStartsAfter = ParamicsImportStepId::Zones;

constexpr bool paramicsReadsAside(ParamicsImportStepId id)
{
    switch (id) {
    case ParamicsImportStepId::Demands:
    case ParamicsImportStepId::Profile:
    case ParamicsImportStepId::Matrix:
    case ParamicsImportStepId::BusStops:
    case ParamicsImportStepId::BusRoutes:
    case ParamicsImportStepId::Vehicles:
    case ParamicsImportStepId::Detectors:
    case ParamicsImportStepId::Beacons:
        return true;
    default:
        return false;
    }
}

// The next lanes, junctions and priorities files change only what the
// links' turnings carry (their lanes, ranks and barring) and the nodes'
// phases, and make no host object; the centroids and sections read none
// of it. So once the turnings are configured, the import reads these files
// on other threads (next lanes and junctions one after the other, as both
// set the turnings' lanes; the priorities beside them) while its own
// thread makes the centroids and sections. Everything read away from the
// import's thread joins before the step below, in the plan's order, then
// the labels are read and the turnings' lanes converted (the second half
// of the link update: the first, the links' other directions, which the
// sections need, comes before the threads start).
inline constexpr ParamicsImportStepId paramicsLaneReadingStartsAfter = ParamicsImportStepId::TurningConfiguration;
inline constexpr ParamicsImportStepId paramicsReadingJoinsBefore = ParamicsImportStepId::NodeObjects;

constexpr bool paramicsReadsTurningLanes(ParamicsImportStepId id)
{
    return id == ParamicsImportStepId::NextLanes || id == ParamicsImportStepId::Junctions;
}

constexpr bool paramicsReadsPriorities(ParamicsImportStepId id)
{
    return id == ParamicsImportStepId::Priorities;
}

// Where the step stands in the plan, from 0.
constexpr std::size_t paramicsPlanPosition(ParamicsImportStepId id)
{
    std::size_t at = 0;
    while (at < paramicsImportStepCount && paramicsImportPlan[at].id != id)
        ++at;
    return at;
}

// Whether the step runs on the import's thread before everything read
// away from it joins: the reading up to the lane files, then the building
// steps before the join, which need nothing those files give.
constexpr bool paramicsRunsBeforeJoining(const ParamicsImportStep& step)
{
    const std::size_t at = paramicsPlanPosition(step.id);
    if (step.stage == ParamicsImportStage::Geometry)
        return at < paramicsPlanPosition(paramicsReadingJoinsBefore);
    return at <= paramicsPlanPosition(paramicsLaneReadingStartsAfter);
}

// True when, in the plan, the lane files come right after the start
// step, the priorities right after them, the files read aside right after
// those, and the labels last; and when the building steps before the join
// are those whose records the threads do not touch.
constexpr bool paramicsLaneReadingFitsThePlan()
{
    const ParamicsImportStepId reading[] = {
        paramicsLaneReadingStartsAfter,     ParamicsImportStepId::NextLanes, ParamicsImportStepId::Junctions,
        ParamicsImportStepId::Priorities,   ParamicsImportStepId::Demands,   ParamicsImportStepId::Profile,
        ParamicsImportStepId::Matrix,       ParamicsImportStepId::BusStops,  ParamicsImportStepId::BusRoutes,
        ParamicsImportStepId::Vehicles,     ParamicsImportStepId::Detectors, ParamicsImportStepId::Beacons,
        ParamicsImportStepId::Annotation,   ParamicsImportStepId::LinkUpdate, ParamicsImportStepId::RoadSide,
        ParamicsImportStepId::Centroids,    ParamicsImportStepId::Sections,  paramicsReadingJoinsBefore,
    };
    std::size_t at = paramicsPlanPosition(reading[0]);
    for (std::size_t i = 0; i < sizeof(reading) / sizeof(reading[0]); ++i, ++at) {
        if (at >= paramicsImportStepCount || paramicsImportPlan[at].id != reading[i])
            return false;
    }
    return true;
}

// True when the steps read aside come after the start step, in the
// reading stage, with no other step among them.
constexpr bool paramicsAsideStepsFollowEachOther()
{
    bool started = false;
    int runs = 0;
    bool previousAside = false;
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        const bool aside = paramicsReadsAside(step.id);
        if (aside && (step.stage != ParamicsImportStage::Reading || !started))
            return false;
        if (aside && !previousAside)
            ++runs;
        previousAside = aside;
        started = started || step.id == paramicsAsideReadingStartsAfter;
    }
    return runs == 1;
}
static_assert(paramicsAsideStepsFollowEachOther(), "the steps read aside must follow each other after the start step");
static_assert(paramicsLaneReadingFitsThePlan(), "the lane files' reading beside the sections must fit the plan's order");
