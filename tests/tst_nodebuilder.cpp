// Nodes and turnings built from the records: the two-way flags, the lane
// conversion, host nodes with their sections and zones, and the turnings
// that are built or never built.

#include "networkfixture.h"

#include <cvlayer.h>
#include <cvlog.h>

#include <QtTest>

using LaneRange = QPair<int, int>;

namespace {

// A cross of two-way roads about node C at (0, 0): W(-100, 0), E(100, 0),
// S(0, -100), N(0, 100). Every link has 2 lanes, 7 m.
void crossroads(NetworkFixture& f)
{
    f.node("C", 0, 0);
    f.node("W", -100, 0);
    f.node("E", 100, 0);
    f.node("S", 0, -100);
    f.node("N", 0, 100);
    for (const char* arm : {"W", "E", "S", "N"}) {
        f.link(QString::fromLatin1(arm), "C", 2, 7.0);
        f.link("C", QString::fromLatin1(arm), 2, 7.0);
    }
}

LaneRange originLanes(const CVTurning* t)
{
    return LaneRange(t->getOriginFromLane(), t->getOriginToLane());
}

LaneRange destinationLanes(const CVTurning* t)
{
    return LaneRange(t->getDestinationFromLane(), t->getDestinationToLane());
}

}  // namespace

class TestNodeBuilder : public QObject
{
    Q_OBJECT

private slots:
    void twoWayFlag_data();
    void twoWayFlag();
    void laneConversion_data();
    void laneConversion();
    void nodesJoinTheirSections();
    void roundaboutIsReported();
    void rampGeometryNodeHasNoHostNode();
    void zonesListTheirNodes();
    void turningsBuiltAndSkipped_data();
    void turningsBuiltAndSkipped();
    void turningLanes_data();
    void turningLanes();
    void turningCounters();
    void noTurningsAtRampGeometryNode();
};

void TestNodeBuilder::twoWayFlag_data()
{
    QTest::addColumn<bool>("oppositeExists");
    QTest::addColumn<bool>("oppositeBarred");
    QTest::addColumn<bool>("twoWay");
    QTest::newRow("opposite open") << true << false << true;
    QTest::newRow("opposite barred") << true << true << false;
    QTest::newRow("no opposite") << false << false << true;
}

void TestNodeBuilder::twoWayFlag()
{
    QFETCH(bool, oppositeExists);
    QFETCH(bool, oppositeBarred);
    QFETCH(bool, twoWay);
    NetworkFixture f;
    f.node("A", 0, 0);
    f.node("B", 100, 0);
    ParamicsLink* link = f.link("A", "B");
    link->twoWay = !twoWay;
    if (oppositeExists)
        f.link("B", "A")->barred = oppositeBarred;
    f.probe.updateLinks();
    QCOMPARE(link->twoWay, twoWay);
}

void TestNodeBuilder::laneConversion_data()
{
    // Link A:B has 3 lanes, the following link B:C has 4.
    QTest::addColumn<bool>("rightHandDrive");
    QTest::addColumn<LaneRange>("origin");
    QTest::addColumn<LaneRange>("destination");
    QTest::addColumn<LaneRange>("hostOrigin");
    QTest::addColumn<LaneRange>("hostDestination");
    const LaneRange none(ParamicsTurning::NoFromLane, ParamicsTurning::NoToLane);
    const LaneRange all(-1, -1);
    QTest::newRow("nothing recorded, right") << true << none << none << all << all;
    QTest::newRow("nothing recorded, left") << false << none << none << all << all;
    QTest::newRow("left: lanes 1 to 2") << false << LaneRange(1, 2) << LaneRange(2, 4) << LaneRange(0, 1)
                                        << LaneRange(1, 3);
    QTest::newRow("right: counted from the kerb") << true << LaneRange(1, 2) << LaneRange(1, 1) << LaneRange(2, 1)
                                                  << LaneRange(3, 3);
    QTest::newRow("right: origin only") << true << LaneRange(3, 3) << none << LaneRange(0, 0) << all;
    QTest::newRow("right: destination only") << true << none << LaneRange(2, 4) << all << LaneRange(2, 0);
    QTest::newRow("left: destination only") << false << none << LaneRange(1, 1) << all << LaneRange(0, 0);
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
    f.probe.updateLinks();
    const ParamicsTurning& t = link->turning(0);
    QCOMPARE(LaneRange(t.originFromLane, t.originToLane), hostOrigin);
    QCOMPARE(LaneRange(t.destinationFromLane, t.destinationToLane), hostDestination);
}

void TestNodeBuilder::nodesJoinTheirSections()
{
    NetworkFixture f;
    f.node("A", 0, 0);
    ParamicsNode* b = f.node("B", 100, 50);
    b->position.z = 4.0;
    f.link("A", "B");
    f.link("B", "A")->barred = true;
    f.probe.createLinks();
    f.probe.createNodes();
    CVNode* node = f.hostNode("B");
    QVERIFY(node);
    QCOMPARE(node->getName(), QStringLiteral("B"));
    QCOMPARE(node->getPosition(), CVPoint(100, 50, 4));
    QVERIFY(!node->getYellowBox());
    QVERIFY(!node->getUserDefinedPriorities());
    QCOMPARE(node->getLayer(), f.probe.layer());
    QVERIFY(f.probe.layer()->getObjects().contains(node));
    QCOMPARE(f.section("A:B")->getOrigin(), f.hostNode("A"));
    QCOMPARE(f.section("A:B")->getDestination(), node);
    QVERIFY(f.probe.rampNodes().isEmpty());
    QVERIFY(f.model->getLog()->getEntries().isEmpty());
}

void TestNodeBuilder::roundaboutIsReported()
{
    NetworkFixture f;
    f.node("1", 0, 0, ParamicsNode::Roundabout);
    f.node("2", 10, 0, ParamicsNode::Other);
    f.probe.createNodes();
    const unsigned int id = f.probe.nodes().value("1")->objectId;
    QVERIFY(f.hostNode("1") && f.hostNode("2"));
    QCOMPARE(f.model->getLog()->warnings(),
             QStringList{QStringLiteral("Node: <A HREF=\"OBJ_REF://%1\">%1</A> is a roundabout").arg(id)});
}

void TestNodeBuilder::rampGeometryNodeHasNoHostNode()
{
    NetworkFixture f;
    ParamicsNode* ramp = f.node("R", 0, 0);
    ramp->intermediate = true;
    const int objects = f.model->getCatalog()->size();
    f.probe.createNodes();
    QCOMPARE(ramp->objectId, 0u);
    QCOMPARE(f.model->getCatalog()->size(), objects);
    QCOMPARE(f.probe.rampNodes().value("R"), ramp);
}

void TestNodeBuilder::zonesListTheirNodes()
{
    NetworkFixture f;
    auto zone = [&](int index, double minX, double minY, double maxX, double maxY) {
        auto* z = new ParamicsZone;
        z->index = index;
        z->minX = minX;
        z->minY = minY;
        z->maxX = maxX;
        z->maxY = maxY;
        f.probe.zones().insert(index, z);
        return z;
    };
    ParamicsZone* west = zone(0, -100, -100, 0, 100);
    ParamicsZone* east = zone(1, 0, -100, 100, 100);
    f.node("b", 50, 0);
    f.node("a", -50, 0);
    f.node("edge", 0, 100);  // on both boxes' borders
    f.node("far", 500, 0);
    f.node("ramp", 10, 10)->intermediate = true;
    f.probe.createNodes();
    QCOMPARE(west->zoneNodes, (QVector<QString>{"a", "edge"}));
    QCOMPARE(east->zoneNodes, (QVector<QString>{"b", "edge"}));
}

void TestNodeBuilder::turningsBuiltAndSkipped_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("barredLink");
    QTest::addColumn<bool>("barredTurning");
    QTest::addColumn<bool>("built");
    QTest::newRow("ahead") << "C:E" << "" << false << true;
    QTest::newRow("u-turn") << "C:W" << "" << false << false;
    QTest::newRow("from a barred link") << "C:E" << "W:C" << false << false;
    QTest::newRow("into a barred link") << "C:E" << "C:E" << false << false;
    QTest::newRow("barred turning") << "C:N" << "" << true << false;
    QTest::newRow("link not starting at the node") << "N:C" << "" << false << false;
    QTest::newRow("no such link") << "C:Q" << "" << false << false;
}

void TestNodeBuilder::turningsBuiltAndSkipped()
{
    QFETCH(QString, destination);
    QFETCH(QString, barredLink);
    QFETCH(bool, barredTurning);
    QFETCH(bool, built);
    NetworkFixture f;
    crossroads(f);
    if (!barredLink.isEmpty())
        f.record(barredLink)->barred = true;
    ParamicsLink* link = f.record("W:C");
    f.turning(link, destination).barred = barredTurning;
    f.probe.createLinks();
    f.probe.createNodes();
    f.probe.connectSections();
    const ParamicsTurning& t = link->turning(0);
    QCOMPARE(t.turningId != 0, built);
    QCOMPARE(f.hostNode("C")->getTurnings().size(), built ? 1 : 0);
    if (!built)
        return;
    CVTurning* turning = f.hostTurning(t);
    QCOMPARE(turning->getNode(), f.hostNode("C"));
    QCOMPARE(turning->getOrigin(), f.section("W:C"));
    QCOMPARE(turning->getDestination(), f.section(destination));
    QVERIFY(turning->getPath().size() > 2);
    QVERIFY(turning->getSpeed() > 0.0);
}

void TestNodeBuilder::turningLanes_data()
{
    // Host lanes already converted; -1 means all lanes. W:C has 3 lanes,
    // C:E has 2.
    QTest::addColumn<LaneRange>("origin");
    QTest::addColumn<LaneRange>("destination");
    QTest::addColumn<LaneRange>("hostOrigin");
    QTest::addColumn<LaneRange>("hostDestination");
    QTest::newRow("all lanes when none recorded") << LaneRange(-1, -1) << LaneRange(-1, -1) << LaneRange(0, 2)
                                                  << LaneRange(0, 1);
    QTest::newRow("recorded ranges") << LaneRange(1, 2) << LaneRange(0, 0) << LaneRange(1, 2) << LaneRange(0, 0);
    QTest::newRow("downward pair") << LaneRange(2, 1) << LaneRange(1, 0) << LaneRange(1, 2) << LaneRange(0, 1);
    QTest::newRow("one end missing means all") << LaneRange(1, -1) << LaneRange(-1, 0) << LaneRange(0, 2)
                                               << LaneRange(0, 1);
}

void TestNodeBuilder::turningLanes()
{
    QFETCH(LaneRange, origin);
    QFETCH(LaneRange, destination);
    QFETCH(LaneRange, hostOrigin);
    QFETCH(LaneRange, hostDestination);
    NetworkFixture f;
    crossroads(f);
    ParamicsLink* link = f.record("W:C");
    link->lanes = 3;
    ParamicsTurning& t = f.turning(link, "C:E", origin.first, origin.second, destination.first, destination.second);
    t.warningIndicator = 3;
    f.probe.createLinks();
    f.probe.createNodes();
    f.probe.connectSections();
    CVTurning* turning = f.hostTurning(link->turning(0));
    QVERIFY(turning);
    QCOMPARE(originLanes(turning), hostOrigin);
    QCOMPARE(destinationLanes(turning), hostDestination);
    QCOMPARE(turning->getWarningIndicator(), 3);
}

void TestNodeBuilder::turningCounters()
{
    NetworkFixture f;
    crossroads(f);
    // Every approach gets its exits in the order W, N, E, S, U-turn included.
    for (const char* from : {"W", "N", "E", "S"}) {
        ParamicsLink* link = f.record(QString::fromLatin1(from) + ":C");
        for (const char* to : {"W", "N", "E", "S"})
            f.turning(link, QStringLiteral("C:") + QString::fromLatin1(to));
    }
    f.record("C:S")->barred = true;
    f.probe.createLinks();
    f.probe.createNodes();
    f.probe.connectSections();
    // Into the barred C:S nothing; no U-turn. So W, N and E each reach two
    // links and S reaches three; each open exit is entered from three.
    QCOMPARE(f.record("W:C")->outTurnings, 2);
    QCOMPARE(f.record("S:C")->outTurnings, 3);
    QCOMPARE(f.record("N:C")->outTurnings, 2);
    QCOMPARE(f.record("C:N")->inTurnings, 3);
    QCOMPARE(f.record("C:S")->inTurnings, 0);
    QCOMPARE(f.record("C:W")->inTurnings, 3);
    QCOMPARE(f.record("W:C")->inTurnings, 0);
    QCOMPARE(f.hostNode("C")->getTurnings().size(), 2 + 3 + 2 + 2);
    CVNode* c = f.hostNode("C");
    QCOMPARE(c->getFromTurnings(f.section("W:C")).size(), 2);
    QCOMPARE(c->getToTurnings(f.section("C:E")).size(), 3);
}

void TestNodeBuilder::noTurningsAtRampGeometryNode()
{
    NetworkFixture f;
    f.node("A", 0, 0);
    f.node("R", 100, 0)->intermediate = true;
    f.node("B", 200, 0);
    ParamicsLink* in = f.link("A", "R");
    f.link("R", "B");
    f.turning(in, "R:B");
    f.probe.createLinks();
    f.probe.createNodes();
    f.probe.connectSections();
    QCOMPARE(in->turning(0).turningId, 0u);
    QCOMPARE(in->outTurnings, 0);
}

QTEST_GUILESS_MAIN(TestNodeBuilder)
#include "tst_nodebuilder.moc"
