// Fuzz targets, one per reader: the input is one file, run through the
// reader classes of that file, chosen by the name each target program is
// linked with (fuzzreadername.cpp, compiled once per reader). Readers that look up the records of
// other files (links need nodes and categories; next lanes, junctions and
// priorities need links; demands and matrices the zone renumbering) find
// them read first from the bundled Quadstone example, so that inputs made
// from its files get past the look-ups into the reader's own paths. Files
// with two readers (the variants of priorities and profiles, the two
// layouts of annotations, and the families in one file's place such as
// bus stops and routes) run each on the same input.

#include "fuzzsupport.h"

#include "network/turningsignalbuilder.h"

#include "reader/annotationreader.h"
#include "reader/configurationreader.h"
#include "reader/demandreaders.h"
#include "reader/devicereaders.h"
#include "reader/linksreader.h"
#include "reader/nodereaders.h"
#include "reader/paramicsrecordstore.h"
#include "reader/prioritiesreaders.h"
#include "reader/profilereaders.h"
#include "reader/transitreaders.h"
#include "reader/vehiclesreader.h"
#include "reader/zonereaders.h"

#include <cvmodel.h>
#include <cvsystem.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// The reader this program drives, one of the names of the table below.
extern const char* const fuzzReaderName;

#ifndef FUZZ_CONTEXT_DIR
#error "FUZZ_CONTEXT_DIR is the network whose records the dependent readers look up"
#endif

namespace {

// Every record a reader fills, freed after each input.
struct Records : ParamicsRecordStore
{
    std::unique_ptr<CVModel> model{CVSystem::getSystem().createModel()};
    CVBBox boundingBox;
    double unitFactor = 1.0;
    float toRedTime = 0.0f;
    float stopDelay = 0.0f;

    ParamicsTokenStream stream(const QString& path) const { return ParamicsTokenStream(model.get(), path); }
    static QString context(const char* name) { return QStringLiteral(FUZZ_CONTEXT_DIR "/") + QLatin1String(name); }

    void readContextZones()
    {
        ParamicsTokenStream in = stream(context("zones"));
        ZonesReader(in, zones, zoneNumbers, zoneRenumbering, unitFactor).read();
    }
    void readContextNodes()
    {
        ParamicsTokenStream categoriesIn = stream(context("categories"));
        CategoriesReader(categoriesIn, categories).read();
        ParamicsTokenStream nodesIn = stream(context("nodes"));
        NodesReader(nodesIn, nodes, boundingBox, unitFactor, toRedTime).read();
    }
    // The links of the context read, and the links of the input (if any)
    // after them, then the turnings configured as the importer does.
    void readLinks(const QString& inputPath)
    {
        LinksReader reader(nodes, links, categories);
        QStringList paths;
        if (inputPath.isEmpty())
            paths << context("links.0") << context("links.1");
        else
            paths << inputPath;
        for (const QString& path : std::as_const(paths)) {
            ParamicsTokenStream in = stream(path);
            reader.read(in);
        }
        TurningConfiguration(nodes, links, true).configure();
        TurningSignalBuilder(model.get(), links).build();
    }
};

using Run = void (*)(const QString& path);

struct Target
{
    const char* name;
    const char* file;
    Run run;
};

const Target targets[] = {
    {"configuration", "configuration",
     [](const QString& path) {
         Records r;
         ParamicsTokenStream in = r.stream(path);
         ConfigurationReader(in, r.stopDelay, r.toRedTime).read();
     }},
    {"zones", "zones",
     [](const QString& path) {
         Records r;
         ParamicsTokenStream zonesIn = r.stream(path);
         ZonesReader(zonesIn, r.zones, r.zoneNumbers, r.zoneRenumbering, r.unitFactor).read();
         ParamicsTokenStream categoriesIn = r.stream(path);
         CategoriesReader(categoriesIn, r.categories).read();
         ParamicsTokenStream centresIn = r.stream(path);
         CentresReader(centresIn, r.centres, r.unitFactor).read();
     }},
    {"nodes", "nodes",
     [](const QString& path) {
         Records r;
         ParamicsTokenStream in = r.stream(path);
         NodesReader(in, r.nodes, r.boundingBox, r.unitFactor, r.toRedTime).read();
     }},
    {"links", "links.0",
     [](const QString& path) {
         Records r;
         r.readContextNodes();
         r.readLinks(path);
     }},
    {"nextlanes", "nextlanes",
     [](const QString& path) {
         Records r;
         r.readContextNodes();
         r.readLinks(QString());
         ParamicsTokenStream in = r.stream(path);
         NextLanesReader(in, r.links).read();
     }},
    {"junctions", "junctions",
     [](const QString& path) {
         Records r;
         r.readContextNodes();
         r.readLinks(QString());
         ParamicsTokenStream in = r.stream(path);
         JunctionsReader(in, r.links).read();
     }},
    {"priorities", "priorities",
     [](const QString& path) {
         {
             Records r;
             r.readContextNodes();
             r.readLinks(QString());
             ParamicsTokenStream in = r.stream(path);
             QuadstonePrioritiesReader(in, r.nodes, r.links).read();
         }
         Records r;
         r.readContextNodes();
         r.readLinks(QString());
         ParamicsTokenStream in = r.stream(path);
         SiasPrioritiesReader(in, r.nodes, r.links).read();
         barTurningsBarredInEveryStage(r.nodes);
     }},
    {"demands", "demands",
     [](const QString& path) {
         Records r;
         r.readContextZones();
         DemandsReader reader(r.demands, r.zoneRenumbering);
         ParamicsTokenStream in = r.stream(path);
         reader.read(in);
     }},
    {"profile", "profile",
     [](const QString& path) {
         Records r;
         ParamicsTokenStream quadstoneIn = r.stream(path);
         QuadstoneProfilesReader(quadstoneIn, r.profiles).read();
         qDeleteAll(r.profiles);
         r.profiles.clear();
         ParamicsTokenStream siasIn = r.stream(path);
         SiasProfilesReader(siasIn, r.profiles).read();
     }},
    {"matrix", "matrix",
     [](const QString& path) {
         Records r;
         r.readContextZones();
         ParamicsTokenStream in = r.stream(path);
         MatrixReader(in, r.matrixEntries, r.zoneRenumbering).read();
     }},
    {"transit", "busroutes",
     [](const QString& path) {
         Records r;
         ParamicsTokenStream stopsIn = r.stream(path);
         BusStopsReader(stopsIn, r.busStops).read();
         ParamicsTokenStream routesIn = r.stream(path);
         BusRoutesReader(routesIn, r.busRoutes).read();
     }},
    {"vehicles", "vehicles",
     [](const QString& path) {
         Records r;
         ParamicsTokenStream in = r.stream(path);
         VehiclesReader(in, r.vehicles).read();
     }},
    {"devices", "detectors",
     [](const QString& path) {
         Records r;
         ParamicsTokenStream detectorsIn = r.stream(path);
         DetectorsReader(detectorsIn, r.detectors).read();
         ParamicsTokenStream beaconsIn = r.stream(path);
         BeaconsReader(beaconsIn, r.beacons).read();
     }},
    {"annotation", "annotation",
     [](const QString& path) {
         Records r;
         for (const bool sias : {false, true}) {
             ParamicsTokenStream in = r.stream(path);
             AnnotationReader(in, r.annotations, r.unitFactor, sias).read();
         }
     }},
};

const Target& target()
{
    static const Target* chosen = [] {
        for (const Target& t : targets) {
            if (std::strcmp(t.name, fuzzReaderName) == 0)
                return &t;
        }
        std::fprintf(stderr, "no reader named %s\n", fuzzReaderName);
        std::abort();
    }();
    return *chosen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Target& t = target();
    const QString path = FuzzScratch::instance().writeFile(QLatin1String(t.file), data, size);
    t.run(path);
    return 0;
}
