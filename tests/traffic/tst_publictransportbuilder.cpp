// Bus stops on their sections and public lines built from bus routes.

#include "networkfixture.h"

#include <cvfolder.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>
#include <cvroadtype.h>
#include <cvsectionobject.h>
#include <cvvehicle.h>

#include <QtTest>

namespace {

ParamicsBusStop* addStop(NetworkFixture& f, int number, const QString& link, double position)
{
    auto* stop = new ParamicsBusStop(number);
    stop->link = link;
    stop->position = position;
    stop->name = QStringLiteral("\"Stop %1\"").arg(number);
    f.busStops.insert(number, stop);
    return stop;
}

ParamicsBusRoute* addRoute(NetworkFixture& f, const QString& name, const QVector<QString>& nodes,
                           const QVector<int>& stops, const QVector<QTime>& releases = {})
{
    auto* route = new ParamicsBusRoute(name);
    route->routeNodes = nodes;
    for (int stop : stops)
        route->stops.append(ParamicsRouteStop{stop, QTime()});
    route->releases = releases;
    f.busRoutes.insert(name, route);
    return route;
}

CVBusStop* hostStop(NetworkFixture& f, int number)
{
    return dynamic_cast<CVBusStop*>(f.model->getCatalog()->find(unsigned(f.busStops.value(number)->stopId)));
}

QVector<unsigned int> ids(const QList<CVBusStop*>& stops)
{
    QVector<unsigned int> list;
    for (const CVBusStop* stop : stops)
        list.append(stop ? stop->getId() : 0);
    return list;
}

CVPublicLineTimeTableSchedule* onlySchedule(const CVPublicLine* line)
{
    if (line->getTimeTables().size() != 1 || line->getTimeTables().first()->getSchedules().size() != 1)
        return nullptr;
    return line->getTimeTables().first()->getSchedules().first();
}

}  // namespace

class TestPublicTransportBuilder : public QObject
{
    Q_OBJECT

private slots:
    void stopOnKerbLane_data();
    void stopOnKerbLane();
    void stopsWithoutSectionAreSkipped();
    void lineFromRoute();
    void departureVehicle_data();
    void departureVehicle();
    void routesShareStopAndFolder();
};

void TestPublicTransportBuilder::stopOnKerbLane_data()
{
    QTest::addColumn<bool>("rightHandDrive");
    QTest::addColumn<int>("lanes");
    QTest::addColumn<int>("kerbLane");
    QTest::newRow("right-hand, three lanes") << true << 3 << 2;
    QTest::newRow("right-hand, one lane") << true << 1 << 0;
    QTest::newRow("left-hand, three lanes") << false << 3 << 0;
}

void TestPublicTransportBuilder::stopOnKerbLane()
{
    QFETCH(bool, rightHandDrive);
    QFETCH(int, lanes);
    QFETCH(int, kerbLane);
    NetworkFixture f(rightHandDrive);
    CVSection* section = f.bareSection("1", "2", lanes);
    // Beyond the end of the (empty) section: kept as it is.
    addStop(f, 7, "1:2", 512.5);
    f.publicTransport().createBusStops();

    CVBusStop* stop = hostStop(f, 7);
    QVERIFY(stop);
    QCOMPARE(stop->getName(), QStringLiteral("\"Stop 7\""));
    QCOMPARE(stop->getPosition(), 512.5f);
    QCOMPARE(stop->getFromLane(), kerbLane);
    QCOMPARE(stop->getToLane(), kerbLane);
    QCOMPARE(stop->getLength(), 20.0f);
    QCOMPARE(stop->getSection(), section);
    QCOMPARE(section->getTopObjects(), QVector<CVGeoObject*>{stop});
    QCOMPARE(stop->getLayer(), f.layer);
    QVERIFY(f.layer->getObjects().contains(stop));
}

void TestPublicTransportBuilder::stopsWithoutSectionAreSkipped()
{
    NetworkFixture f;
    f.bareSection("1", "2");
    f.bareLink("2", "1")->barred = true;
    addStop(f, 1, "2:1", 10.0);
    addStop(f, 2, "9:9", 10.0);
    addStop(f, 3, "1:2", 10.0);
    f.publicTransport().createBusStops();

    QCOMPARE(f.busStops.value(1)->stopId, -1);
    QCOMPARE(f.busStops.value(2)->stopId, -1);
    QVERIFY(hostStop(f, 3));
    QCOMPARE(f.objects<CVBusStop>("CVBusStop").size(), 1);
    // Looking up the unknown link left no entry behind.
    QCOMPARE(f.links.size(), 2);
}

// Path 1-2-3-4-5: 2:3 is barred and 3:4 was never read, so both drop out
// of the path. Stops: 1 twice, an unknown number and a stop on the barred
// link.
void TestPublicTransportBuilder::lineFromRoute()
{
    NetworkFixture f;
    CVSection* first = f.bareSection("1", "2");
    f.bareLink("2", "3")->barred = true;
    CVSection* last = f.bareSection("4", "5");
    addStop(f, 1, "1:2", 10.0);
    addStop(f, 2, "4:5", 30.0);
    addStop(f, 3, "2:3", 20.0);
    addStop(f, 7, "1:2", 15.0)->link = "9:9";  // on no link: never built
    // Stops 0, 5 and 99 are none of the file's: below, between and above its numbers.
    addRoute(f, "\"10\"", {"1", "2", "3", "4", "5"}, {1, 2, 0, 1, 5, 99, 3, 7},
             {QTime(7, 0), QTime(7, 20, 30), QTime(23, 59, 59)});
    f.publicTransport().createBusStops();
    f.publicTransport().createBusRoutes();

    const QList<CVPublicLine*> lines = f.objects<CVPublicLine>("CVPublicLine");
    QCOMPARE(lines.size(), 1);
    const CVPublicLine* line = lines.first();
    QCOMPARE(line->getName(), QStringLiteral("\"10\""));
    QCOMPARE(line->getSections(), QVector<unsigned int>({first->getId(), last->getId()}));
    QCOMPARE(line->getStops(), ids({hostStop(f, 1), hostStop(f, 2)}));
    QCOMPARE(line->getTimeTables().first()->getPublicLine(), line);

    const CVPublicLineTimeTableSchedule* schedule = onlySchedule(line);
    QVERIFY(schedule);
    QCOMPARE(schedule->getDepartureType(), 1);
    QCOMPARE(schedule->getStops(), ids({hostStop(f, 1), hostStop(f, 2), hostStop(f, 1)}));
    const CVPublicLineTimeTableScheduleStopTime dwell = schedule->getStopTime(hostStop(f, 2)->getId());
    QCOMPARE(QList<double>({dwell.meanTime, dwell.deviationTime, dwell.offsetTime}), QList<double>({0, 0, 0}));

    QStringList times;
    for (const CVPublicLineTimeTableDeparture& departure : schedule->getDepartureTimes()) {
        times << departure.getMeanTime().toString();
        QCOMPARE(departure.getDeviationTime().toSeconds(), 0.0);
    }
    QCOMPARE(times, QStringList({"07:00:00", "07:20:30", "23:59:59"}));
}

// The departure vehicle is the model's object named "bus" in any case,
// taken only when it is a vehicle type.
void TestPublicTransportBuilder::departureVehicle_data()
{
    QTest::addColumn<QString>("vehicleName");
    QTest::addColumn<bool>("roadTypeNamedBus");
    QTest::addColumn<bool>("found");
    QTest::newRow("bus") << "bus" << false << true;
    QTest::newRow("BUS") << "BUS" << false << true;
    QTest::newRow("no bus") << "coach" << false << false;
    QTest::newRow("bus is a road type") << "coach" << true << false;
}

void TestPublicTransportBuilder::departureVehicle()
{
    QFETCH(QString, vehicleName);
    QFETCH(bool, roadTypeNamedBus);
    QFETCH(bool, found);
    NetworkFixture f;
    CVObject* vehicle = f.model->getCatalog()->find("bus", f.model->getType("CVVehicle"));
    QVERIFY(vehicle);
    vehicle->setName(vehicleName);
    if (roadTypeNamedBus)
        CVSystem::getSystem().newObject("CVRoadType", f.model, -1, true)->setName("bus");
    addRoute(f, "\"5\"", {}, {}, {QTime(6, 0), QTime(6, 30)});
    f.publicTransport().createBusRoutes();

    const CVPublicLine* line = f.objects<CVPublicLine>("CVPublicLine").value(0);
    QVERIFY(line);
    QVERIFY(line->getSections().isEmpty());
    const CVPublicLineTimeTableSchedule* schedule = onlySchedule(line);
    QVERIFY(schedule);
    QCOMPARE(schedule->getDepartureTimes().size(), 2);
    for (const CVPublicLineTimeTableDeparture& departure : schedule->getDepartureTimes())
        QCOMPARE(departure.getVehicle(), found ? vehicle : nullptr);
}

// Lines come in route name order, all in the one public lines folder, and
// a stop that two routes serve is the same host stop in both.
void TestPublicTransportBuilder::routesShareStopAndFolder()
{
    NetworkFixture f;
    f.bareSection("1", "2");
    f.bareSection("2", "3");
    addStop(f, 4, "2:3", 50.0);
    addRoute(f, "\"22\"", {"2", "3"}, {4});
    addRoute(f, "\"10\"", {"1", "2", "3"}, {4});
    f.publicTransport().createBusStops();
    f.publicTransport().createBusRoutes();

    const QList<CVPublicLine*> lines = f.objects<CVPublicLine>("CVPublicLine");
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0)->getName(), QStringLiteral("\"10\""));
    QCOMPARE(lines.at(1)->getName(), QStringLiteral("\"22\""));
    QCOMPARE(f.objects<CVBusStop>("CVBusStop").size(), 1);
    const QVector<unsigned int> shared = ids({hostStop(f, 4)});
    QCOMPARE(lines.at(0)->getStops(), shared);
    QCOMPARE(lines.at(1)->getStops(), shared);

    CVFolder* folder = f.model->getCreateRootFolder()->findFolder("CVModel::publicLines");
    QVERIFY(folder);
    QCOMPARE(folder->getMembers(), QVector<CVObject*>({lines.at(0), lines.at(1)}));
    // A second run files into the same folder.
    f.publicTransport().createBusRoutes();
    QCOMPARE(folder->getMembers().size(), 4);
    int lineFolders = 0;
    for (const CVFolder* each : f.objects<CVFolder>("CVFolder"))
        lineFolders += each->getName() == QLatin1String("CVModel::publicLines") ? 1 : 0;
    QCOMPARE(lineFolders, 1);
}

QTEST_GUILESS_MAIN(TestPublicTransportBuilder)
#include "tst_publictransportbuilder.moc"
