// Nodes and turnings built from the records: the two-way flags, the lane
// conversion, host nodes with their sections and zones, and the turnings
// that are built or never built.

#include "networkfixture.h"

#include <cvlog.h>

#include <QtTest>

using LaneRange = QPair<int, int>;

namespace {

// Two-way roads from node C at (0, 0) to W, E, S and N, 100 m away. Every
// link has 2 lanes; W:C has 3.
void crossroads(NetworkFixture& f)
{
    f.node("C", 0, 0);
    const struct { const char* id; double x, y; } arms[] = {{"W", -100, 0}, {"E", 100, 0}, {"S", 0, -100}, {"N", 0, 100}};
    for (const auto& arm : arms) {
        f.node(arm.id, arm.x, arm.y);
        f.link(arm.id, "C", 2, 7.0);
        f.link("C", arm.id, 2, 7.0);
    }
    f.record("W:C")->lanes = 3;
}

void build(NetworkFixture& f)
{
    f.createLinks();
    f.createNodes();
    f.connectSections();
}

}  // namespace

class TestNodeBuilder : public QObject
{
    Q_OBJECT

private slots:
    void twoWayFlag();
    void laneConversion_data();
    void laneConversion();
    void nodes();
    void turningsBuiltOrNot_data();
    void turningsBuiltOrNot();
    void turningCounters();
    void manyTurningsPlacedAsOne();
};

void TestNodeBuilder::twoWayFlag()
{
    NetworkFixture f;
    f.node("A", 0, 0);
    f.node("B", 100, 0);
    f.node("C", 200, 0);
    f.link("A", "B")->twoWay = false;
    f.link("B", "A");
    f.link("B", "C");
    f.link("C", "B")->barred = true;
    f.updateLinks();
    QVERIFY(f.record("A:B")->twoWay && f.record("C:B")->twoWay);
    QVERIFY(!f.record("B:C")->twoWay);
}

void TestNodeBuilder::laneConversion_data()
{
    // Link A:B has 3 lanes, the following link B:C has 4.
    QTest::addColumn<bool>("rightHandDrive");
    QTest::addColumn<LaneRange>("origin");
    QTest::addColumn<LaneRange>("destination");
    QTest::addColumn<LaneRange>("hostOrigin");
    QTest::addColumn<LaneRange>("hostDestination");
    const LaneRange none(ParamicsTurning::NoFromLane, ParamicsTurning::NoToLane), all(-1, -1);
    QTest::newRow("nothing recorded, right") << true << none << none << all << all;
    QTest::newRow("nothing recorded, left") << false << none << none << all << all;
    QTest::newRow("left: from 0") << false << LaneRange(1, 2) << LaneRange(2, 4) << LaneRange(0, 1) << LaneRange(1, 3);
    QTest::newRow("right: from the kerb") << true << LaneRange(1, 2) << LaneRange(1, 1) << LaneRange(2, 1)
                                          << LaneRange(3, 3);
    QTest::newRow("right: origin only") << true << LaneRange(3, 3) << none << LaneRange(0, 0) << all;
    QTest::newRow("right: destination only") << true << none << LaneRange(2, 4) << all << LaneRange(2, 0);
}

void TestNodeBuilder::laneConversion()
{
    QFETCH(bool, rightHandDrive);
    QFETCH(LaneRange, origin);
    QFETCH(LaneRange, destination);
    QFETCH(LaneRange, hostOrigin);
    QFETCH(LaneRange, hostDestination);
    NetworkFixture f(rightHandDrive);
    f.node("A", 0, 0);
    f.node("B", 100, 0);
    f.node("C", 200, 0);
    ParamicsLink* link = f.link("A", "B", 3);
    f.link("B", "C", 4);
    f.turning(link, "B:C", origin.first, origin.second, destination.first, destination.second);
    f.updateLinks();
    const ParamicsTurning& t = link->turning(0);
    QCOMPARE(LaneRange(t.originFromLane, t.originToLane), hostOrigin);
    QCOMPARE(LaneRange(t.destinationFromLane, t.destinationToLane), hostDestination);
}

void TestNodeBuilder::nodes()
{
    NetworkFixture f;
    f.node("A", -50, 0, ParamicsNode::Roundabout);
    f.node("B", 50, 100)->position.z = 4.0;
    f.node("R", 10, 10)->intermediate = true;  // ramp geometry only
    f.link("A", "B");
    f.link("B", "A")->barred = true;
    for (int i = 0; i < 2; ++i) {  // west and east halves; x = 0 and y = 100 on both borders
        auto* zone = new ParamicsZone;
        zone->index = i;
        zone->minX = i ? 0 : -100, zone->maxX = i ? 100 : 0, zone->minY = -100, zone->maxY = 100;
        f.zones.insert(i, zone);
    }
    f.node("edge", 0, 100);
    build(f);
    CVNode* b = f.hostNode("B");
    QCOMPARE(b->getName(), QStringLiteral("B"));
    QCOMPARE(b->getPosition(), CVPoint(50, 100, 4));
    QVERIFY(!b->getYellowBox() && !b->getUserDefinedPriorities());
    QCOMPARE(b->getLayer(), f.layer);
    QCOMPARE(f.section("A:B")->getOrigin(), f.hostNode("A"));
    QCOMPARE(f.section("A:B")->getDestination(), b);
    QCOMPARE(f.nodes.value("R")->objectId, 0u);
    QCOMPARE(f.rampNodes.keys(), QList<QString>{"R"});
    QCOMPARE(f.zones.value(0)->zoneNodes, (QVector<QString>{"A", "edge"}));
    QCOMPARE(f.zones.value(1)->zoneNodes, (QVector<QString>{"B", "edge"}));
    const unsigned int a = f.nodes.value("A")->objectId;
    QCOMPARE(f.model->getLog()->warnings(),
             QStringList{QStringLiteral("Node: <A HREF=\"OBJ_REF://%1\">%1</A> is a roundabout").arg(a)});
}

void TestNodeBuilder::turningsBuiltOrNot_data()
{
    // A turning of W:C; lanes in host indices, -1 for all lanes.
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("barredLink");
    QTest::addColumn<bool>("barredTurning");
    QTest::addColumn<LaneRange>("origin");
    QTest::addColumn<LaneRange>("destinationLanes");
    QTest::addColumn<LaneRange>("hostOrigin");  // (-9, -9): not built
    QTest::addColumn<LaneRange>("hostDestination");
    const LaneRange all(-1, -1), none(-9, -9);
    QTest::newRow("all lanes when none recorded") << "C:E" << "" << false << all << all << LaneRange(0, 2)
                                                  << LaneRange(0, 1);
    QTest::newRow("recorded") << "C:N" << "" << false << LaneRange(2, 1) << LaneRange(0, 0) << LaneRange(1, 2)
                              << LaneRange(0, 0);
    QTest::newRow("recorded from lane 0") << "C:N" << "" << false << LaneRange(0, 0) << LaneRange(0, 0)
                                          << LaneRange(0, 0) << LaneRange(0, 0);
    QTest::newRow("one end unrecorded means all") << "C:E" << "" << false << LaneRange(1, -1) << LaneRange(-1, 0)
                                                  << LaneRange(0, 2) << LaneRange(0, 1);
    QTest::newRow("u-turn, even with lanes") << "C:W" << "" << false << LaneRange(0, 0) << LaneRange(0, 0) << none
                                             << none;
    QTest::newRow("from a barred link") << "C:E" << "W:C" << false << all << all << none << none;
    QTest::newRow("into a barred link") << "C:E" << "C:E" << false << all << all << none << none;
    QTest::newRow("barred turning") << "C:N" << "" << true << all << all << none << none;
    QTest::newRow("link not starting at the node") << "N:C" << "" << false << all << all << none << none;
    QTest::newRow("no such link") << "C:Q" << "" << false << all << all << none << none;
}

void TestNodeBuilder::turningsBuiltOrNot()
{
    QFETCH(QString, destination);
    QFETCH(QString, barredLink);
    QFETCH(bool, barredTurning);
    QFETCH(LaneRange, origin);
    QFETCH(LaneRange, destinationLanes);
    QFETCH(LaneRange, hostOrigin);
    QFETCH(LaneRange, hostDestination);
    NetworkFixture f;
    crossroads(f);
    if (!barredLink.isEmpty())
        f.record(barredLink)->barred = true;
    ParamicsLink* link = f.record("W:C");
    ParamicsTurning& t = f.turning(link, destination, origin.first, origin.second, destinationLanes.first,
                                   destinationLanes.second);
    t.barred = barredTurning;
    t.warningIndicator = 3;
    build(f);
    CVTurning* turning = f.hostTurning(link->turning(0));
    const bool built = hostOrigin.first != -9;
    QCOMPARE(turning != nullptr, built);
    QCOMPARE(f.hostNode("C")->getTurnings().size(), built ? 1 : 0);
    QCOMPARE(link->outTurnings, built ? 1 : 0);
    if (!built)
        return;
    QCOMPARE(turning->getNode(), f.hostNode("C"));
    QCOMPARE(turning->getOrigin(), f.section("W:C"));
    QCOMPARE(turning->getDestination(), f.section(destination));
    QCOMPARE(LaneRange(turning->getOriginFromLane(), turning->getOriginToLane()), hostOrigin);
    QCOMPARE(LaneRange(turning->getDestinationFromLane(), turning->getDestinationToLane()), hostDestination);
    QCOMPARE(turning->getWarningIndicator(), 3);
    QVERIFY(turning->getSpeed() > 0.0 && turning->getPath().size() > 2);
}

void TestNodeBuilder::turningCounters()
{
    NetworkFixture f;
    crossroads(f);
    f.node("R", 0, -50)->intermediate = true;  // no turnings at ramp geometry
    f.link("R", "S");
    f.turning(f.link("W", "R"), "R:S");
    for (const char* from : {"W", "N", "E", "S"}) {
        for (const char* to : {"W", "N", "E", "S"})
            f.turning(f.record(QString::fromLatin1(from) + ":C"), QStringLiteral("C:") + QString::fromLatin1(to));
    }
    f.record("C:S")->barred = true;
    build(f);
    // No U-turn and nothing into C:S: W, N and E reach two links each, S
    // three; every open way out is entered from three.
    QCOMPARE(f.record("W:C")->outTurnings, 2);
    QCOMPARE(f.record("S:C")->outTurnings, 3);
    QCOMPARE(f.record("C:N")->inTurnings, 3);
    QCOMPARE(f.record("C:S")->inTurnings, 0);
    QCOMPARE(f.record("W:R")->outTurnings, 0);
    QCOMPARE(f.record("R:S")->inTurnings, 0);
    QCOMPARE(f.hostNode("C")->getTurnings().size(), 9);
}

// A network with enough turnings to place them on two threads: every
// turning gets the speed, path and curve that placing it alone gives.
void TestNodeBuilder::manyTurningsPlacedAsOne()
{
    NetworkFixture f;
    constexpr int side = 24;
    const auto id = [](int x, int y) { return QStringLiteral("%1_%2").arg(x).arg(y); };
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y)
            f.node(id(x, y), x * 100.0 + (y % 3) * 7.0, y * 100.0 + (x % 5) * 3.0);
    }
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            if (x + 1 < side) {
                f.link(id(x, y), id(x + 1, y), 1 + (x + y) % 3, 3.5);
                f.link(id(x + 1, y), id(x, y), 2, 3.5);
            }
            if (y + 1 < side) {
                f.link(id(x, y), id(x, y + 1), 2, 3.0);
                f.link(id(x, y + 1), id(x, y), 1 + x % 2, 3.0);
            }
        }
    }
    // From every link into a node to every other neighbour of the node.
    for (int x = 0; x < side; ++x) {
        for (int y = 0; y < side; ++y) {
            const QList<QString> neighbours = {id(x - 1, y), id(x + 1, y), id(x, y - 1), id(x, y + 1)};
            for (const QString& from : neighbours) {
                ParamicsLink* in = f.record(ParamicsLink::linkName(from, id(x, y)));
                for (const QString& to : neighbours) {
                    if (in && to != from && f.record(ParamicsLink::linkName(id(x, y), to)))
                        f.turning(in, ParamicsLink::linkName(id(x, y), to));
                }
            }
        }
    }
    build(f);

    const QList<CVTurning*> turnings = f.objects<CVTurning>("CVTurning");
    QVERIFY(turnings.size() > 6000);
    for (const CVTurning* built : turnings) {
        auto* alone = static_cast<CVTurning*>(CVSystem::getSystem().newObject("CVTurning", f.model));
        alone->setOrigin(built->getOrigin());
        alone->setDestination(built->getDestination());
        alone->setOriginLanes(built->getOriginFromLane(), built->getOriginToLane());
        alone->setDestinationLanes(built->getDestinationFromLane(), built->getDestinationToLane());
        alone->updatePath(true);
        alone->curve();
        QCOMPARE(built->getSpeed(), alone->calculateSpeed());
        QCOMPARE(built->getPath(), alone->getPath());
    }
}

QTEST_GUILESS_MAIN(TestNodeBuilder)
#include "tst_nodebuilder.moc"
