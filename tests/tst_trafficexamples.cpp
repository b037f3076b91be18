#include "importerprobe.h"
#include "testsupport.h"

#include <QtTest>

// The traffic readers on the bundled example networks: every container
// they fill, with counts and values checked by hand against the files.
class TrafficExamplesTest : public QObject
{
    Q_OBJECT

private slots:
    void quadstone();
    void sias();
    void realNetwork();

private:
    // Runs the traffic readers as an import does, after the network readers
    // have set the unit factor and the zones file's lookup list.
    static void readTraffic(ParamicsImporterProbe& probe, const QString& variant, double unitFactor,
                            const QMap<int, int>& lookup);
};

namespace {

QList<int> vehicleTypes(const QVector<ParamicsVehicle*>& types)
{
    QList<int> numbers;
    for (const ParamicsVehicle* v : types)
        numbers << v->type;
    return numbers;
}

}  // namespace

void TrafficExamplesTest::readTraffic(ParamicsImporterProbe& probe, const QString& variant, double unitFactor,
                                      const QMap<int, int>& lookup)
{
    const QString dir = examplesDir(variant.toLower());
    QVERIFY(QFileInfo::exists(dir + QStringLiteral("/demands")));
    probe.version() = variant;
    probe.unitFactor() = unitFactor;
    probe.nbDemandsFile() = 1;
    probe.zoneRenumbering() = lookup;
    probe.readDemands(dir);
    if (variant == QLatin1String("Sias"))
        probe.readProfilesSias(dir);
    else
        probe.readProfilesQuadstone(dir);
    probe.readMatrix(dir);
    probe.readBusStops(dir);
    probe.readBusRoutes(dir);
    probe.readVehicles(dir);
    probe.readDetectors(dir);
    probe.readBeacons(dir);
    probe.readAnnotations(dir);
}

void TrafficExamplesTest::quadstone()
{
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    readTraffic(probe, QStringLiteral("Quadstone"), 1.0, {{101, 1}, {102, 2}, {103, 3}, {104, 4}});
    if (QTest::currentTestFailed())
        return;

    // Vehicles: the "vehicle types" heading begins a type 0 without a class.
    const auto& vehicles = probe.vehicles();
    QCOMPARE(vehicles.keys(), QList<int>({-1, 1, 2, 3}));
    QCOMPARE(vehicleTypes(vehicles.value(-1)), QList<int>({0, 6, 7}));
    QCOMPARE(vehicleTypes(vehicles.value(1)), QList<int>({1, 2}));
    QCOMPARE(vehicleTypes(vehicles.value(2)), QList<int>({3, 4}));
    QCOMPARE(vehicleTypes(vehicles.value(3)), QList<int>({5}));
    QVERIFY(vehicles.value(-1).at(0)->className.isEmpty());
    QCOMPARE(vehicles.value(1).at(1)->className, QStringLiteral("lgv"));
    QCOMPARE(vehicles.value(1).at(1)->proportion, 0.15);
    QCOMPARE(vehicles.value(2).at(0)->className, QStringLiteral("ogv1"));
    QCOMPARE(vehicles.value(2).at(1)->proportion, 0.4);
    QCOMPARE(vehicles.value(-1).at(2)->className, QStringLiteral("minibus"));

    // Demands: divisor 2, survey origins renumbered.
    const auto& demands = probe.demands();
    QCOMPARE(demands.size(), 2);
    QCOMPARE(demands.at(0)->matrix, 1);
    QCOMPARE(demands.at(0)->period, 1);
    QCOMPARE(demands.at(1)->matrix, 2);
    QCOMPARE(demands.at(1)->period, 2);
    QCOMPARE(demands.at(0)->rows.keys(), QList<int>({1, 2, 3, 4, 5, 6}));
    QCOMPARE(demands.at(0)->rows.value(1).toVector(), QVector<double>({0, 20, 120, 60, 40, 150}));
    QCOMPARE(demands.at(1)->rows.value(4).toVector(), QVector<double>({10, 0, 6, 0, 40, 14}));

    // Profiles: 15-minute steps from 07:00.
    const auto& profiles = probe.profiles();
    QCOMPARE(profiles.keys(), QList<int>({1, 2}));
    QCOMPARE(profiles.value(1)->interval, 900);
    QCOMPARE(profiles.value(1)->start, QTime(7, 0));
    QCOMPARE(profiles.value(1)->values, QVector<float>({8, 10, 12, 15, 16, 14, 13, 12}));
    QCOMPARE(profiles.value(2)->values.size(), 8);

    // Matrix file: matrix 3 only, origins "101:" renumbered.
    const auto& matrices = probe.matrixEntries();
    QCOMPARE(matrices.keys(), QList<int>({3}));
    const ParamicsMatrix* coaches = matrices.value(3);
    QCOMPARE(coaches->values.size(), 36);
    QCOMPARE(coaches->rowIndex.value(1), 0);
    QCOMPARE(coaches->rowIndex.value(6), 5);
    QCOMPARE(coaches->value(4, 5), 4.0);
    QCOMPARE(coaches->value(6, 1), 3.0);

    // Bus stops: feet at 0.33, names joined without spaces.
    const auto& stops = probe.busStops();
    QCOMPARE(stops.size(), 10);
    QCOMPARE(stops.value(3)->position, 280.0 * 0.33);
    QCOMPARE(stops.value(3)->link, QStringLiteral("3:4"));
    QCOMPARE(stops.value(8)->name, QStringLiteral("\"SouthfieldsParade\""));
    QCOMPARE(stops.value(10)->name, QStringLiteral("\"MarketSquareWest\""));
    QCOMPARE(stops.value(1)->position, 60.0);

    // Bus routes.
    const auto& routes = probe.busRoutes();
    QCOMPARE(routes.keys(), QStringList({"\"10\"", "\"22\""}));
    const ParamicsBusRoute* ten = routes.value(QStringLiteral("\"10\""));
    QCOMPARE(ten->releases.size(), 8);
    QCOMPARE(ten->releases.first(), QTime(7, 0));
    QCOMPARE(ten->releases.last(), QTime(8, 45));
    QCOMPARE(ten->routeNodes, QVector<QString>({"1", "2", "3", "4", "5"}));
    QCOMPARE(ten->stops.size(), 4);
    const ParamicsBusRoute* twentyTwo = routes.value(QStringLiteral("\"22\""));
    QCOMPARE(twentyTwo->routeNodes, QVector<QString>({"5", "4", "3", "9", "7", "2", "1"}));
    QCOMPARE(twentyTwo->stops.last().stop, 10);
    QCOMPARE(twentyTwo->releases.size(), 6);

    // Detectors, loop and sloop, metres and feet.
    const auto& detectors = probe.detectors();
    QCOMPARE(detectors.size(), 6);
    QCOMPARE(detectors.at(0)->id, QStringLiteral("\"HighSt-E1\""));
    QCOMPARE(detectors.at(0)->link, QStringLiteral("1:2"));
    QCOMPARE(detectors.at(0)->position, 40.0);
    QCOMPARE(detectors.at(3)->position, 520.0 * 0.33);
    QCOMPARE(detectors.at(4)->length, 6.5 * 0.33);
    QCOMPARE(detectors.at(5)->id, QStringLiteral("\"Motorway-E1\""));

    // Beacons.
    const auto& beacons = probe.beacons();
    QCOMPARE(beacons.size(), 3);
    QCOMPARE(beacons.at(1)->link, QStringLiteral("11:12"));
    QCOMPARE(beacons.at(1)->position, 900.0 * 0.33);
    QCOMPARE(beacons.at(2)->id, QStringLiteral("\"VMS-HighStreet\""));

    // Annotations: "(x ,y ,z)" gives no height; line and circle are skipped.
    const auto& annotations = probe.annotations();
    QCOMPARE(annotations.size(), 6);
    QCOMPARE(annotations.at(0)->text, QStringLiteral("\"Market Cross\""));
    QCOMPARE(annotations.at(0)->position, CVPoint(150.0, 25.0, 0.0));
    QCOMPARE(annotations.at(3)->position, CVPoint(330.0, -440.0, 0.0));
    QCOMPARE(annotations.at(4)->text, QStringLiteral("\"Church Street - one way\""));
    QCOMPARE(annotations.at(5)->text, QStringLiteral("\"Station Roundabout\""));
}

void TrafficExamplesTest::sias()
{
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    readTraffic(probe, QStringLiteral("Sias"), 0.3, {{11, 1}, {12, 2}, {13, 3}, {14, 4}, {15, 5}});
    if (QTest::currentTestFailed())
        return;

    const auto& vehicles = probe.vehicles();
    QCOMPARE(vehicles.keys(), QList<int>({-1, 1, 2, 3}));
    QCOMPARE(vehicleTypes(vehicles.value(1)), QList<int>({1, 2}));
    QCOMPARE(vehicles.value(1).at(0)->className, QStringLiteral("car"));
    QCOMPARE(vehicles.value(1).at(0)->proportion, 0.8);
    QCOMPARE(vehicles.value(3).at(0)->className, QStringLiteral("coach"));
    QCOMPARE(vehicles.value(-1).at(1)->className, QStringLiteral("bus"));

    // Demands in tenths, divisor 10.
    const auto& demands = probe.demands();
    QCOMPARE(demands.size(), 2);
    QCOMPARE(demands.at(1)->period, 2);
    QCOMPARE(demands.at(0)->rows.keys(), QList<int>({1, 2, 3, 4, 5, 6}));
    QCOMPARE(demands.at(0)->rows.value(1).toVector(), QVector<double>({0, 25, 130, 55, 45, 160}));
    QCOMPARE(demands.at(1)->rows.value(5).toVector(), QVector<double>({6, 0, 12, 36, 0, 10}));

    // Profiles: values under two hour lines each.
    const auto& profiles = probe.profiles();
    QCOMPARE(profiles.keys(), QList<int>({1, 2}));
    QCOMPARE(profiles.value(1)->interval, 900);
    QCOMPARE(profiles.value(1)->start, QTime(7, 0));
    QCOMPARE(profiles.value(1)->values, QVector<float>({8, 10, 12, 15, 16, 14, 13, 12}));
    QCOMPARE(profiles.value(2)->interval, 1800);
    QCOMPARE(profiles.value(2)->values, QVector<float>({20, 30, 30, 20}));

    const auto& matrices = probe.matrixEntries();
    QCOMPARE(matrices.keys(), QList<int>({3}));
    QCOMPARE(matrices.value(3)->value(4, 5), 5.0);
    QCOMPARE(matrices.value(3)->value(1, 6), 4.0);

    const auto& stops = probe.busStops();
    QCOMPARE(stops.size(), 9);
    QCOMPARE(stops.value(1)->position, 250.0 * 0.33);
    QCOMPARE(stops.value(3)->position, 90.0);
    QCOMPARE(stops.value(5)->name, QStringLiteral("\"MillLaneEnd\""));

    const auto& routes = probe.busRoutes();
    QCOMPARE(routes.keys(), QStringList({"\"10\"", "\"31\""}));
    QCOMPARE(routes.value(QStringLiteral("\"10\""))->releases.size(), 10);
    const ParamicsBusRoute* crescent = routes.value(QStringLiteral("\"31\""));
    QCOMPARE(crescent->routeNodes, QVector<QString>({"15", "6", "8", "3", "4", "16", "9", "7"}));
    QCOMPARE(crescent->stops.size(), 5);
    QCOMPARE(crescent->releases.at(1), QTime(7, 40));

    const auto& detectors = probe.detectors();
    QCOMPARE(detectors.size(), 6);
    QCOMPARE(detectors.at(0)->position, 130.0 * 0.33);
    QCOMPARE(detectors.at(3)->position, 160.0);
    QCOMPARE(detectors.at(3)->length, 2.0);
    QCOMPARE(detectors.at(4)->link, QStringLiteral("17:11"));

    const auto& beacons = probe.beacons();
    QCOMPARE(beacons.size(), 2);
    QCOMPARE(beacons.at(0)->position, 400.0 * 0.33);
    QCOMPARE(beacons.at(1)->position, 150.0);

    // Annotations: "x ft y ft size ft", scaled by the unit factor.
    const auto& annotations = probe.annotations();
    QCOMPARE(annotations.size(), 6);
    QCOMPARE(annotations.at(0)->text, QStringLiteral("\"Market Cross\""));
    QCOMPARE(annotations.at(0)->position, CVPoint(500.0 * 0.3, 80.0 * 0.3, 80.0 * 0.3));
    QCOMPARE(annotations.at(3)->position, CVPoint(1000.0 * 0.3, -1460.0 * 0.3, 120.0 * 0.3));
    QCOMPARE(annotations.at(5)->text, QStringLiteral("\"Station Roundabout\""));
}

// A network exported by a user's tool, Quadstone variant, without a lookup
// list: totals counted in its files.
void TrafficExamplesTest::realNetwork()
{
    const QString dir = QStringLiteral(SHARED_NETWORKS_DIR "/escenario2");
    if (!QFileInfo::exists(dir + QStringLiteral("/busroutes")))
        QSKIP("the shared networks are not available");
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.version() = QStringLiteral("Quadstone");
    probe.readDemands(dir);
    probe.readBusStops(dir);
    probe.readBusRoutes(dir);
    probe.readVehicles(dir);
    probe.readDetectors(dir);

    QCOMPARE(probe.demands().size(), 1);
    const ParamicsDemand* demand = probe.demands().first();
    QCOMPARE(demand->rows.size(), 28);
    for (const ParamicsOdValues& row : demand->rows)
        QCOMPARE(row.size(), qsizetype(28));
    QCOMPARE(demand->rows.value(1).at(3), 249.0);

    QCOMPARE(probe.busStops().size(), 36);
    QCOMPARE(probe.busStops().value(1)->name, QStringLiteral("\"PTstop6\""));
    QCOMPARE(probe.busStops().value(1)->link, QStringLiteral("42:39"));
    QCOMPARE(probe.busRoutes().size(), 21);
    int releases = 0, stops = 0, nodes = 0;
    for (const ParamicsBusRoute* route : probe.busRoutes()) {
        releases += route->releases.size();
        stops += route->stops.size();
        nodes += route->routeNodes.size();
    }
    QCOMPARE(releases, 673);
    QCOMPARE(stops, 78);
    QCOMPARE(nodes, 379);

    QCOMPARE(probe.vehicles().value(1).size(), 2);
    QCOMPARE(probe.vehicles().value(1).at(1)->className, QStringLiteral("ogv1"));
    QCOMPARE(probe.detectors().size(), 1);
    QCOMPARE(probe.detectors().first()->position, 164.5);
    QCOMPARE(probe.detectors().first()->link, QStringLiteral("133:18"));
}

QTEST_GUILESS_MAIN(TrafficExamplesTest)
#include "tst_trafficexamples.moc"
