// Words per second of the lexer on a generated multi-megabyte file shaped
// like a large network's nodes, links and next-lanes data.

#include "reader/paramicslexer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <ctime>

namespace {

// Roughly bytes long; returns the number of words written.
qint64 writeNetworkLikeFile(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return 0;
    QTextStream out(&file);
    qint64 words = 0;
    out << "## generated network for the lexer benchmark\n";
    out << "Bounding Box -70266.9 m -732765.1 m -68109.5 m -731073.8 m\n";
    words += 10;
    for (int i = 0; file.pos() + 0 < bytes; ++i) {
        out << "node " << i << " at " << (-69000.25 + i) << " m, " << (-732000.5 - i) << " m, 0.00 m junction\n";
        out << "link " << i << ' ' << i + 1 << " category " << (i % 40) << " speed 60 kph width 7.3 m"
            << (i % 7 == 0 ? " arc centre #12 left" : "") << " ## comment words are dropped\n";
        out << "lane 1 next 0 1 2 0\n";
        words += 10 + 11 + (i % 7 == 0 ? 4 : 0) + 7;
        if (i % 1000 == 0)
            out.flush();
    }
    out.flush();
    return words + 1;  // the end marker
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 16;
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/links.0");
    const qint64 expectedWords = writeNetworkLikeFile(path, megabytes * 1024 * 1024);
    const qint64 size = QFile(path).size();

    double bestSeconds = 0.0;
    double bestCpuSeconds = 0.0;
    double openSeconds = 0.0;
    qint64 words = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        ParamicsLexer lexer;
        lexer.openFile(path);
        openSeconds = timer.nsecsElapsed() / 1e9;
        ParamicsToken token;
        words = 0;
        lexer.nextToken(token);
        ++words;
        while (lexer.notAtEnd()) {
            lexer.nextToken(token);
            ++words;
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        if (run == 0 || seconds < bestSeconds)
            bestSeconds = seconds;
        if (run == 0 || cpuSeconds < bestCpuSeconds)
            bestCpuSeconds = cpuSeconds;
        std::printf("run %d: %.3f s, of which openFile %.3f s\n", run + 1, seconds, openSeconds);
    }

    std::printf("file: %.1f MB, %lld words (expected %lld)\n", size / (1024.0 * 1024.0), static_cast<long long>(words),
                static_cast<long long>(expectedWords));
    std::printf("best of 3: %.3f s, %.0f words per second, %.1f MB/s\n", bestSeconds, words / bestSeconds,
                size / (1024.0 * 1024.0) / bestSeconds);
    // On a shared machine the wall clock includes waiting for a core.
    std::printf("best of 3 in process CPU time: %.3f s, %.0f words per CPU second\n", bestCpuSeconds,
                bestCpuSeconds > 0.0 ? words / bestCpuSeconds : 0.0);
    return 0;
}
