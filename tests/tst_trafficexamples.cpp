#include "importerprobe.h"
#include "testsupport.h"

#include <cvmodel.h>
#include <cvsystem.h>

#include <QtTest>

#include <memory>

// The traffic readers on the bundled example networks and on the shared
// real network: every container they fill, counts and hand-checked values.
class TrafficExamplesTest : public QObject
{
    Q_OBJECT

private slots:
    void quadstone();
    void sias();
    void realNetwork();
};

namespace {

// Reads every file of the directory the way an import does; the files'
// own unit words and zone lookup list reach the traffic readers.
struct TrafficRead
{
    TrafficRead(const QString& dir, const QString& variant)
    {
        configureLikeTheDialog(importer, model.get(), variant);
        p.readFiles(dir);
    }
    std::unique_ptr<CVModel> model{CVSystem::getSystem().createModel()};
    ParamicsImporter importer;
    ParamicsImporterProbe p{importer};
};

// Vehicle type numbers under each matrix; the "vehicle types" heading
// begins a type 0 without a class.
QString typesByMatrix(const QMap<int, QVector<ParamicsVehicle*>>& vehicles)
{
    QStringList parts;
    for (auto it = vehicles.cbegin(); it != vehicles.cend(); ++it) {
        QStringList types;
        for (const ParamicsVehicle* v : it.value())
            types << QString::number(v->type) + v->className;
        parts << QStringLiteral("%1:%2").arg(it.key()).arg(types.join(','));
    }
    return parts.join(' ');
}

}  // namespace

void TrafficExamplesTest::quadstone()
{
    TrafficRead read(examplesDir("quadstone"), "Quadstone");
    ParamicsImporterProbe& p = read.p;

    QCOMPARE(typesByMatrix(p.vehicles()), "-1:0,6bus,7minibus 1:1car,2lgv 2:3ogv1,4ogv2 3:5coach");
    QCOMPARE(p.vehicles().value(2).at(1)->proportion, 0.4);
    QCOMPARE(p.demands().size(), 2);
    QCOMPARE(p.demands().at(1)->period, 2);
    QCOMPARE(p.demands().at(0)->rows.keys(), QList<int>({1, 2, 3, 4, 5, 6}));
    QCOMPARE(p.demands().at(0)->rows.value(1).toVector(), QVector<double>({0, 20, 120, 60, 40, 150}));
    QCOMPARE(p.profiles().keys(), QList<int>({1, 2}));
    QCOMPARE(p.profiles().value(1)->interval, 900);
    QCOMPARE(p.profiles().value(1)->start, QTime(7, 0));
    QCOMPARE(p.profiles().value(1)->values, QVector<float>({8, 10, 12, 15, 16, 14, 13, 12}));
    QCOMPARE(p.matrixEntries().keys(), QList<int>({3}));
    QCOMPARE(p.matrixEntries().value(3)->value(4, 5), 4.0);
    QCOMPARE(p.busStops().size(), 10);
    QCOMPARE(p.busStops().value(3)->position, 280.0 * 0.33);
    QCOMPARE(p.busStops().value(10)->name, "\"MarketSquareWest\"");
    QCOMPARE(p.busRoutes().keys(), QStringList({"\"10\"", "\"22\""}));
    const ParamicsBusRoute* route = p.busRoutes().value("\"10\"");
    QCOMPARE(route->routeNodes, QVector<QString>({"1", "2", "3", "4", "5"}));
    QCOMPARE(route->stops.size(), 4);
    QCOMPARE(route->releases.size(), 8);
    QCOMPARE(route->releases.last(), QTime(8, 45));
    QCOMPARE(p.detectors().size(), 6);
    QCOMPARE(p.detectors().at(4)->id, "\"Motorway-W1\"");
    QCOMPARE(p.detectors().at(4)->length, 6.5 * 0.33);
    QCOMPARE(p.beacons().size(), 3);
    QCOMPARE(p.beacons().at(1)->position, 900.0 * 0.33);
    QCOMPARE(p.annotations().size(), 6);
    QCOMPARE(p.annotations().at(4)->text, "\"Church Street - one way\"");
    QVERIFY(p.annotations().at(3)->position == CVPoint(330.0, -440.0, 0.0));
}

void TrafficExamplesTest::sias()
{
    TrafficRead read(examplesDir("sias"), "Sias");
    ParamicsImporterProbe& p = read.p;

    QCOMPARE(typesByMatrix(p.vehicles()), "-1:0,6bus,7minibus 1:1car,2lgv 2:3ogv1,4ogv2 3:5coach");
    QCOMPARE(p.demands().size(), 2);
    QCOMPARE(p.demands().at(1)->rows.value(5).toVector(), QVector<double>({6, 0, 12, 36, 0, 10}));
    QCOMPARE(p.profiles().value(2)->interval, 1800);
    QCOMPARE(p.profiles().value(2)->values, QVector<float>({20, 30, 30, 20}));
    QCOMPARE(p.matrixEntries().value(3)->value(1, 6), 4.0);
    QCOMPARE(p.busStops().size(), 9);
    QCOMPARE(p.busStops().value(3)->position, 90.0);
    QCOMPARE(p.busRoutes().size(), 2);
    QCOMPARE(p.busRoutes().value("\"31\"")->routeNodes.size(), 8);
    QCOMPARE(p.detectors().size(), 6);
    QCOMPARE(p.detectors().at(0)->position, 130.0 * 0.33);
    QCOMPARE(p.beacons().size(), 2);
    QCOMPARE(p.annotations().size(), 6);
    QVERIFY(p.annotations().at(0)->position == CVPoint(500.0 * 0.3, 80.0 * 0.3, 80.0 * 0.3));
}

void TrafficExamplesTest::realNetwork()
{
    const QString dir = QStringLiteral(SHARED_NETWORKS_DIR "/escenario2");
    if (!QFileInfo::exists(dir + QStringLiteral("/busroutes")))
    {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL("the shared networks are missing");
        QSKIP("the shared networks are not available");
    }
    TrafficRead read(dir, "Quadstone");
    ParamicsImporterProbe& p = read.p;

    QCOMPARE(p.demands().size(), 1);
    QCOMPARE(p.demands().first()->rows.size(), 28);
    QCOMPARE(p.demands().first()->rows.value(1).size(), qsizetype(28));
    QCOMPARE(p.demands().first()->rows.value(1).at(3), 249.0);
    QCOMPARE(p.busStops().size(), 36);
    QCOMPARE(p.busStops().value(1)->name, "\"PTstop6\"");
    QCOMPARE(p.busRoutes().size(), 21);
    int releases = 0, stops = 0, nodes = 0;
    for (const ParamicsBusRoute* route : p.busRoutes()) {
        releases += route->releases.size();
        stops += route->stops.size();
        nodes += route->routeNodes.size();
    }
    QCOMPARE(QList<int>({releases, stops, nodes}), QList<int>({673, 78, 379}));
    QCOMPARE(typesByMatrix(p.vehicles()), "-1:0,15bus,16minibus 1:1car,12ogv1");
    QCOMPARE(p.detectors().size(), 1);
    QCOMPARE(p.detectors().first()->position, 164.5);
}

QTEST_GUILESS_MAIN(TrafficExamplesTest)
#include "tst_trafficexamples.moc"
