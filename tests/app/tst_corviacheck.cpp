// corvia check and corvia open --check as a user runs them: the exit
// status says whether the check found errors, the findings go to stderr
// grouped by kind, and --problems writes them for tools.

#include "../testsupport.h"
#include "corviarun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TestCorviaCheck : public QObject
{
    Q_OBJECT

private slots:
    void exitStatusFollowsErrors_data();
    void exitStatusFollowsErrors();
    void findingsGroupedByKind();
    void problemsFiles_data();
    void problemsFiles();
    void openChecksASavedModel();
    void unwritableProblemsFileIsRefusedBeforeTheImport();

private:
    using Result = CorviaRun;
    static Result corvia(const QStringList& arguments) { return runCorvia(arguments); }
};

void TestCorviaCheck::exitStatusFollowsErrors_data()
{
    QTest::addColumn<QString>("network");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("countLine");
    // The Millbrook motorway cannot be reached from the town: trips without a path are errors.
    QTest::newRow("errors") << "quadstone" << QStringList() << 5 << "Check: 6 errors, 1 warning, 2 notes";
    QTest::newRow("wrong variant") << "sias" << QStringList{"--units", "Feet"} << 5 << "Check: 7 errors, 1 warning, 2 notes";
    // Nothing imported is status 4, whatever a check would say.
    QTest::newRow("empty directory") << "" << QStringList() << 4 << "";
}

void TestCorviaCheck::exitStatusFollowsErrors()
{
    QFETCH(QString, network);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, countLine);
    NetworkDir empty;
    const Result result = corvia(QStringList{"check", network.isEmpty() ? empty.path() : examplesDir(network)} + options);
    QCOMPARE(result.exitCode, exitCode);
    if (!countLine.isEmpty())
        QVERIFY2(result.err.contains(countLine + QLatin1Char('\n')), qPrintable(result.err));
}

void TestCorviaCheck::findingsGroupedByKind()
{
    const Result normal = corvia({"check", examplesDir("quadstone")});
    // One heading per kind with its count, the trips lost, then the first findings.
    QVERIFY2(normal.err.contains("error: OD pairs with trips but no path (6) [od-without-path], 1044.0 trips lost\n"
                                 "  zone 1: no path to 2 zone(s) (zone 4, zone 5): 117.0 trips lost\n"),
             qPrintable(normal.err));
    QVERIFY2(normal.err.contains("  ... and 1 more (--verbose lists all)\n"), qPrintable(normal.err));
    QVERIFY(normal.out.startsWith(QStringLiteral("Imported ")));

    const Result verbose = corvia({"check", examplesDir("quadstone"), "--verbose"});
    QVERIFY(!verbose.err.contains(QStringLiteral("--verbose lists all")));
    QVERIFY2(verbose.err.contains("  zone 6: no path to 2 zone(s) (zone 4, zone 5): 192.0 trips lost\n"
                                  "    objects: zone 6, zone 4, zone 5\n"),
             qPrintable(verbose.err));

    const Result quiet = corvia({"check", examplesDir("quadstone"), "--quiet"});
    QCOMPARE(quiet.exitCode, 5);
    QVERIFY(quiet.out.isEmpty());
    QVERIFY2(quiet.err.startsWith(QStringLiteral("error: OD pairs")), qPrintable(quiet.err));
    QVERIFY(!quiet.err.contains(QStringLiteral("warning")));
}

void TestCorviaCheck::problemsFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("CSV") << "problems.csv";
    QTest::newRow("GeoJSON") << "out/problems.geojson";
    QTest::newRow("GeoPackage") << "problems.gpkg";
}

void TestCorviaCheck::problemsFiles()
{
    QFETCH(QString, name);
    NetworkDir dir;
    const QString path = dir.path() + QLatin1Char('/') + name;
    const Result result = corvia({"check", examplesDir("quadstone"), "--problems", path});
    QCOMPARE(result.exitCode, 5);
    QVERIFY2(result.out.contains(QStringLiteral("Problems written to %1\n").arg(path)), qPrintable(result.out));
    if (name.endsWith(QLatin1String(".csv"))) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + 9);
        QCOMPARE(lines[0], QStringLiteral("kind,severity,text,objects,ids,trips,x,y"));
        QVERIFY(std::any_of(lines.cbegin(), lines.cend(), [](const QString& line) {
            return line.startsWith(QStringLiteral("od-without-path,error,\"no path to 4 zone(s)")) && line.contains(",304.00,");
        }));
        return;
    }
    // Read back through the same library: fields and one feature a finding.
    QProcess info;
    info.start(QStringLiteral("ogrinfo"), {"-ro", "-al", "-q", path});
    if (!info.waitForStarted()) {
        // The set-up installs GDAL's tools: in CI their absence is a fault.
        QVERIFY2(qEnvironmentVariable("CI") != QLatin1String("true"), "ogrinfo is not installed");
        QSKIP("ogrinfo is not installed");
    }
    QVERIFY(info.waitForFinished());
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    QCOMPARE(text.count(QStringLiteral("OGRFeature(problems)")), 9);
    for (const char* field : {"kind (String) = od-without-path", "severity (String) = error", "trips (Real) = 304",
                              "objects (String) = zone 4; zone 1; zone 2; zone 3; zone 6"})
        QVERIFY2(text.contains(QLatin1String(field)), field);
}

void TestCorviaCheck::openChecksASavedModel()
{
    NetworkDir dir;
    const QString model = dir.path() + QStringLiteral("/model.json");
    QCOMPARE(corvia({"import", examplesDir("quadstone"), "--save", model, "--quiet"}).exitCode, 0);
    const Result opened = corvia({"open", model, "--check"});
    QCOMPARE(opened.exitCode, 5);
    QVERIFY2(opened.err.contains(QStringLiteral("Check: 6 errors, 1 warning, 2 notes\n")), qPrintable(opened.err));
    // Without --check an open checks nothing.
    const Result plain = corvia({"open", model});
    QCOMPARE(plain.exitCode, 0);
    QVERIFY(!plain.err.contains(QStringLiteral("Check:")));
}

void TestCorviaCheck::unwritableProblemsFileIsRefusedBeforeTheImport()
{
    NetworkDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    const Result result = corvia({"check", examplesDir("quadstone"), "--problems", dir.path() + QStringLiteral("/taken")});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.startsWith(QStringLiteral("corvia check: ")), qPrintable(result.err));
}

QTEST_MAIN(TestCorviaCheck)
#include "tst_corviacheck.moc"
