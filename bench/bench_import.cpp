// Times one headless import of a Paramics directory phase by phase, the
// way the import filter runs it, and prints the figures as one JSON object:
//
//   bench_import DIR [Quadstone|Sias] [Metric|Feet]   the import
//   bench_import --reference DIR [PASSES]             the reference pass
//
// Every step of the import plan (importer/paramicsimportplan.h) is timed
// on its own, in the importer's order: "files" lists the reading stage
// (with the bytes each step reads), "steps" the network built after it
// (the link update and the geometry's steps), "trafficSteps" the traffic
// builders. Phases: reading, network (the turning configuration, which
// runs among the files but reads none and makes one signal object per
// turning, is marked "phase": "network" there and counted here), traffic,
// records (the importer giving back its records) and freeing (deleting the
// model). Each has wall time, CPU time and the process's peak resident
// memory at its end.
//
// The reference pass reads the same files, splits them into words and
// converts every number with std::from_chars: the speed that reading could
// reach if it did nothing else. Given a number of passes, it goes over the
// files that many times and reports the totals, so that a benchmark can
// time it over about as long as the reading it is compared with.

#include "importerprobe.h"

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

// The files a step of the import plan reads, as names in the directory.
QStringList filesOf(const ParamicsImportStep& step, const QString& directory, bool quadstone)
{
    const QString files = QString::fromLatin1(step.files);
    if (files.isEmpty() || (step.id == ParamicsImportStepId::Configuration && quadstone))
        return {};
    if (files != QLatin1String("links"))
        return {files};
    QStringList linkFiles;
    for (int n = 0; QFileInfo::exists(directory + QStringLiteral("/links.%1").arg(n)); ++n)
        linkFiles << QStringLiteral("links.%1").arg(n);
    return linkFiles.isEmpty() ? QStringList{files} : linkFiles;
}

// Every step of the import plan timed on its own, in the importer's order.
int runImport(const QString& directory, ParamicsVariant variant, ParamicsLengthUnit units)
{
    const bool quadstone = variant == ParamicsVariant::Quadstone;
    auto* model = CVSystem::getSystem().createModel();
    auto importer = std::make_unique<ParamicsImporter>();
    configureLikeTheDialog(*importer, model, variant, units);
    ParamicsImporterProbe probe(*importer);

    std::vector<Measurement> files;  // the reading stage
    std::vector<Measurement> steps;  // the network after reading
    std::vector<Measurement> trafficSteps;
    for (const ParamicsImportStep& step : paramicsImportPlan) {
        const auto run = [&] { probe.runStep(step, directory); };
        switch (step.stage) {
        case ParamicsImportStage::BeforeReading:
            run();
            break;
        case ParamicsImportStage::Reading:
            files.push_back(measure(step.name, run, bytesOf(directory, filesOf(step, directory, quadstone))));
            if (step.work == ParamicsImportWork::Network)
                files.back().phase = "network";
            break;
        case ParamicsImportStage::Links:
        case ParamicsImportStage::Geometry:
            steps.push_back(measure(step.name, run));
            break;
        case ParamicsImportStage::Traffic:
            trafficSteps.push_back(measure(step.name, run));
            break;
        }
    }

    // Building done among the files (the turnings) counts in the network phase.
    std::vector<Measurement> reading;
    std::vector<Measurement> network;
    for (const Measurement& m : files)
        (m.phase.empty() ? reading : network).push_back(m);
    network.insert(network.end(), steps.begin(), steps.end());
    std::vector<Measurement> phases;
    phases.push_back(sumOf("reading", reading));
    phases.back().bytes = 0;
    for (const Measurement& m : reading)
        phases.back().bytes += std::max<qint64>(m.bytes, 0);
    phases.push_back(sumOf("network", network));
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
