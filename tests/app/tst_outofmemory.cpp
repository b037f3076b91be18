// corvia import and open under a cap on their address space: whatever the
// cap, each run ends within its time with its outputs written, or with one
// line saying it ran out of memory and exit status 1. Never an abort, a
// crash or a wait for a thread that could not start.

#include "testsupport.h"

#include <QProcess>
#include <QtTest>

#include <sys/resource.h>

namespace {

struct CappedRun
{
    bool started = false;  // false when the cap did not leave room to load the libraries
    bool finished = false;
    int exitCode = -1;
    QByteArray err;
};

CappedRun runCapped(const QStringList& arguments, qint64 capBytes)
{
    QProcess process;
    process.setChildProcessModifier([capBytes] {
        const rlimit limit{rlim_t(capBytes), rlim_t(capBytes)};
        setrlimit(RLIMIT_AS, &limit);
    });
    process.start(QStringLiteral(CORVIA_BIN_DIR "/corvia"), arguments);
    CappedRun run;
    run.finished = process.waitForFinished(120000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.err = process.readAllStandardError();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    // The dynamic loader, or a library's constructor before main, failed;
    // or the loading of the GIS module, the run's first step when it asks
    // for a GIS file.
    run.started = !(run.exitCode == 127 || run.err.contains("error while loading shared libraries")
                    || run.err.startsWith("Out of memory allocating")
                    || (run.err.contains("the GIS module") && run.err.contains("failed to map segment")));
    return run;
}

}  // namespace

class TestOutOfMemory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyCapEndsCleanly_data();
    void everyCapEndsCleanly();

private:
    QTemporaryDir scratch;
    QString model;
};

void TestOutOfMemory::initTestCase()
{
#ifdef CORVIA_SANITIZED
    QSKIP("the sanitizers reserve far more address space than any cap here");
#endif
    QVERIFY(scratch.isValid());
    model = scratch.path() + QStringLiteral("/model.json");
    QProcess import;
    import.start(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                 {"import", QStringLiteral(EXAMPLES_DIR "/quadstone"), "--save", model, "-q"});
    QVERIFY(import.waitForFinished(120000) && import.exitCode() == 0);
}

void TestOutOfMemory::everyCapEndsCleanly_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<qint64>("capMiB");
    // From below what the libraries take to load to above what the whole
    // run needs, in steps that land in each stage: reading, building,
    // saving, the SUMO files, the GeoPackage (GDAL) and the picture (Qt's
    // painting threads, the PNG encoder).
    for (const char* command : {"import", "open"}) {
        for (qint64 cap = 200; cap <= 440; cap += 12)
            QTest::addRow("%s, %lld MiB", command, cap) << QString::fromLatin1(command) << cap;
    }
}

void TestOutOfMemory::everyCapEndsCleanly()
{
    QFETCH(QString, command);
    QFETCH(qint64, capMiB);
    const QString out = scratch.path() + QStringLiteral("/%1-%2").arg(command).arg(capMiB);
    QStringList arguments{command};
    arguments << (command == QLatin1String("import") ? QStringLiteral(EXAMPLES_DIR "/quadstone") : model);
    arguments << "--save" << out + "/m.json" << "--sumo" << out + "/sumo/net" << "--gis" << out + "/m.gpkg"
              << "--png" << out + "/m.png" << "-q";
    const CappedRun run = runCapped(arguments, capMiB * 1024 * 1024);
    QVERIFY2(run.finished, "still running after two minutes");
    if (!run.started)
        QSKIP("the cap leaves no room to load the libraries");
    if (run.exitCode == 0) {
        QVERIFY2(run.err.isEmpty(), run.err.constData());
        QVERIFY(QFile::exists(out + "/m.png"));
        return;
    }
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QByteArray("corvia " + command.toLatin1() + ": out of memory\n"));
}

QTEST_GUILESS_MAIN(TestOutOfMemory)
#include "tst_outofmemory.moc"
