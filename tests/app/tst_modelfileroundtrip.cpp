// A model saved, opened and saved again is the same file, and everything
// exported from the opened model is what the import exported. Run through
// corvia as a user runs it, on the examples, the real network and a
// generated one of a city's size.

#include "testsupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The sanitizers make a city's import, save, open and export take several
// minutes; there the generated network is the small one.
#ifdef CORVIA_SANITIZED
const char* const GeneratedSize = "small";
#else
const char* const GeneratedSize = "city";
#endif

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runProgram(const QString& program, const QStringList& arguments, int timeoutMs = 300000)
{
    QProcess process;
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(timeoutMs))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

Run corvia(const QStringList& arguments)
{
    return runProgram(QStringLiteral(CORVIA_BIN_DIR "/corvia"), arguments);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString sharedNetwork(const QString& name)
{
    return qEnvironmentVariable("SHARED_NETWORKS_DIR", QStringLiteral(SHARED_NETWORKS_DIR)) + QLatin1Char('/') + name;
}

bool inCi()
{
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

const char* const exportedFiles[] = {"net.nod.xml", "net.edg.xml", "net.con.xml", "net.tll.xml", "net.taz.xml",
                                     "net.add.xml", "net.rou.xml", "net.geojson"};

}  // namespace

class TestModelFileRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void savedOpenedSavedIsTheSame_data();
    void savedOpenedSavedIsTheSame();

private:
    QTemporaryDir generated;
    QString generatedCity;
};

void TestModelFileRoundTrip::initTestCase()
{
    // The generator of synthetic networks; a city (20,000 links) keeps the
    // test well under a minute, the regional network is for bench/.
    const QString generator = qEnvironmentVariable("NETWORK_GENERATOR", QStringLiteral(NETWORK_GENERATOR));
    if (!QFileInfo::exists(generator)) {
        QVERIFY2(!inCi(), "the network generator is missing");
        return;
    }
    generatedCity = generated.filePath(QStringLiteral("city"));
    const Run run = runProgram(QStringLiteral("python3"), {generator, "--size", GeneratedSize, generatedCity});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
}

void TestModelFileRoundTrip::savedOpenedSavedIsTheSame_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("quadstone example") << examplesDir("quadstone") << QStringList{"--variant", "Quadstone"};
    QTest::newRow("sias example") << examplesDir("sias") << QStringList{"--variant", "Sias", "--units", "Feet"};
    QTest::newRow("escenario2") << sharedNetwork("escenario2") << QStringList{"--variant", "Quadstone"};
    QTest::newRow("generated city") << generatedCity << QStringList{"--variant", "Quadstone"};
}

void TestModelFileRoundTrip::savedOpenedSavedIsTheSame()
{
    QFETCH(QString, directory);
    QFETCH(QStringList, options);
    if (directory.isEmpty() || !QFileInfo(directory).isDir()) {
        QVERIFY2(!inCi(), qPrintable(directory + " is missing"));
        QSKIP("the network is not here");
    }
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("imported")) && QDir().mkpath(dir.filePath("opened")));
    const QString first = dir.filePath("first.json");
    const QString second = dir.filePath("second.json");
    // The same file names in both folders: the SUMO files name each other.
    const Run import = corvia(QStringList{"import", directory, "--save", first, "--sumo", dir.filePath("imported/net"),
                                          "--geojson", dir.filePath("imported/net.geojson")}
                              + options);
    QVERIFY2(import.exitCode == 0, qPrintable(import.err));
    const Run open = corvia({"open", first, "--save", second, "--sumo", dir.filePath("opened/net"), "--geojson",
                             dir.filePath("opened/net.geojson")});
    QVERIFY2(open.exitCode == 0, qPrintable(open.err));

    const QByteArray saved = contents(first);
    QVERIFY(saved.size() > 1000);
    QVERIFY(saved.contains("\"type\":\"CVSection\""));
    QVERIFY(saved.contains("\n\"importSettings\":{"));
    QVERIFY2(saved == contents(second), "the model saved again differs from the saved one");
    // Every exported file, the OD matrices (one file each) among them.
    const QStringList names = QDir(dir.filePath("imported")).entryList(QDir::Files, QDir::Name);
    QCOMPARE(QDir(dir.filePath("opened")).entryList(QDir::Files, QDir::Name), names);
    for (const char* name : exportedFiles)
        QVERIFY2(names.contains(QLatin1String(name)), name);
    QVERIFY(!names.filter(QRegularExpression(QStringLiteral("^net\\.od\\d+\\.(txt|xml)$"))).isEmpty());
    for (const QString& name : names) {
        const QByteArray imported = contents(dir.filePath(QStringLiteral("imported/") + name));
        QVERIFY2(!imported.isEmpty(), qPrintable(name));
        QVERIFY2(imported == contents(dir.filePath(QStringLiteral("opened/") + name)), qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(TestModelFileRoundTrip)
#include "tst_modelfileroundtrip.moc"
