// The traffic builders on hand-made records: fixed-time signal control,
// vehicle types and OD matrices.

#include "networkfixture.h"

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvcommander.h>
#include <cvcontroljunction.h>
#include <cvcontrolphase.h>
#include <cvcontrolplan.h>
#include <cvcontrolplansignal.h>
#include <cvfolder.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvodmatrix.h>
#include <cvsystem.h>
#include <cvvehicle.h>

#include <QJsonObject>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The network fixture with stand-in host objects behind the records that
// the traffic builders read.
struct BuilderFixture : NetworkFixture
{
    CVObject* make(const char* type) { return CVSystem::getSystem().newObject(QString::fromLatin1(type), model); }

    // --- signal control records ---

    // A junction node with a host node.
    ParamicsNode* junction(const QString& id)
    {
        auto* record = new ParamicsNode;
        record->id = id;
        record->node = static_cast<CVNode*>(make("CVNode"));
        record->objectId = record->node->getId();
        nodes.insert(id, record);
        return record;
    }

    // The movement from -> node -> to as a turning with its host turning and
    // its signal.
    void movement(const QString& from, const QString& node, const QString& to)
    {
        const QString name = ParamicsLink::linkName(from, node);
        ParamicsLink* link = links.value(name, nullptr);
        if (!link) {
            link = new ParamicsLink;
            link->from = from;
            link->to = node;
            link->name = name;
            links.insert(name, link);
        }
        ParamicsTurning turning;
        turning.destination = ParamicsLink::linkName(node, to);
        turning.turningId = make("CVTurning")->getId();
        turning.signal = make("CVControlPlanSignal");
        link->appendTurning(turning);
    }

    const ParamicsTurning* turning(const QString& from, const QString& node, const QString& to)
    {
        return links.value(ParamicsLink::linkName(from, node))->findTurning(ParamicsLink::linkName(node, to));
    }

    CVNode* hostNode(const ParamicsNode* record) const
    {
        return dynamic_cast<CVNode*>(model->getCatalog()->find(record->objectId));
    }

    // --- demand records ---

    // Zones in reading order, each with a stand-in centroid carrying its
    // zone number as external id, except those listed without one.
    void zoneList(const QVector<int>& numbers, const QVector<int>& withoutCentroid = {})
    {
        for (int i = 0; i < numbers.size(); ++i) {
            zoneNumbers.insert(i, numbers.at(i));
            if (!withoutCentroid.contains(numbers.at(i)) && !centroid(numbers.at(i)))
                make("CVFolder")->setExternalId(QString::number(numbers.at(i)));
        }
    }

    CVObject* centroid(int zone) const { return model->getCatalog()->findObjectByExternalId(QString::number(zone)); }

    ParamicsVehicle* vehicleType(int type, int matrix, double proportion, bool hostVehicle = true)
    {
        auto* record = new ParamicsVehicle(type);
        record->matrix = matrix;
        record->proportion = proportion;
        if (hostVehicle)
            record->vehicle = dynamic_cast<CVVehicle*>(make("CVVehicle"));
        vehicles[matrix].append(record);
        return record;
    }

    ParamicsDemand* demand(int matrix, int period, const QMap<int, QVector<double>>& rows)
    {
        auto* record = new ParamicsDemand(matrix, period);
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            for (double value : it.value())
                record->rows[it.key()].append(value);
        }
        demands.append(record);
        return record;
    }

    void profile(int number, int interval, const QTime& start, const QVector<float>& values)
    {
        auto* record = new ParamicsProfile(number, interval);
        record->start = start;
        record->values = values;
        profiles.insert(number, record);
    }

    QList<CVODMatrix*> matrices() const { return objects<CVODMatrix>("CVODMatrix"); }
    double trips(const CVODMatrix* matrix, int origin, int destination) const
    {
        return matrix->getTrips(centroid(origin), centroid(destination));
    }
};

// Phases as "from+duration", with "i" for an interphase.
QString timeline(const CVControlJunction* junction)
{
    QStringList parts;
    for (const CVControlPhase* phase : junction->getPhases())
        parts << QStringLiteral("%1+%2%3").arg(phase->getFrom()).arg(phase->getDuration()).arg(phase->isInterphase() ? "i" : "");
    return parts.join(' ');
}

QStringList startTimes(const QList<CVODMatrix*>& matrices)
{
    QStringList times;
    for (const CVODMatrix* matrix : matrices)
        times << matrix->getStart().toString(QStringLiteral("HH:mm:ss"));
    return times;
}

}  // namespace

class TestTrafficBuilders : public QObject
{
    Q_OBJECT

private slots:
    // Signal control.
    void junctionTimeline_data();
    void junctionTimeline();
    void signalsJoinTheirNodeOnce();
    void signalOfTurningNeverBuilt();
    void planWithoutSignalisedNodes();

    // Vehicle types.
    void vehicleTypes();

    // OD matrices.
    void profileSteps_data();
    void profileSteps();
    void tripsSplitByProportion();
    void demandWithoutProfile();
    void rowPositions();
    void zoneSharedByTwoEntries();
    void matrixFile();
    void repeatedZoneNumbers_data();
    void repeatedZoneNumbers();
    void tripsCollectedAhead_data();
    void tripsCollectedAhead();
};

// ---------------------------------------------------------------------------
// Signal control

void TestTrafficBuilders::junctionTimeline_data()
{
    QTest::addColumn<QString>("phases");  // "time/maxTime/red ..."
    QTest::addColumn<float>("toRedTime");
    QTest::addColumn<QString>("timeline");
    QTest::addColumn<float>("cycle");

    QTest::newRow("red and to-red time") << "30/0/3 20/0/0" << 1.0f << "0+30 30+4i 34+20" << 55.0f;
    QTest::newRow("no time: runs for its maximum") << "0/25/0" << 0.0f << "0+25" << 25.0f;
    QTest::newRow("every phase with red") << "32/40/3 10/10/2" << 0.0f << "0+32 32+3i 35+10 45+2i" << 47.0f;
}

void TestTrafficBuilders::junctionTimeline()
{
    QFETCH(QString, phases);
    QFETCH(float, toRedTime);
    QFETCH(QString, timeline);
    QFETCH(float, cycle);

    BuilderFixture f;
    f.toRedTime = toRedTime;
    f.stopDelay = 2.5f;
    ParamicsNode* node = f.junction("2");
    node->toRedTime = toRedTime;
    // Each phase has its own offset; the junction takes the first one's.
    double offset = 12.0;
    for (const QString& text : phases.split(' ')) {
        const QStringList values = text.split('/');
        ParamicsPhase phase;
        phase.offset = offset;
        offset += 5.0;
        phase.time = values.at(0).toDouble();
        phase.maxTime = values.at(1).toDouble();
        phase.red = values.at(2).toDouble();
        node->appendPriority(phase);
    }
    f.createPriorities();

    const QList<CVControlPlan*> plans = f.objects<CVControlPlan>("CVControlPlan");
    QCOMPARE(plans.size(), 1);
    CVControlJunction* junction = plans.first()->getControlJunction(node->objectId);
    QVERIFY(junction);
    QCOMPARE(::timeline(junction), timeline);
    QCOMPARE(junction->getCycle(), cycle);
    QCOMPARE(junction->getOffset(), 12.0f);
    QCOMPARE(junction->getYellowTime(), 2.5f);
    QCOMPARE(junction->getControlJunctionType(), int(CVControlJunction::FixedControl));
    QVERIFY(f.hostNode(node)->getYellowBox());
    // Fixed lengths; each phase has its own id from the model and runs on ring 1.
    QSet<unsigned int> ids;
    for (const CVControlPhase* phase : junction->getPhases()) {
        QCOMPARE(phase->getMinDuration(), phase->getDuration());
        QCOMPARE(phase->getMaxDuration(), phase->getDuration());
        QCOMPARE(phase->getIdRing(), 1);
        QVERIFY(phase->getId() != 0 && !f.model->getCatalog()->find(phase->getId()));
        ids.insert(phase->getId());
    }
    QCOMPARE(ids.size(), junction->getPhases().size());
}

void TestTrafficBuilders::signalsJoinTheirNodeOnce()
{
    BuilderFixture f;
    ParamicsNode* node = f.junction("J");
    f.movement("A", "J", "B");
    f.movement("A", "J", "C");
    f.movement("D", "J", "A");  // never green
    ParamicsPhase first;
    first.time = 20;
    first.movements = {{"A", "B"}, {"A", "C"}};
    ParamicsPhase second;
    second.time = 20;
    // A:B again; X:J is no link; J:Z is no turning of A:J.
    second.movements = {{"X", "B"}, {"A", "B"}, {"A", "Z"}};
    node->appendPriority(first);
    node->appendPriority(second);
    f.createPriorities();

    const ParamicsTurning* ab = f.turning("A", "J", "B");
    const ParamicsTurning* ac = f.turning("A", "J", "C");
    auto* signalAB = dynamic_cast<CVControlPlanSignal*>(ab->signal);
    auto* signalAC = dynamic_cast<CVControlPlanSignal*>(ac->signal);
    CVNode* host = f.hostNode(node);
    QCOMPARE(host->getSignalIds(), QVector<unsigned int>({signalAB->getId(), signalAC->getId()}));
    QCOMPARE(host->getSignalPos(signalAC->getId()), 2);
    QCOMPARE(signalAB->getTurningIds(), QVector<unsigned int>({ab->turningId}));
    QCOMPARE(signalAB->getNodeId(), host->getId());

    const QVector<CVControlPhase*> phases =
        f.objects<CVControlPlan>("CVControlPlan").first()->getControlJunction(node->objectId)->getPhases();
    QCOMPARE(phases.size(), 2);
    QCOMPARE(phases.at(0)->getSignals().size(), 2);
    QCOMPARE(phases.at(1)->getSignals().size(), 1);
    QCOMPARE(phases.at(1)->getSignals().first().id, signalAB->getId());
    QCOMPARE(phases.at(1)->getSignals().first().name, signalAB->getName());
    QCOMPARE(phases.at(1)->getSignals().first().flashing, false);
}

// A turning whose host turning was never built still has its signal: the
// signal joins the node and the phase refers to it, with no turning in it.
void TestTrafficBuilders::signalOfTurningNeverBuilt()
{
    BuilderFixture f;
    ParamicsNode* node = f.junction("J");
    f.movement("A", "J", "B");
    f.movement("A", "J", "C");
    ParamicsLink* link = f.links.value("A:J");
    link->turning(1).turningId = 0;
    ParamicsPhase phase;
    phase.time = 20;
    phase.movements = {{"A", "C"}, {"A", "B"}};
    node->appendPriority(phase);
    f.createPriorities();

    auto* unbuilt = dynamic_cast<CVControlPlanSignal*>(f.turning("A", "J", "C")->signal);
    auto* built = dynamic_cast<CVControlPlanSignal*>(f.turning("A", "J", "B")->signal);
    CVNode* host = f.hostNode(node);
    QCOMPARE(host->getSignalIds(), QVector<unsigned int>({unbuilt->getId(), built->getId()}));
    QVERIFY(unbuilt->getTurningIds().isEmpty());
    QCOMPARE(unbuilt->getNodeId(), host->getId());
    const CVControlPhase* green =
        f.objects<CVControlPlan>("CVControlPlan").first()->getControlJunction(node->objectId)->getPhases().first();
    QCOMPARE(green->getSignals().size(), 2);
    QCOMPARE(green->getSignals().first().id, unbuilt->getId());
}

void TestTrafficBuilders::planWithoutSignalisedNodes()
{
    BuilderFixture f;
    ParamicsNode* plain = f.junction("1");
    // Phases on a node that has no host node: no junction either.
    auto* ramp = new ParamicsNode;
    ramp->id = "R";
    ramp->priorities.append(ParamicsPhase{});
    f.nodes.insert(ramp->id, ramp);
    f.createPriorities();

    const QList<CVControlPlan*> plans = f.objects<CVControlPlan>("CVControlPlan");
    QCOMPARE(plans.size(), 1);
    QCOMPARE(plans.first()->getName(), "Paramics Control Plan");
    QCOMPARE(plans.first()->junctionCount(), 0);
    QVERIFY(!f.hostNode(plain)->getYellowBox());
    CVFolder* folder = f.model->getCreateRootFolder()->findFolder("CVModel::controlPlans");
    QVERIFY(folder && folder->contains(plans.first()));
}

// ---------------------------------------------------------------------------
// Vehicle types

void TestTrafficBuilders::vehicleTypes()
{
    BuilderFixture f;
    f.addBaseVehicles();
    const auto type = [&](int number, const QString& className, int matrix) {
        auto* record = new ParamicsVehicle(number);
        record->className = className;
        record->matrix = matrix;
        f.vehicles[matrix].append(record);
        return record;
    };
    ParamicsVehicle* car = type(1, "car", 1);
    ParamicsVehicle* unnamed = type(2, "", 1);
    ParamicsVehicle* coach = type(5, "coach", -1);  // no matrix: made first
    ParamicsVehicle* bus = type(6, "bus", -1);
    const int before = f.objects<CVVehicle>("CVVehicle").size();
    f.createVehicles();

    QVERIFY(!unnamed->vehicle);
    QVERIFY(car->vehicle && coach->vehicle && bus->vehicle);
    QVERIFY(coach->vehicle->getId() < bus->vehicle->getId() && bus->vehicle->getId() < car->vehicle->getId());
    QCOMPARE(f.objects<CVVehicle>("CVVehicle").size(), before + 3);
    QCOMPARE(car->vehicle->getName(), "Paramics Vehicle 1 car");
    QCOMPARE(coach->vehicle->getName(), "Paramics Vehicle 5 coach");
    QCOMPARE(car->vehicle->getStatus(), 2);
    QCOMPARE(f.model->getCommander()->size(), 3);

    const auto value = [&](const ParamicsVehicle* v, const char* column) {
        return v->vehicle->getDataValue(QString::fromLatin1(column)).toDouble();
    };
    for (const char* column : {"CVVehicle::lengthMean", "CVVehicle::lengthMin", "CVVehicle::lengthMax"})
        QCOMPARE(value(car, column), 4.0);
    QCOMPARE(value(car, "CVVehicle::maxDecelMax"), 4.5);
    QCOMPARE(value(coach, "CVVehicle::maxSpeedMax"), 126.0);
    // The bus class gives no width: the host keeps -1 and saves no value.
    QCOMPARE(value(bus, "CVVehicle::widthMax"), -1.0);
    const QJsonObject json = bus->vehicle->fieldsJson();
    const QJsonObject attributes = json.value("attributes").toObject();
    QCOMPARE(attributes.size(), 15);
    QVERIFY(attributes.value("CVVehicle::widthMean").isNull());
    QCOMPARE(attributes.value("CVVehicle::lengthMax").toDouble(), 10.0);
}

// ---------------------------------------------------------------------------
// OD matrices

void TestTrafficBuilders::profileSteps_data()
{
    QTest::addColumn<QTime>("start");
    QTest::addColumn<int>("interval");
    QTest::addColumn<QVector<float>>("values");
    QTest::addColumn<QStringList>("starts");

    QTest::newRow("zero step skipped") << QTime(7, 0) << 900 << QVector<float>{0, 50, 50}
                                       << QStringList{"07:15:00", "07:30:00"};
    QTest::newRow("negative and NaN steps skipped")
        << QTime(7, 0) << 900 << QVector<float>{-5, std::nanf(""), 10} << QStringList{"07:30:00"};
    QTest::newRow("across midnight") << QTime(23, 30) << 1800 << QVector<float>{10, 10, 10}
                                     << QStringList{"23:30:00", "00:00:00", "00:30:00"};
    QTest::newRow("no start: midnight") << QTime() << 3600 << QVector<float>{10, 0, 10}
                                        << QStringList{"00:00:00", "02:00:00"};
}

void TestTrafficBuilders::profileSteps()
{
    QFETCH(QTime, start);
    QFETCH(int, interval);
    QFETCH(QVector<float>, values);
    QFETCH(QStringList, starts);

    BuilderFixture f;
    f.zoneList({1, 2});
    ParamicsVehicle* type = f.vehicleType(1, 1, 0.5);
    f.demand(1, 4, {{1, {0, 40}}});
    f.profile(4, interval, start, values);
    f.createDemands();

    const QList<CVODMatrix*> matrices = f.matrices();
    QCOMPARE(startTimes(matrices), starts);
    for (CVODMatrix* matrix : matrices) {
        const int step = int(QTime(start.isValid() ? start : QTime(0, 0)).secsTo(matrix->getStart()) + 86400) % 86400 / interval;
        QCOMPARE(matrix->getDuration().toSeconds(), double(interval));
        QCOMPARE(matrix->getVehicle(), type->vehicle);
        QCOMPARE(f.trips(matrix, 1, 2), ((double(values.at(step)) * 40.0) / 100.0) * 0.5);
        QCOMPARE(matrix->pairCount(), 1);
        QCOMPARE(matrix->getStatus(), 2);
        QCOMPARE(matrix->getName(), matrix->getNameAutomatically(true));
        QCOMPARE(matrix->getCentroidConfiguration(), f.centroidConfiguration);
    }
    QCOMPARE(f.centroidConfiguration->getODMatrixIds().size(), matrices.size());
}

void TestTrafficBuilders::tripsSplitByProportion()
{
    BuilderFixture f;
    f.zoneList({1, 2, 3});
    ParamicsVehicle* cars = f.vehicleType(1, 1, 0.6);
    ParamicsVehicle* vans = f.vehicleType(2, 1, 0.4);
    f.vehicleType(3, 2, 1.0);  // draws on a matrix without demand
    f.demand(1, 1, {{1, {0, 100, 50}}, {3, {10, 0, 0}}});
    f.demand(7, 1, {{1, {0, 100, 50}}});  // no vehicle type draws on matrix 7
    f.profile(1, 900, QTime(7, 0), {0, 50, 50});
    f.createDemands();

    // Step by step, each type in its order.
    const QList<CVODMatrix*> m = f.matrices();
    QCOMPARE(m.size(), 4);
    QCOMPARE(startTimes(m), QStringList({"07:15:00", "07:15:00", "07:30:00", "07:30:00"}));
    QCOMPARE(m.at(0)->getVehicle(), cars->vehicle);
    QCOMPARE(m.at(1)->getVehicle(), vans->vehicle);
    QCOMPARE(f.trips(m.at(0), 1, 2), 30.0);
    QCOMPARE(f.trips(m.at(0), 1, 3), 15.0);
    QCOMPARE(f.trips(m.at(1), 1, 2), 20.0);
    QCOMPARE(f.trips(m.at(1), 3, 1), 2.0);
    QCOMPARE(m.at(1)->pairCount(), 3);
}

void TestTrafficBuilders::demandWithoutProfile()
{
    BuilderFixture f;
    f.zoneList({1, 2});
    f.vehicleType(1, 1, 0.25);
    ParamicsVehicle* unknownClass = f.vehicleType(2, 1, 0.75, false);
    f.demand(1, 9, {{2, {8, 4}}});
    f.createDemands();

    const QList<CVODMatrix*> m = f.matrices();
    QCOMPARE(m.size(), 2);
    QCOMPARE(startTimes(m), QStringList({"08:00:00", "08:00:00"}));
    QCOMPARE(m.at(0)->getDuration().toSeconds(), 3600.0);
    QCOMPARE(f.trips(m.at(0), 2, 1), 2.0);
    QCOMPARE(f.trips(m.at(1), 2, 1), 6.0);
    // A row's own zone is set like any other.
    QCOMPARE(f.trips(m.at(1), 2, 2), 3.0);
    QVERIFY(!m.at(1)->getVehicle());
    QVERIFY(!unknownClass->vehicle);
    QCOMPARE(m.at(1)->getName(), "OD Matrix All vehicles 08:00:00 - 09:00:00");
}

void TestTrafficBuilders::rowPositions()
{
    BuilderFixture f;
    // Zone 2 has no centroid; rows reach past the last zone.
    f.zoneList({1, 2, 3}, {2});
    f.vehicleType(1, 1, 1.0);
    f.demand(1, 0, {{1, {1, 2, 3, 4, 5}}, {2, {6, 7, 8}}, {3, {9, 10, 11, 12}}, {99, {13}}});
    f.createDemands();

    const CVODMatrix* m = f.matrices().value(0);
    QVERIFY(m);
    QCOMPARE(m->pairCount(), 4);
    QCOMPARE(f.trips(m, 1, 1), 1.0);
    QCOMPARE(f.trips(m, 1, 3), 3.0);
    QCOMPARE(f.trips(m, 3, 1), 9.0);
    QCOMPARE(f.trips(m, 3, 3), 11.0);
    QCOMPARE(m->totalTrips(), 24.0);
    // Looking positions up adds no zones.
    QCOMPARE(f.zoneNumbers.size(), 3);
}

void TestTrafficBuilders::zoneSharedByTwoEntries()
{
    BuilderFixture f;
    // Zone 2 is read twice: both positions of a row lead to its centroid,
    // and the later one, 0, is what the pair keeps.
    f.zoneList({1, 2, 2});
    f.vehicleType(1, 1, 1.0);
    f.demand(1, 0, {{1, {0, 5, 0}}, {2, {7, 0, 0}}});
    f.createDemands();

    const CVODMatrix* m = f.matrices().value(0);
    QVERIFY(m);
    QCOMPARE(f.trips(m, 1, 2), 0.0);
    QCOMPARE(f.trips(m, 2, 1), 7.0);
}

void TestTrafficBuilders::matrixFile()
{
    BuilderFixture f;
    f.zoneList({1, 2, 3, 4}, {4});
    f.vehicleType(5, 3, 0.5);
    f.vehicleType(6, 3, 1.0);
    auto* matrix = new ParamicsMatrix(3);
    // Rows of zones 2, 1, 3 in that order; zone 4 has no row.
    matrix->rowIndex = {{2, 0}, {1, 1}, {3, 2}};
    for (double value : {9, 1, 2, 3, 8, 4, 5, 6, 7})
        matrix->values.append(value);
    f.matrixEntries.insert(3, matrix);
    f.createDemands();

    const QList<CVODMatrix*> m = f.matrices();
    QCOMPARE(m.size(), 2);
    QCOMPARE(startTimes(m), QStringList({"08:00:00", "08:00:00"}));
    QCOMPARE(m.at(0)->getDuration().toSeconds(), 3600.0);
    // value(origin, destination) times the proportion; the diagonal is never set.
    QCOMPARE(f.trips(m.at(0), 2, 1), 0.5);
    QCOMPARE(f.trips(m.at(0), 1, 2), 1.5);
    QCOMPARE(f.trips(m.at(0), 3, 2), 2.5);
    QCOMPARE(f.trips(m.at(1), 1, 3), 4.0);
    QCOMPARE(f.trips(m.at(1), 1, 1), 0.0);
    QCOMPARE(m.at(1)->pairCount(), 6);
    // Not named and status left to the host.
    QVERIFY(m.at(1)->getName().isEmpty());
    QVERIFY(m.at(1)->getStatus() != 2);
    QCOMPARE(f.centroidConfiguration->getODMatrixIds().size(), 2);
}

void TestTrafficBuilders::repeatedZoneNumbers_data()
{
    QTest::addColumn<QVector<int>>("numbers");
    QTest::addColumn<QVector<int>>("withoutCentroid");
    QTest::addColumn<double>("proportion");
    QTest::addColumn<bool>("realCentroids");  // one centroid per zone read, as the import makes them
    QTest::addColumn<bool>("profile");        // the demand follows a one-step profile of 50 %
    // Rows of the matrix file for zones 1, 2, 3 (and 0 when it is read);
    // every value distinct, the diagonal included, with some zeros.
    QTest::newRow("one number only") << QVector<int>{0, 0, 0, 0, 0} << QVector<int>{} << 0.5 << false << false;
    QTest::newRow("one number twice") << QVector<int>{2, 2} << QVector<int>{} << 1.0 << false << false;
    QTest::newRow("repeats among others") << QVector<int>{1, 2, 1, 3, 2, 2} << QVector<int>{} << 0.25 << false << false;
    QTest::newRow("repeats of a number without a row") << QVector<int>{7, 1, 7, 3, 7} << QVector<int>{} << 1.0 << false
                                                       << false;
    QTest::newRow("repeats of a zone without a centroid") << QVector<int>{1, 4, 4, 2, 1} << QVector<int>{4} << 2.0
                                                          << false << false;
    QTest::newRow("no repeats") << QVector<int>{3, 1, 2} << QVector<int>{} << 1.0 << false << false;
    QTest::newRow("not-a-number proportion") << QVector<int>{1, 2, 1, 3, 3} << QVector<int>{} << std::nan("") << false
                                             << false;
    QTest::newRow("infinite proportion") << QVector<int>{2, 1, 2} << QVector<int>{} << HUGE_VAL << false << false;
    QTest::newRow("profile: repeats among others") << QVector<int>{1, 2, 1, 3, 2, 2} << QVector<int>{} << 0.25 << false
                                                   << true;
    QTest::newRow("real centroids: one number only") << QVector<int>{0, 0, 0, 0, 0} << QVector<int>{} << 0.5 << true
                                                     << false;
    QTest::newRow("real centroids, profile: one number twice") << QVector<int>{2, 2} << QVector<int>{} << 1.0 << true
                                                               << true;
    QTest::newRow("real centroids, profile: repeats among others")
        << QVector<int>{1, 2, 1, 3, 2, 2} << QVector<int>{} << 0.25 << true << true;
    QTest::newRow("real centroids, profile: repeats of a number without a row")
        << QVector<int>{7, 1, 7, 3, 7} << QVector<int>{} << 1.0 << true << true;
    QTest::newRow("real centroids, profile: infinite proportion") << QVector<int>{2, 1, 2} << QVector<int>{} << HUGE_VAL
                                                                  << true << true;
}

// Zones read several times under one number share a centroid; the trips
// that stay are those of the plain reading: every origin zone in file
// order, every destination in order, the last setting of a pair kept and 0
// leaving a pair without trips.
void TestTrafficBuilders::repeatedZoneNumbers()
{
    QFETCH(QVector<int>, numbers);
    QFETCH(QVector<int>, withoutCentroid);
    QFETCH(double, proportion);
    QFETCH(bool, realCentroids);
    QFETCH(bool, profile);
    BuilderFixture f;
    if (realCentroids) {
        for (int i = 0; i < numbers.size(); ++i) {
            auto* zone = new ParamicsZone;
            zone->id = numbers.at(i);
            zone->index = i;
            f.zones.insert(i, zone);
            f.zoneNumbers.insert(i, numbers.at(i));
        }
        f.centroidBuilder().createCentroids();
    } else {
        f.zoneList(numbers, withoutCentroid);
    }
    f.vehicleType(1, 1, proportion);
    f.vehicleType(2, 3, proportion);
    const QMap<int, QVector<double>> rows{{0, {4, 0, 6, 0, 2, 1}}, {1, {0, 5, 7, 0, 3, 9, 8}},
                                          {2, {1, 1, 0, 2}},       {3, {6, 0, 0, 0, 0, 4, 5}}};
    f.demand(1, profile ? 4 : 0, rows);
    const float share = 50.0f;
    if (profile)
        f.profile(4, 900, QTime(7, 0), {share});
    const auto demandTrips = [&](double value) {
        return profile ? ((double(share) * value) / 100.0) * proportion : proportion * value;
    };
    auto* file = new ParamicsMatrix(3);
    file->rowIndex = {{3, 0}, {1, 1}, {2, 2}, {0, 3}};
    for (double value : {11, 12, 0, 14, 0, 22, 23, 24, 31, 0, 33, 0, 41, 42, 43, 44})
        file->values.append(value);
    f.matrixEntries.insert(3, file);
    f.createDemands();

    using Pairs = QMap<QPair<int, int>, double>;
    auto set = [](Pairs& pairs, const CVObject* origin, const CVObject* destination, double trips) {
        const QPair<int, int> key(origin->getId(), destination->getId());
        if (trips == 0.0)
            pairs.remove(key);
        else
            pairs.insert(key, trips);
    };
    Pairs fromDemand;
    Pairs fromFile;
    for (int i = 0; i < numbers.size(); ++i) {
        const CVObject* origin = f.centroid(numbers.at(i));
        if (!origin)
            continue;
        const QVector<double> row = rows.value(numbers.at(i));
        for (int d = 0; d < std::min<int>(row.size(), numbers.size()); ++d) {
            if (const CVObject* destination = f.centroid(numbers.at(d)))
                set(fromDemand, origin, destination, demandTrips(row.at(d)));
        }
        for (int j = 0; j < numbers.size(); ++j) {
            if (const CVObject* destination = f.centroid(numbers.at(j)); destination && j != i)
                set(fromFile, origin, destination, file->value(numbers.at(i), numbers.at(j)) * proportion);
        }
    }

    const QList<CVODMatrix*> m = f.matrices();
    QCOMPARE(m.size(), 2);
    const QVector<Pairs> expected{fromDemand, fromFile};
    for (int k = 0; k < 2; ++k) {
        Pairs built;
        for (const CVODMatrix::Trip& trip : m.at(k)->sortedTrips())
            built.insert({int(trip.origin), int(trip.destination)}, trip.trips);
        QCOMPARE(built.keys(), expected.at(k).keys());
        for (auto it = built.cbegin(); it != built.cend(); ++it) {
            const double want = expected.at(k).value(it.key());
            QVERIFY2(it.value() == want || (std::isnan(it.value()) && std::isnan(want)),
                     qPrintable(QStringLiteral("matrix %1: %2 instead of %3").arg(k).arg(it.value()).arg(want)));
        }
    }
}

void TestTrafficBuilders::tripsCollectedAhead_data()
{
    QTest::addColumn<QVector<int>>("numbers");
    QTest::addColumn<double>("proportion");
    QTest::addColumn<QString>("afterCollecting");
    const QVector<int> four{1, 2, 3, 4};
    QTest::newRow("shared by every step and type") << four << 0.5 << "";
    QTest::newRow("trips of 0 for a proportion of 0") << four << 0.0 << "";
    QTest::newRow("trips that underflow to 0") << four << 1e-320 << "";
    QTest::newRow("a zone number read twice") << QVector<int>{1, 2, 2, 3} << 0.5 << "";
    QTest::newRow("a centroid removed after collecting") << four << 0.5 << "remove";
    QTest::newRow("a centroid made after collecting") << QVector<int>{1, 2, 3, 4, 5} << 0.5 << "add";
}

// Trips collected on another thread while the network is built give the
// matrices that building them in place gives, also when the centroids
// changed in between.
void TestTrafficBuilders::tripsCollectedAhead()
{
    QFETCH(QVector<int>, numbers);
    QFETCH(double, proportion);
    QFETCH(QString, afterCollecting);
    const auto build = [&](BuilderFixture& f, bool ahead) {
        f.zoneList(numbers, afterCollecting == "add" ? QVector<int>{5} : QVector<int>{});
        f.vehicleType(1, 1, proportion);
        f.vehicleType(2, 1, 0.25);
        f.demand(1, 4, {{1, {0, 3, 1e-300, 2, 5}}, {2, {4, 0, 6, 0, 1}}, {4, {7, 8, 9, 1, 2}}, {5, {1, 1}}});
        f.demand(1, 9, {{3, {1, 2, 3, 4, 0}}});
        f.profile(4, 900, QTime(7, 0), {0, 40, 60});
        if (ahead)
            f.collectTripsAhead();
        if (afterCollecting == "remove")
            f.model->getCatalog()->remove(f.centroid(2));
        if (afterCollecting == "add")
            f.make("CVFolder")->setExternalId(QStringLiteral("5"));
        f.createDemands();
    };
    BuilderFixture inPlace;
    build(inPlace, false);
    BuilderFixture ahead;
    build(ahead, true);

    const QList<CVODMatrix*> expected = inPlace.matrices();
    const QList<CVODMatrix*> actual = ahead.matrices();
    QCOMPARE(actual.size(), expected.size());
    QCOMPARE(actual.size(), 6);
    int pairs = 0;
    for (qsizetype m = 0; m < actual.size(); ++m) {
        const QVector<CVODMatrix::Trip> x = expected.at(m)->sortedTrips(), y = actual.at(m)->sortedTrips();
        QCOMPARE(y.size(), x.size());
        for (qsizetype i = 0; i < x.size(); ++i) {
            QCOMPARE(y[i].origin, x[i].origin);
            QCOMPARE(y[i].destination, x[i].destination);
            QCOMPARE(std::memcmp(&y[i].trips, &x[i].trips, sizeof(double)), 0);
        }
        pairs += int(x.size());
    }
    QVERIFY(proportion == 0.0 || pairs > 0);
}

QTEST_MAIN(TestTrafficBuilders)
#include "tst_trafficbuilders.moc"
