// The host's model, without an import: CPU time of catalogue look-ups by
// name (a name that thousands of objects share, and unique names), and,
// given a saved model file, of checking its JSON syntax.
// Usage: bench_catalog [OBJECTS_SHARING_A_NAME] [MODEL_FILE]

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvmodelreader.h>
#include <cvsystem.h>

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int sharing = argc > 1 ? std::atoi(argv[1]) : 2000;
    constexpr int Unique = 50000;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const QStringList spellings{QStringLiteral("Depot Straße"), QStringLiteral("DEPOT STRASSE"),
                                QStringLiteral("depot straße"), QStringLiteral("Depot Strasse")};
    for (int i = 0; i < sharing; ++i)
        CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get())->setName(spellings.at(i % spellings.size()));
    for (int i = 0; i < Unique; ++i)
        CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get())->setName(QStringLiteral("Node %1").arg(i));
    const CVCatalog* catalog = model->getCatalog();
    const CVType* layerType = model->getType(QStringLiteral("CVLayer"));

    long found = 0;
    const double start = cpuSeconds();
    for (int round = 0; round < 2000; ++round) {
        found += catalog->find(QStringLiteral("DEPOT STRASSE"), nullptr, Qt::CaseInsensitive) != nullptr;
        found += catalog->find(QStringLiteral("depot strasse"), layerType, Qt::CaseInsensitive) != nullptr;
    }
    const double shared = cpuSeconds();
    QStringList names;
    for (int i = 0; i < Unique; ++i)
        names.append(QStringLiteral("node %1").arg(i));
    const double named = cpuSeconds();
    for (int round = 0; round < 4; ++round) {
        for (const QString& name : std::as_const(names))
            found += catalog->find(name, nullptr, Qt::CaseInsensitive) != nullptr;
    }
    const double unique = cpuSeconds();
    std::printf("{\"sharing\": %d, \"sharedNameLookups\": 4000, \"sharedNameCpu\": %.4f, "
                "\"uniqueNameLookups\": %d, \"uniqueNameCpu\": %.4f, \"found\": %ld",
                sharing, shared - start, 4 * Unique, unique - named, found);

    if (argc > 2) {
        QString error;
        const double before = cpuSeconds();
        const bool ok = CVModelReader::checkSyntax(QString::fromLocal8Bit(argv[2]), &error);
        std::printf(", \"syntaxCheckCpu\": %.3f, \"syntaxOk\": %s", cpuSeconds() - before, ok ? "true" : "false");
    }
    std::printf("}\n");
    return 0;
}
