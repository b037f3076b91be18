// Reads a generated demands file and matrix file of many zones and reports
// the time taken and the memory that the OD values take, against storing
// every value. Usage: bench_demandreaders [zones] [non-zero share]

#include "reader/demandreaders.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

void writeFile(const QString& path, const QString& header, int zones, double share, const QString& originSuffix)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QTextStream out(&file);
    QRandomGenerator random(zones);
    out << header << "\n";
    for (int o = 1; o <= zones; ++o) {
        out << "from " << o << originSuffix;
        for (int d = 1; d <= zones; ++d)
            out << ' ' << (random.bounded(1.0) < share ? random.bounded(1, 500) : 0);
        out << '\n';
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int zones = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 2000;
    const double share = argc > 2 ? QString::fromLatin1(argv[2]).toDouble() : 0.05;

    QTemporaryDir dir;
    writeFile(dir.path() + "/demands", "matrix count 1\ndivisor 2\nmatrix 1", zones, share, QString());
    writeFile(dir.path() + "/matrix", "matrix 1", zones, share, ":");

    QVector<ParamicsDemand*> demands;
    QMap<int, ParamicsMatrix*> matrices;
    const QMap<int, int> noRenumbering;
    QElapsedTimer timer;
    timer.start();
    ParamicsTokenStream demandsFile(nullptr, dir.path() + "/demands");
    DemandsReader(demands, noRenumbering).read(demandsFile);
    const qint64 demandsMs = timer.restart();
    ParamicsTokenStream matrixFile(nullptr, dir.path() + "/matrix");
    MatrixReader(matrixFile, matrices, noRenumbering).read();
    const qint64 matrixMs = timer.elapsed();

    qint64 rowBytes = 0;
    for (const ParamicsDemand* demand : demands)
        for (const ParamicsOdValues& row : demand->rows)
            rowBytes += row.storageBytes();
    const qint64 matrixBytes = matrices.isEmpty() ? 0 : matrices.first()->values.storageBytes();
    const double allValues = double(zones) * zones * 8;

    std::printf("%d zones, %.0f %% non-zero\n", zones, share * 100);
    std::printf("demands: %lld ms, values %.1f MB (every value: %.1f MB)\n", demandsMs, rowBytes / 1e6, allValues / 1e6);
    std::printf("matrix:  %lld ms, values %.1f MB (every value: %.1f MB)\n", matrixMs, matrixBytes / 1e6, allValues / 1e6);
    qDeleteAll(demands);
    qDeleteAll(matrices);
    return 0;
}
