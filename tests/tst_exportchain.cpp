// The exports checked by an independent simulator: the bundled examples and
// the real user network are imported with `corvia import --sumo`, built with
// netconvert and, when they carry demand, run in sumo. Also what a user can
// count by hand in the real network's files against what its import built.

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
    // Lines that start with the prefix, leaving out the tools' notes about
    // a missing SUMO_HOME (they then use their built-in type maps).
    int count(const QString& prefix) const
    {
        int n = 0;
        for (const QString& line : output.split(QLatin1Char('\n')))
            n += line.startsWith(prefix) && !line.contains(QLatin1String("SUMO_HOME")) ? 1 : 0;
        return n;
    }
};

ToolRun runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(240000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromLocal8Bit(process.readAll());
    return run;
}

// "from_lane>to_lane" of every connection between two normal edges of a
// plain connection file or a built network (internal edges start with ':').
QSet<QString> connectionsIn(const QString& path)
{
    QSet<QString> connections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return connections;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("connection"))
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (a.value("from").startsWith(QLatin1Char(':')) || !a.hasAttribute("to"))
            continue;  // internal, or the mark of an edge without successors
        connections.insert(QStringLiteral("%1_%2>%3_%4")
                               .arg(a.value("from"), a.value("fromLane"), a.value("to"), a.value("toLane")));
    }
    return connections;
}

int elementCount(const QString& path, const QString& name)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return 0;
    QXmlStreamReader xml(&file);
    int count = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        count += xml.isStartElement() && xml.name() == name ? 1 : 0;
    }
    return count;
}

QString sharedNetwork(const QString& name)
{
    return qEnvironmentVariable("SHARED_NETWORKS_DIR", QStringLiteral(SHARED_NETWORKS_DIR)) + QLatin1Char('/') + name;
}

}  // namespace

class TestExportChain : public QObject
{
    Q_OBJECT

private slots:
    void sumoChain_data();
    void sumoChain();
    void realNetworkCounts();
};

void TestExportChain::sumoChain_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("quadstone example") << examplesDir("quadstone") << QStringList{"--variant", "Quadstone"};
    QTest::newRow("sias example") << examplesDir("sias") << QStringList{"--variant", "Sias", "--units", "Feet"};
    QTest::newRow("escenario2") << sharedNetwork("escenario2") << QStringList{"--variant", "Quadstone"};
}

void TestExportChain::sumoChain()
{
    QFETCH(QString, directory);
    QFETCH(QStringList, options);
    const QString netconvert = QStandardPaths::findExecutable(QStringLiteral("netconvert"));
    if (netconvert.isEmpty())
        QSKIP("netconvert is not installed");
    if (!QFileInfo(directory).isDir())
        QSKIP("the network is not here");

    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("net"));
    const ToolRun import = runTool(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                                   QStringList{"import", directory, "--sumo", prefix, "--geojson", prefix + ".geojson"} + options);
    QVERIFY2(import.exitCode == 0, qPrintable(import.output));
    QFile geoJson(prefix + ".geojson");
    QVERIFY(geoJson.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(geoJson.readAll()).object().value("type").toString(), QStringLiteral("FeatureCollection"));

    const ToolRun build = runTool(netconvert, {"--node-files", prefix + ".nod.xml", "--edge-files", prefix + ".edg.xml",
                                               "--connection-files", prefix + ".con.xml", "--tllogic-files",
                                               prefix + ".tll.xml", "--no-turnarounds", "--aggregate-warnings", "-1", "--output-file",
                                               prefix + ".net.xml"});
    QVERIFY2(build.exitCode == 0 && build.count("Error") == 0, qPrintable(build.output));
    qInfo("%s: %d edges, netconvert warnings: %d", QTest::currentDataTag(), elementCount(prefix + ".edg.xml", "edge"),
          build.count("Warning"));

    const QSet<QString> exported = connectionsIn(prefix + ".con.xml");
    const QSet<QString> built = connectionsIn(prefix + ".net.xml");
    QStringList lost = QSet<QString>(exported).subtract(built).values();
    lost.sort();
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("%1 of %2 lost: %3")
                                            .arg(lost.size())
                                            .arg(exported.size())
                                            .arg(lost.mid(0, 10).join(QLatin1Char(' ')))));

    // The demand: trips from the matrices, buses from the lines.
    QString routeFiles;
    if (elementCount(prefix + ".od.xml", "odPair") > 0) {
        const ToolRun trips = runTool(QStandardPaths::findExecutable(QStringLiteral("od2trips")),
                                      {"--taz-files", prefix + ".taz.xml", "--od-amitran-files", prefix + ".od.xml",
                                       "--output-file", prefix + ".trips.xml"});
        QVERIFY2(trips.exitCode == 0 && trips.count("Error") == 0, qPrintable(trips.output));
        routeFiles = prefix + ".trips.xml";
    }
    QStringList run{"--net-file", prefix + ".net.xml", "--additional-files",
                    prefix + ".taz.xml," + prefix + ".add.xml," + prefix + ".rou.xml", "--ignore-route-errors",
                    "--xml-validation", "never", "--aggregate-warnings", "-1", "--end", "600", "--no-step-log", "--duration-log.disable"};
    if (!routeFiles.isEmpty())
        run << "--route-files" << routeFiles;
    const ToolRun simulation = runTool(QStandardPaths::findExecutable(QStringLiteral("sumo")), run);
    QVERIFY2(simulation.exitCode == 0 && simulation.count("Error") == 0, qPrintable(simulation.output));
    qInfo("%s: %d trips, %d buses, sumo warnings: %d", QTest::currentDataTag(), elementCount(routeFiles, "trip"),
          elementCount(prefix + ".rou.xml", "vehicle"), simulation.count("Warning"));
}

void TestExportChain::realNetworkCounts()
{
    const QString directory = sharedNetwork("escenario2");
    if (!QFileInfo(directory).isDir())
        QSKIP("the network is not here");
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    configureLikeTheDialog(importer, model.get(), QStringLiteral("Quadstone"));
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

QTEST_GUILESS_MAIN(TestExportChain)
#include "tst_exportchain.moc"
