// The scenario a SUMO export runs: the network's configuration file as the
// application reads it, the one clock of OD slices and buses, the signals'
// intergreens, and the districts of zones that lack a source or a sink.

#include "export/sumo/sumodistricts.h"
#include "export/sumo/sumoexporter.h"
#include "export/sumo/sumonetwork.h"
#include "export/sumo/sumoscenario.h"
#include "import/scenarioreader.h"

#include <cvcentroid.h>
#include <cvcontroljunction.h>
#include <cvcontrolphase.h>
#include <cvcontrolplan.h>
#include <cvcontrolplansignal.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvodmatrix.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

using Times = QVector<double>;

class TestSumoScenario : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void configurationFile_data();
    void configurationFile();
    void clockSeconds_data();
    void clockSeconds();
    void oneClock_data();
    void oneClock();
    void overridesWin();
    void intergreens_data();
    void intergreens();
    void districtsOfHalfConnectedZones();

private:
    template <typename T>
    T* make(const char* type)
    {
        return static_cast<T*>(CVSystem::getSystem().newObject(QString::fromLatin1(type), model.get()));
    }
    CVSection* section(CVNode* from, CVNode* to)
    {
        auto* s = make<CVSection>("CVSection");
        s->setDataValue(CVSection::nbLanesColumn(), 1);
        s->setFromSegment(from->getPosition(), to->getPosition(), CVBezierCurve::Segment);
        s->setOrigin(from);
        s->setDestination(to);
        return s;
    }
    CVNode* node(double x, double y)
    {
        auto* n = make<CVNode>("CVNode");
        n->setPosition(CVPoint(x, y));
        return n;
    }
    void matrixAt(double start, double minutes)
    {
        auto* m = make<CVODMatrix>("CVODMatrix");
        m->setInterval(QTime(0, 0).addSecs(int(start)), CVTimeDuration(minutes * 60.0));
        auto* c = make<CVCentroid>("CVCentroid");
        m->setTrips(c, c, 1.0);
    }
    void busesAt(const Times& times)
    {
        auto* line = make<CVPublicLine>("CVPublicLine");
        auto* table = make<CVPublicLineTimeTable>("CVPublicLineTimeTable");
        auto* schedule = new CVPublicLineTimeTableSchedule;
        for (double t : times) {
            CVPublicLineTimeTableDeparture departure;
            departure.setMeanTime(CVTimeDuration(t));
            schedule->addDepartureTime(departure);
        }
        table->addSchedule(schedule);
        line->addTimeTable(table);
    }
    static QStringList phases(const QString& path);

    std::unique_ptr<CVModel> model;
};

void TestSumoScenario::init()
{
    model.reset(CVSystem::getSystem().createModel());
}

void TestSumoScenario::configurationFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read");  // ScenarioReader::describe of what was read
    QTest::newRow("a network's own file")
        << "start time  07:30:00\nsimulation time  01:00:00\ndemand weight  40.0\nseed  6\nsplit seed\n"
           "demand matrix tuning level  0\namber time  3.000\nred time  5.000\nright hand drive\nunits metric\n"
        << "start 07:30:00, 01:00:00 simulated, demand weight 40 %, seed 6, amber 3 s, all-red 5 s, right-hand traffic";
    // "split seed" takes no number: the next setting is still read.
    QTest::newRow("split seed before a setting") << "split seed\namber time 2.5\n" << "amber 2.5 s";
    // The stop line's time to red is not the all-red.
    QTest::newRow("time to red") << "stop delay 2.5\nto red time 2.000\nleft hand drive\n" << "left-hand traffic";
    QTest::newRow("comments and hours with minutes") << "## start time 09:00:00\nstart time 06:45\n" << "start 06:45:00";
    QTest::newRow("words without values") << "seed\ndemand weight\nright hand\n" << "no settings";
}

void TestSumoScenario::configurationFile()
{
    QFETCH(QString, text);
    QFETCH(QString, read);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("configuration")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    file.close();
    const std::optional<CVScenarioSettings> settings = ScenarioReader::read(dir.path());
    QVERIFY(settings);
    QCOMPARE(ScenarioReader::describe(*settings), read);
    // Kept in the model file as it was read.
    QString problem;
    QCOMPARE(CVScenarioSettings::fromJson(settings->toJson(), &problem), settings);
    QVERIFY(!ScenarioReader::read(dir.filePath(QStringLiteral("none"))));
}

void TestSumoScenario::clockSeconds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("seconds");  // -1: not a time
    QTest::newRow("hh:mm:ss") << "07:30:15" << 27015.0;
    QTest::newRow("hh:mm") << "07:30" << 27000.0;
    QTest::newRow("seconds") << "90.5" << 90.5;
    QTest::newRow("past midnight") << "25:00:00" << 90000.0;
    QTest::newRow("text") << "noon" << -1.0;
    QTest::newRow("negative") << "-5" << -1.0;
    QTest::newRow("four parts") << "1:2:3:4" << -1.0;
}

void TestSumoScenario::clockSeconds()
{
    QFETCH(QString, text);
    QFETCH(double, seconds);
    QCOMPARE(ScenarioReader::clockSeconds(text).value_or(-1.0), seconds);
}

void TestSumoScenario::oneClock_data()
{
    QTest::addColumn<double>("start");     // of the configuration; -1 for none
    QTest::addColumn<double>("duration");  // simulated, -1 for none
    QTest::addColumn<Times>("slices");     // start of each one-hour OD slice
    QTest::addColumn<Times>("buses");
    QTest::addColumn<Times>("expected");   // matrix shift, bus shift, begin, end
    const double settle = SumoScenario::SettlingTime;
    QTest::newRow("no configuration: the demand's own clock")
        << -1.0 << -1.0 << Times{7 * 3600.0} << Times{6.5 * 3600, 8.5 * 3600}
        << Times{0, 0, 6.5 * 3600, 8.5 * 3600 + settle};
    // A demand without a profile got the import's 08:00 to 09:00.
    QTest::newRow("stand-in period starts at the configuration's start")
        << 7.5 * 3600 << 3600.0 << Times{8 * 3600.0} << Times{7.6 * 3600}
        << Times{-0.5 * 3600, 0, 7.5 * 3600, 8.5 * 3600 + settle};
    QTest::newRow("timetables written from midnight")
        << -1.0 << -1.0 << Times{7 * 3600.0} << Times{0, 1800}
        << Times{0, 7 * 3600, 7 * 3600, 8 * 3600 + settle};
    QTest::newRow("simulated time longer than the demand")
        << 7 * 3600.0 << 3 * 3600.0 << Times{7 * 3600.0} << Times{}
        << Times{0, 0, 7 * 3600, 10 * 3600 + settle};
    QTest::newRow("a profile's slices stay where they are")
        << 6 * 3600.0 << 3600.0 << Times{8 * 3600.0, 9 * 3600.0} << Times{}
        << Times{0, 0, 6 * 3600, 10 * 3600 + settle};
}

void TestSumoScenario::oneClock()
{
    QFETCH(double, start);
    QFETCH(double, duration);
    QFETCH(Times, slices);
    QFETCH(Times, buses);
    QFETCH(Times, expected);
    CVScenarioSettings settings;
    if (start >= 0)
        settings.startTime = start;
    if (duration >= 0)
        settings.duration = duration;
    model->setScenarioSettings(settings);
    for (double s : slices)
        matrixAt(s, 60);
    if (!buses.isEmpty())
        busesAt(buses);
    const SumoScenario scenario(*model);
    QCOMPARE((Times{scenario.matrixShift, scenario.busShift, scenario.begin, scenario.end}), expected);
}

void TestSumoScenario::overridesWin()
{
    CVScenarioSettings settings;
    settings.demandWeight = 40.0;
    settings.startTime = 7 * 3600.0;
    settings.seed = 6;
    model->setScenarioSettings(settings);
    matrixAt(7 * 3600.0, 60);
    QCOMPARE(SumoScenario(*model).scale, 0.4);
    QCOMPARE(SumoScenario(*model).seed, std::optional<int>(6));
    SumoOverrides overrides;
    overrides.scale = 1.0;
    overrides.begin = 100.0;
    overrides.end = 200.0;
    const SumoScenario scenario(*model, overrides);
    QCOMPARE((Times{scenario.scale, scenario.begin, scenario.end}), (Times{1.0, 100.0, 200.0}));
}

QStringList TestSumoScenario::phases(const QString& path)
{
    QFile file(path);
    QStringList result;
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("phase"))
            result << xml.attributes().value("duration").toString() + ' ' + xml.attributes().value("state").toString();
    }
    return result;
}

void TestSumoScenario::intergreens_data()
{
    QTest::addColumn<QVector<int>>("durations");  // of the phases: A -> B, then A -> C
    QTest::addColumn<double>("amber");            // -1: no configuration
    QTest::addColumn<double>("allRed");
    QTest::addColumn<QStringList>("program");
    QTest::newRow("default amber, taken from the greens")
        << QVector<int>{30, 20} << -1.0 << 0.0 << QStringList{"27.00 Gr", "3.00 yr", "17.00 rG", "3.00 ry"};
    QTest::newRow("the configuration's amber and all-red")
        << QVector<int>{30, 20} << 4.0 << 2.0
        << QStringList{"24.00 Gr", "4.00 yr", "2.00 rr", "14.00 rG", "4.00 ry", "2.00 rr"};
    // Too short to give the time: the cycle grows instead.
    QTest::newRow("a short green keeps its time")
        << QVector<int>{30, 6} << 4.0 << 2.0
        << QStringList{"24.00 Gr", "4.00 yr", "2.00 rr", "6.00 rG", "4.00 ry", "2.00 rr"};
}

void TestSumoScenario::intergreens()
{
    QFETCH(QVector<int>, durations);
    QFETCH(double, amber);
    QFETCH(double, allRed);
    QFETCH(QStringList, program);
    if (amber >= 0) {
        CVScenarioSettings settings;
        settings.amberTime = amber;
        settings.redTime = allRed;
        model->setScenarioSettings(settings);
    }
    CVNode* junction = node(100, 0);
    CVSection* a = section(node(0, 0), junction);
    CVSection* b = section(junction, node(200, 0));
    CVSection* c = section(junction, node(100, 100));
    auto* plan = make<CVControlPlan>("CVControlPlan");
    CVControlJunction* control = plan->createControlJunction(junction->getId());
    control->setControlJunctionType(CVControlJunction::FixedControl);
    float from = 0;
    for (CVSection* to : {b, c}) {
        auto* t = make<CVTurning>("CVTurning");
        t->setNode(junction);
        t->setSections(a, to);
        t->setOriginLanes(0, 0);
        t->setDestinationLanes(0, 0);
        junction->addTurning(t, false, false);
        auto* signal = make<CVControlPlanSignal>("CVControlPlanSignal");
        signal->addTurning(t);
        auto* phase = new CVControlPhase;
        phase->setFrom(from);
        phase->setDuration(float(durations[to == b ? 0 : 1]));
        phase->addSignal(signal->getId(), signal->getName(), false);
        control->addPhase(phase);
        from += phase->getDuration();
    }
    QTemporaryDir dir;
    QVERIFY(SumoExporter::write(*model, dir.filePath(QStringLiteral("net")), nullptr));
    QCOMPARE(phases(dir.filePath(QStringLiteral("net.tll.xml"))), program);
}

// Zone 1 is only reached (by A), zone 2 only left (by D), zone 3 is
// served by a one-way road's end only, zone 4 by nothing.
void TestSumoScenario::districtsOfHalfConnectedZones()
{
    CVNode* west = node(0, 0);
    CVNode* middle = node(100, 0);
    CVNode* east = node(200, 0);
    CVSection* a = section(west, middle);
    CVSection* back = section(middle, west);
    CVSection* d = section(east, middle);
    CVSection* onward = section(middle, east);
    CVSection* oneWay = section(node(100, 100), middle);
    CVSection* leaving = section(middle, node(100, -100));
    QVector<CVCentroid*> zones;
    for (auto [s, type] : {std::pair<CVSection*, int>{a, CVCentroid::eTo}, {d, CVCentroid::eFrom},
                           {oneWay, CVCentroid::eTo}, {nullptr, 0}}) {
        auto* zone = make<CVCentroid>("CVCentroid");
        if (s) {
            auto* connection = make<CVObjectConnection>("CVCenConnection");
            connection->setConnectionObject(s);
            connection->setConnectionType(type);
            zone->addConnection(connection);
        }
        zones << zone;
    }
    const SumoNetwork network(*model);
    const SumoDistricts districts(network);
    QCOMPARE(districts.all().size(), 4);
    const auto& d1 = districts.all()[0];
    const auto& d2 = districts.all()[1];
    const auto& d3 = districts.all()[2];
    // The same road the other way, else the sections on from where it ends.
    QCOMPARE(d1.sources, (QVector<const CVSection*>{back}));
    QCOMPARE(d2.sinks, (QVector<const CVSection*>{onward}));
    QCOMPARE(d3.sources, (QVector<const CVSection*>{back, onward, leaving}));
    for (int i = 0; i < zones.size(); ++i)
        QCOMPARE(districts.districtOf(zones[i]->getId()), i);
    QCOMPARE(districts.districtOf(zones.first()->getId() - 1), -1);
    QCOMPARE(districts.districtOf(zones.last()->getId() + 1), -1);
    const int unconnected = districts.districtOf(zones[3]->getId());
    QVERIFY(unconnected >= 0 && !districts.hasSources(unconnected) && !districts.hasSinks(unconnected));
    // No turning joins the sections here: no route between the zones.
    QVERIFY(!districts.joins(districts.districtOf(zones[0]->getId()), districts.districtOf(zones[1]->getId())));

    // What cannot be placed is named per zone, and the rest is written.
    auto* trips = make<CVODMatrix>("CVODMatrix");
    trips->setInterval(QTime(8, 0), CVTimeDuration(3600.0));
    trips->setTrips(zones[1], zones[3], 7.0);
    trips->setTrips(zones[3], zones[1], 2.0);
    trips->setTrips(zones[1], zones[0], 5.0);
    // A second slice: the notes add up the trips left out of every file.
    auto* later = make<CVODMatrix>("CVODMatrix");
    later->setInterval(QTime(9, 0), CVTimeDuration(3600.0));
    later->setTrips(zones[1], zones[0], 3.0);
    later->setTrips(zones[3], zones[1], 1.5);
    QTemporaryDir dir;
    QStringList notes;
    QString error;
    QVERIFY2(SumoExporter::write(*model, dir.filePath(QStringLiteral("net")), SumoOverrides(), &notes, &error), qPrintable(error));
    const QString z1 = SumoDistricts::zoneName(*zones[1]);
    const QString z3 = SumoDistricts::zoneName(*zones[3]);
    QCOMPARE(notes, (QStringList{QStringLiteral("zone %1: 8 trips left out of the OD files: no route leads from it to their destinations").arg(z1),
                                 QStringLiteral("zone %1: 3.5 trips left out of the OD files: no section leaves it").arg(z3),
                                 QStringLiteral("zone %1: 7 trips left out of the OD files: no section reaches it").arg(z3)}));
}

QTEST_GUILESS_MAIN(TestSumoScenario)
#include "tst_sumoscenario.moc"
