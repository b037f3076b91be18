// The SUMO export checked by the simulator itself: the bundled examples and
// the real user network are exported with `corvia import --sumo`, and the
// three commands a user runs build, route and simulate the whole demand
// window, which must move its traffic. Also what a user can count by hand
// in the real network's files against what its import built.

#include "importerprobe.h"
#include "testsupport.h"

#include <cvcatalog.h>
#include <cvcontrolplan.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString output;  // stdout and stderr
    // Lines that hold the text, leaving out the tools' notes about a missing
    // SUMO_HOME (they then use their built-in type maps).
    int count(const QString& text) const
    {
        int n = 0;
        for (const QString& line : output.split(QLatin1Char('\n')))
            n += line.contains(text) && !line.contains(QLatin1String("SUMO_HOME")) ? 1 : 0;
        return n;
    }
};

ToolRun runTool(const QString& program, const QStringList& arguments, const QString& folder = QString())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(600000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromLocal8Bit(process.readAll());
    return run;
}

QString tool(const char* name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// Calls visit with the attributes of every element of that name in a file.
template <typename Visit>
bool forEachElement(const QString& path, const QString& name, Visit visit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == name)
            visit(xml.attributes());
    }
    return !xml.hasError();
}

// "from_lane>to_lane" of every connection between two normal edges of a
// plain connection file or a built network (internal edges start with ':').
QSet<QString> connectionsIn(const QString& path)
{
    QSet<QString> connections;
    forEachElement(path, QStringLiteral("connection"), [&](const QXmlStreamAttributes& a) {
        if (!a.value("from").startsWith(QLatin1Char(':')) && a.hasAttribute("to"))
            connections.insert(QStringLiteral("%1_%2>%3_%4").arg(a.value("from"), a.value("fromLane"), a.value("to"), a.value("toLane")));
    });
    return connections;
}

// What sumo's statistic output says about the vehicles of the run.
struct Statistics
{
    int loaded = -1;
    int inserted = -1;
    int waiting = -1;
    int teleports = -1;
    int arrived = -1;
    // Loaded but never inserted nor waiting: sumo found no route for them.
    int withoutRoute() const { return loaded - inserted - waiting; }
};

Statistics readStatistics(const QString& path)
{
    Statistics s;
    const auto number = [](const QXmlStreamAttributes& a, const char* name) { return a.value(QLatin1String(name)).toInt(); };
    forEachElement(path, QStringLiteral("vehicles"), [&](const QXmlStreamAttributes& a) {
        s.loaded = number(a, "loaded");
        s.inserted = number(a, "inserted");
        s.waiting = number(a, "waiting");
    });
    forEachElement(path, QStringLiteral("teleports"), [&](const QXmlStreamAttributes& a) { s.teleports = number(a, "total"); });
    forEachElement(path, QStringLiteral("vehicleTripStatistics"),
                   [&](const QXmlStreamAttributes& a) { s.arrived = number(a, "count"); });
    return s;
}

QString sharedNetwork(const QString& name)
{
    return qEnvironmentVariable("SHARED_NETWORKS_DIR", QStringLiteral(SHARED_NETWORKS_DIR)) + QLatin1Char('/') + name;
}

// In CI the real network must be there: a missing one fails the test.
bool networkMissing(const QString& directory)
{
    return !QFileInfo(directory).isDir() && qEnvironmentVariable("CI") != QLatin1String("true");
}

}  // namespace

class TestExportChain : public QObject
{
    Q_OBJECT

private slots:
    void sumoChain_data();
    void sumoChain();
    void realNetworkCounts();
    void unwritableExportsStopWithOneLine_data();
    void unwritableExportsStopWithOneLine();
};

void TestExportChain::sumoChain_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("od2tripsOptions");
    QTest::addColumn<int>("tripsWithoutRoute");
    // In both examples two zones lie on a road that no turning joins to
    // the rest of the network (see README.md): their trips have no route.
    QTest::newRow("quadstone example") << examplesDir("quadstone") << QStringList{"--variant", "Quadstone"} << QStringList()
                                       << 1044;
    QTest::newRow("sias example") << examplesDir("sias") << QStringList{"--variant", "Sias", "--units", "Feet"} << QStringList()
                                  << 818;
    // The network's configuration releases 40 % of its matrix ("demand
    // weight 40.0"); the import does not read that file, so the run scales
    // the trips as the network's own simulation would.
    QTest::newRow("escenario2") << sharedNetwork("escenario2") << QStringList{"--variant", "Quadstone"}
                                << QStringList{"--scale", "0.4"} << 0;
}

// The three commands of the README, run in the output folder, and what the
// simulation did with the demand.
void TestExportChain::sumoChain()
{
    QFETCH(QString, directory);
    QFETCH(QStringList, options);
    QFETCH(QStringList, od2tripsOptions);
    QFETCH(int, tripsWithoutRoute);
    if (networkMissing(directory))
        QSKIP("the network is not here");
    QVERIFY2(QFileInfo(directory).isDir(), qPrintable(directory + " is missing"));
    QVERIFY2(!tool("netconvert").isEmpty() && !tool("od2trips").isEmpty() && !tool("sumo").isEmpty(), "SUMO is not installed");

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("out"));  // the export creates it
    const ToolRun import = runTool(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                                   QStringList{"import", directory, "--sumo", folder + "/net"} + options);
    QVERIFY2(import.exitCode == 0, qPrintable(import.output));
    const auto inFolder = [&](const char* name) { return QDir(folder).filePath(QLatin1String(name)); };

    const ToolRun build = runTool(tool("netconvert"), {"-c", "net.netccfg"}, folder);
    QVERIFY2(build.exitCode == 0 && build.count("Error") == 0, qPrintable(build.output));
    const QSet<QString> exported = connectionsIn(inFolder("net.con.xml"));
    QStringList lost = QSet<QString>(exported).subtract(connectionsIn(inFolder("net.net.xml"))).values();
    lost.sort();
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("%1 of %2 lost: %3").arg(lost.size()).arg(exported.size()).arg(lost.mid(0, 10).join(' '))));

    const ToolRun trips = runTool(tool("od2trips"), QStringList{"-c", "net.od2trips.cfg"} + od2tripsOptions, folder);
    QVERIFY2(trips.exitCode == 0 && trips.count("Error") == 0, qPrintable(trips.output));

    const ToolRun simulation = runTool(tool("sumo"),
                                       {"-c", "net.sumocfg", "--tripinfo-output", "trips.out.xml",
                                        "--tripinfo-output.write-unfinished"},
                                       folder);
    QVERIFY2(simulation.exitCode == 0 && simulation.count("Error") == 0, qPrintable(simulation.output.right(3000)));
    QCOMPARE(build.count("Missing green phase") + simulation.count("Missing green phase"), 0);

    const Statistics s = readStatistics(inFolder("net.stats.xml"));
    qInfo("%s: loaded %d, inserted %d, arrived %d, teleported %d, without route %d", QTest::currentDataTag(), s.loaded,
          s.inserted, s.arrived, s.teleports, s.withoutRoute());
    QVERIFY(s.inserted > 0);
    QCOMPARE(s.withoutRoute(), tripsWithoutRoute);
    QVERIFY2(s.teleports * 20 <= s.inserted, "more than 5 % of the vehicles teleported");
    QVERIFY2(s.arrived * 10 >= s.inserted * 9, "more than 10 % of the vehicles did not arrive");

    // The OD trips drive as their matrices' vehicle types: od2trips gives a
    // trip its type's number, which a distribution in the routes file turns
    // into the named type.
    QMap<QString, QString> typeOfNumber;
    forEachElement(inFolder("net.rou.xml"), QStringLiteral("vTypeDistribution"), [&](const QXmlStreamAttributes& a) {
        typeOfNumber.insert(a.value("id").toString(), a.value("vTypes").toString());
    });
    QVERIFY(!typeOfNumber.isEmpty());
    QMap<QString, QString> tripType;
    forEachElement(inFolder("net.trips.xml"), QStringLiteral("trip"), [&](const QXmlStreamAttributes& a) {
        tripType.insert(a.value("id").toString(), typeOfNumber.value(a.value("type").toString(), QStringLiteral("?")));
    });
    QStringList wrongType;
    int typedTrips = 0;
    forEachElement(inFolder("trips.out.xml"), QStringLiteral("tripinfo"), [&](const QXmlStreamAttributes& a) {
        const auto trip = tripType.constFind(a.value("id").toString());
        if (trip == tripType.constEnd())
            return;  // a bus
        ++typedTrips;
        if (a.value("vType") != *trip && wrongType.size() < 10)
            wrongType << QStringLiteral("%1:%2 for %3").arg(a.value("id"), a.value("vType"), *trip);
    });
    QVERIFY(typedTrips > 0);
    QVERIFY2(wrongType.isEmpty(), qPrintable(wrongType.join(' ')));

    // Every scheduled bus was inserted.
    QSet<QString> buses;
    forEachElement(inFolder("net.rou.xml"), QStringLiteral("vehicle"),
                   [&](const QXmlStreamAttributes& a) { buses.insert(a.value("id").toString()); });
    QVERIFY(!buses.isEmpty());
    forEachElement(inFolder("trips.out.xml"), QStringLiteral("tripinfo"), [&](const QXmlStreamAttributes& a) {
        if (a.value("depart").toDouble() >= 0.0)
            buses.remove(a.value("id").toString());
    });
    QVERIFY2(buses.isEmpty(), qPrintable(QStringList(buses.values()).join(' ')));
}

void TestExportChain::realNetworkCounts()
{
    const QString directory = sharedNetwork("escenario2");
    if (networkMissing(directory))
        QSKIP("the network is not here");
    QVERIFY2(QFileInfo(directory).isDir(), qPrintable(directory + " is missing"));
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    configureLikeTheDialog(importer, model.get());
    importer.netImport(directory);

    const CVCatalog* catalog = model->getCatalog();
    const auto count = [&](const char* type) { return catalog->size(model->getType(QLatin1String(type))); };
    // Counted in the files: 376 "link" lines of which 137 are barred; 145
    // "node" lines, one of them a ramp node, which is no junction of its own.
    QCOMPARE(count("CVSection"), 376 - 137);
    QCOMPARE(count("CVNode"), 145 - 1);
    // One centroid per zone, one line per bus route, and one control
    // junction per node that has signal phases in the priorities file.
    QCOMPARE(count("CVCentroid"), 28);
    QCOMPARE(count("CVPublicLine"), 21);
    const auto* plans = catalog->getObjectsByType(model->getType(QStringLiteral("CVControlPlan")));
    QVERIFY(plans && plans->size() == 1);
    QCOMPARE(static_cast<const CVControlPlan*>(plans->first())->junctionCount(), 34);
}

void TestExportChain::unwritableExportsStopWithOneLine_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    // "file" is a regular file, so nothing can be created below it.
    QTest::newRow("SUMO files below a file") << QStringList{"--sumo", "file/out/net"} << 1;
    QTest::newRow("SUMO prefix that is a folder") << QStringList{"--sumo", "."} << 1;
    QTest::newRow("GeoPackage below a file") << QStringList{"--gis", "file/net.gpkg"} << 1;
    QTest::newRow("GIS format not known") << QStringList{"--gis", "net.kml"} << 2;
    QTest::newRow("CRS not known") << QStringList{"--gis", "net.gpkg", "--crs", "EPSG:0"} << 2;
}

void TestExportChain::unwritableExportsStopWithOneLine()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ToolRun run = runTool(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                                QStringList{"import", examplesDir("quadstone")} + options, dir.path());
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.count("corvia import:") == 1 && run.count("QXmlStreamWriter") == 0, qPrintable(run.output));
}

QTEST_GUILESS_MAIN(TestExportChain)
#include "tst_exportchain.moc"
