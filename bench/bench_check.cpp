// Times the check of an imported network (corvia check's work after the
// import): the median of 5 runs, wall and CPU, and the findings by kind.
// Usage: bench_check NETWORK_DIR [Quadstone|Sias]

#include "benchclock.h"
#include "../tests/importerprobe.h"
#include "check/modelcheck.h"
#include "import/importrunner.h"

#include <cvmodel.h>
#include <cvsystem.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int repetitions = 5;

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<ParamicsVariant> variant =
        variantFromName(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("Quadstone"));
    if (argc < 2 || !variant) {
        std::fprintf(stderr, "usage: bench_check NETWORK_DIR [Quadstone|Sias]\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    {
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get(), *variant);
        importer.netImport(directory);
    }
    // As an import through the dialog leaves them, so that the files are looked at too.
    ParamicsImportOptions options;
    options.directory = directory;
    options.variant = *variant;
    model->setImportSettings(ImportRunner::modelSettings(QStringLiteral("Paramics Network"), options));
    std::vector<double> walls;
    std::vector<double> cpus;
    CheckReport report;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMilliseconds();
        report = ModelCheck::run(*model, directory);
        cpus.push_back(threadCpuMilliseconds() - cpuStart);
        walls.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("check                %.1f ms wall, %.1f ms CPU (median of %d)\n", medianOf(walls), medianOf(cpus),
                repetitions);
    for (const CheckKindInfo& kind : checkKinds()) {
        const int count = report.count(kind.kind);
        if (count > 0)
            std::printf("  %-26s %d\n", kind.id, count);
    }
    return 0;
}
