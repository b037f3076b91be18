// Times one headless import of a Paramics directory phase by phase, the
// way the import filter runs it, and prints the figures as one JSON object:
//
//   bench_import DIR [Quadstone|Sias] [Metric|Feet]   the import
//   bench_import --reference DIR [PASSES]             the reference pass
//
// Phases: reading (each file on its own, in the order the importer reads
// them), network (links, nodes, turnings, ramps, centroids), traffic
// (signal control, vehicles, demand, public transport, devices, labels),
// records (the importer giving back its records) and freeing (deleting the
// model). Each has wall time, CPU time and the process's peak resident
// memory at its end. The network phase is also listed step by step
// ("steps": the link update, centroids, sections, nodes, turning objects, ramps,
// extreme nodes, centroid connections, the turnings' repair), and so is the
// traffic phase ("trafficSteps": signal control, vehicles, demands, bus
// stops, bus routes, detectors and beacons, labels).
//
// "turnings" is the configuration of the links' turnings: it reads no file
// but makes one signal object per turning in the model, so it is building.
// The importer runs it right after the links files, before the next-lanes
// file that fills the turnings, and so does this program; it is listed
// among the files in that place (marked "phase": "network") but counted in
// the network phase, not in reading.
//
// The reference pass reads the same files, splits them into words and
// converts every number with std::from_chars: the speed that reading could
// reach if it did nothing else. Given a number of passes, it goes over the
// files that many times and reports the totals, so that a benchmark can
// time it over about as long as the reading it is compared with.

#include "importerprobe.h"

#include "reader/linksreader.h"

#include <cvmodel.h>
#include <cvsystem.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

struct Clock
{
    double wall = 0.0;
    double cpu = 0.0;

    static Clock now()
    {
        timespec cpuTime{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuTime);
        const auto wall = std::chrono::steady_clock::now().time_since_epoch();
        return {std::chrono::duration<double>(wall).count(), double(cpuTime.tv_sec) + double(cpuTime.tv_nsec) * 1e-9};
    }
};

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // KiB on Linux
}

// Page faults so far. On a virtual machine each first touch of a fresh page
// costs several microseconds, so new memory is a large part of a phase's
// time; the count shows how much.
long long pageFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

struct Measurement
{
    std::string name;
    double wall = 0.0;
    double cpu = 0.0;
    double peak = 0.0;
    qint64 bytes = -1;
    std::string phase = {};  // set when a step run among the files belongs to another phase
    long long faults = 0;
};

Measurement measure(const std::string& name, const std::function<void()>& work, qint64 bytes = -1)
{
    const long long faultsBefore = pageFaults();
    const Clock start = Clock::now();
    work();
    const Clock end = Clock::now();
    return {name, end.wall - start.wall, end.cpu - start.cpu, peakMiB(), bytes, {}, pageFaults() - faultsBefore};
}

void print(const Measurement& m, bool last)
{
    std::printf("    {\"name\": \"%s\", \"wall\": %.6f, \"cpu\": %.6f, \"peakMiB\": %.1f, \"faults\": %lld", m.name.c_str(),
                m.wall, m.cpu, m.peak, m.faults);
    if (m.bytes >= 0)
        std::printf(", \"bytes\": %lld", static_cast<long long>(m.bytes));
    if (!m.phase.empty())
        std::printf(", \"phase\": \"%s\"", m.phase.c_str());
    std::printf("}%s\n", last ? "" : ",");
}

// A phase made of steps: their times and faults added, the peak at the last.
Measurement sumOf(const std::string& name, const std::vector<Measurement>& steps)
{
    Measurement phase{name};
    for (const Measurement& step : steps) {
        phase.wall += step.wall;
        phase.cpu += step.cpu;
        phase.faults += step.faults;
        phase.peak = step.peak;
    }
    return phase;
}

void printList(const char* key, const std::vector<Measurement>& list, bool last)
{
    std::printf("  \"%s\": [\n", key);
    for (std::size_t i = 0; i < list.size(); ++i)
        print(list[i], i + 1 == list.size());
    std::printf("  ]%s\n", last ? "" : ",");
}

qint64 bytesOf(const QString& directory, const QStringList& names)
{
    qint64 total = 0;
    for (const QString& name : names) {
        if (!name.isEmpty())  // no file (the Quadstone variant's configuration), not the directory
            total += QFileInfo(directory + QLatin1Char('/') + name).size();
    }
    return total;
}

int runImport(const QString& directory, ParamicsVariant variant, ParamicsLengthUnit units)
{
    const bool quadstone = variant == ParamicsVariant::Quadstone;
    auto* model = CVSystem::getSystem().createModel();
    auto importer = std::make_unique<ParamicsImporter>();
    configureLikeTheDialog(*importer, model, variant, units);
    ParamicsImporterProbe probe(*importer);
    const QString d = directory;

    // The readers in the order the importer runs them, each with its files.
    struct Reader
    {
        const char* name;
        QStringList files;
        std::function<void()> read;
        bool building = false;  // run in reading's order, counted in the network phase
    };
    QStringList linkFiles;
    for (int n = 0; QFileInfo::exists(d + QStringLiteral("/links.%1").arg(n)); ++n)
        linkFiles << QStringLiteral("links.%1").arg(n);
    if (linkFiles.isEmpty())
        linkFiles << QStringLiteral("links");
    const std::vector<Reader> readers = {
        {"configuration", {quadstone ? QString() : QStringLiteral("configuration")},
         [&] { if (!quadstone) probe.readConfigurationSias(d); }},
        {"zones", {QStringLiteral("zones")}, [&] { probe.readZones(d); }},
        {"categories", {QStringLiteral("categories")}, [&] { probe.readCategories(d); }},
        {"centres", {QStringLiteral("centres")}, [&] { probe.readCentres(d); }},
        {"nodes", {QStringLiteral("nodes")}, [&] { probe.readNodes(d); }},
        // The importer reads the links files and then gives every link its
        // turnings, each with a signal object in the model, before the
        // next-lanes file (which fills the turnings) is read. The two run
        // in that order and are timed apart: reading the words, then
        // configuring (building, counted in the network phase).
        {"links", linkFiles,
         [&] {
             LinksReader reader(probe.nodes(), probe.links(), probe.categories());
             for (int number = 0;; ++number) {
                 ParamicsTokenStream in(model, d + QStringLiteral("/links.%1").arg(number));
                 if (!in.isOpen())
                     break;
                 reader.read(in);
             }
         }},
        {"turnings", {}, [&] { probe.configureTurnings(); }, true},
        {"nextlanes", {QStringLiteral("nextlanes")}, [&] { probe.readNextLanes(d); }},
        {"junctions", {QStringLiteral("junctions")}, [&] { probe.readJunctions(d); }},
        {"priorities", {QStringLiteral("priorities")},
         [&] {
             if (quadstone) {
                 probe.readPriorities(d);
             } else {
                 probe.readPrioritiesSias(d);
                 probe.checkBarredTurnings();
             }
         }},
        {"demands", {QStringLiteral("demands")}, [&] { probe.readDemands(d); }},
        {"profile", {QStringLiteral("profile")},
         [&] { quadstone ? probe.readProfilesQuadstone(d) : probe.readProfilesSias(d); }},
        {"matrix", {QStringLiteral("matrix")}, [&] { probe.readMatrix(d); }},
        {"busstops", {QStringLiteral("busstops")}, [&] { probe.readBusStops(d); }},
        {"busroutes", {QStringLiteral("busroutes")}, [&] { probe.readBusRoutes(d); }},
        {"vehicles", {QStringLiteral("vehicles")}, [&] { probe.readVehicles(d); }},
        {"detectors", {QStringLiteral("detectors")}, [&] { probe.readDetectors(d); }},
        {"beacons", {QStringLiteral("beacons")}, [&] { probe.readBeacons(d); }},
        {"annotation", {QStringLiteral("annotation")}, [&] { probe.readAnnotations(d); }},
    };

    std::vector<Measurement> files;
    std::vector<Measurement> phases;
    probe.addBaseVehicles();
    Measurement building;  // the building done between the files
    const long long readingFaults = pageFaults();
    const Clock readingStart = Clock::now();
    for (const Reader& reader : readers) {
        files.push_back(measure(reader.name, reader.read, bytesOf(d, reader.files)));
        files.back().phase = reader.building ? "network" : "";
        if (reader.building) {
            building.wall += files.back().wall;
            building.cpu += files.back().cpu;
            building.faults += files.back().faults;
        }
    }
    const Clock readingEnd = Clock::now();
    qint64 readBytes = 0;
    for (const Measurement& m : files)
        readBytes += std::max<qint64>(m.bytes, 0);
    phases.push_back({"reading", readingEnd.wall - readingStart.wall - building.wall,
                      readingEnd.cpu - readingStart.cpu - building.cpu, peakMiB(), readBytes, {},
                      pageFaults() - readingFaults - building.faults});
    // The network phase step by step: the link update, then the steps of
    // the geometry, each timed apart (listed as "steps").
    std::vector<Measurement> steps;
    steps.push_back(measure("links", [&] { probe.updateLinks(); }));
    probe.createGeometryStepByStep(
        [&](const char* name, const std::function<void()>& step) { steps.push_back(measure(name, step)); });
    phases.push_back(sumOf("network", steps));
    phases.back().wall += building.wall;
    phases.back().cpu += building.cpu;
    phases.back().faults += building.faults;
    // The traffic phase step by step (listed as "trafficSteps").
    std::vector<Measurement> trafficSteps;
    trafficSteps.push_back(measure("signal control", [&] { probe.createPriorities(); }));
    trafficSteps.push_back(measure("vehicles", [&] { probe.createVehicles(); }));
    trafficSteps.push_back(measure("demands", [&] { probe.createDemands(); }));
    trafficSteps.push_back(measure("bus stops", [&] { probe.createBusStops(); }));
    trafficSteps.push_back(measure("bus routes", [&] { probe.createBusRoutes(); }));
    trafficSteps.push_back(measure("devices", [&] {
        probe.createDetectors();
        probe.createBeacons();
    }));
    trafficSteps.push_back(measure("labels", [&] { probe.createAnnotations(); }));
    phases.push_back(sumOf("traffic", trafficSteps));
    phases.push_back(measure("records", [&] { importer.reset(); }));
    phases.push_back(measure("freeing", [&] { delete model; }));

    std::printf("{\n  \"directory\": \"%s\",\n", qPrintable(directory));
    printList("files", files, false);
    printList("steps", steps, false);
    printList("trafficSteps", trafficSteps, false);
    printList("phases", phases, true);
    std::printf("}\n");
    return 0;
}

// Splits the bytes into words at ASCII whitespace and converts every word
// that starts like a number; returns how many converted.
qint64 referencePass(const QByteArray& bytes, double& sum)
{
    qint64 numbers = 0;
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    while (p < end) {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
            ++p;
        const char* word = p;
        while (p < end && !(*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
            ++p;
        if (word == p)
            break;
        double value = 0.0;
        const auto result = std::from_chars(word, p, value);
        if (result.ec == std::errc() && result.ptr == p) {
            sum += value;
            ++numbers;
        }
    }
    return numbers;
}

int runReference(const QString& directory, int passes)
{
    const QStringList names = QDir(directory).entryList(QDir::Files, QDir::Name);
    qint64 bytes = 0;
    qint64 numbers = 0;
    double sum = 0.0;
    const Clock start = Clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        for (const QString& name : names) {
            if (name.endsWith(QLatin1String(".json")))
                continue;
            QFile file(directory + QLatin1Char('/') + name);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray data = file.readAll();
            bytes += data.size();
            numbers += referencePass(data, sum);
        }
    }
    const Clock end = Clock::now();
    std::printf("{\n  \"directory\": \"%s\",\n  \"reference\": {\"wall\": %.6f, \"cpu\": %.6f, \"bytes\": %lld, "
                "\"numbers\": %lld, \"checksum\": %.3f, \"passes\": %d}\n}\n",
                qPrintable(directory), end.wall - start.wall, end.cpu - start.cpu, static_cast<long long>(bytes),
                static_cast<long long>(numbers), sum, passes);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if ((args.size() == 2 || args.size() == 3) && args[0] == QLatin1String("--reference")) {
        bool ok = true;
        const int passes = args.size() == 3 ? args[2].toInt(&ok) : 1;
        if (ok && passes >= 1 && passes <= 1000)
            return runReference(args[1], passes);
    }
    const std::optional<ParamicsVariant> variant = variantFromName(args.value(1, QStringLiteral("Quadstone")));
    const std::optional<ParamicsLengthUnit> units = lengthUnitFromName(args.value(2, QStringLiteral("Metric")));
    if (args.isEmpty() || args[0].startsWith(QLatin1String("--")) || !variant || !units) {
        std::fprintf(stderr, "usage: bench_import DIR [Quadstone|Sias] [Metric|Feet]\n"
                             "       bench_import --reference DIR [PASSES (1 to 1000)]\n");
        return 2;
    }
    return runImport(args[0], *variant, *units);
}
