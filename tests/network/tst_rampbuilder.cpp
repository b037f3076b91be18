// Ramps built from the ramp entries of a main link: side lanes at the
// start of its section, or cuts into two sections joined at a new node.

#include "networkfixture.h"

#include <cvcentroid.h>
#include <cvobjectconnection.h>
#include <cvpublicline.h>
#include <cvsectionobject.h>

#include <QtTest>

#include <cmath>

using LaneRange = QPair<int, int>;

namespace {

// Main road A (0, 0) to B (300, 0), 2 lanes of 3.5 m, one-way; with right-
// hand traffic its section lies 3.75 m south of the node line (y = -3.75).
// Link Z:A enters it at A and B:C leaves it at B, each with a turning over
// all lanes. Ramp roads Qn:Rn come from 40 m south (or north) of Rn.
struct RampNetwork
{
    NetworkFixture f;
    ParamicsLink* main = nullptr;

    RampNetwork()
    {
        f.node("Z", -100, 0);
        f.node("A", 0, 0);
        f.node("B", 300, 0);
        f.node("C", 400, 0);
        f.link("Z", "A", 2, 7.0);
        main = f.link("A", "B", 2, 7.0);
        f.link("B", "C", 2, 7.0);
        f.turning(f.record("Z:A"), "A:B", 0, 1, 0, 1);
        f.turning(main, "B:C", 0, 1, 0, 1);
    }

    // A ramp node at (x, y) joined by a one-lane ramp road from Q.
    void ramp(const QString& id, double x, double y, double length)
    {
        ParamicsNode* node = f.node(id, x, y);
        node->intermediate = true;
        const QString from = QStringLiteral("Q") + id;
        f.node(from, x - 20, y > -3.75 ? y + 40 : y - 40);
        f.link(from, id, 1, 3.5);
        main->insertRamp(ParamicsRamp{id, node->position, length}, f.nodes.value("A")->position);
    }

    void build()
    {
        f.createLinks();
        f.createNodes();
        f.connectSections();
        f.createRamps();
    }

    CVTurning* rampTurning(const QString& id)
    {
        const CVSection* ramp = f.section(QStringLiteral("Q") + id + ":" + id);
        CVNode* node = ramp->getDestination();
        return node && !node->getFromTurnings(ramp).isEmpty() ? node->getFromTurnings(ramp).first() : nullptr;
    }

    int count(const char* type) { return f.model->getCatalog()->size(f.model->getType(type)); }
};

// A section's lanes from left to right: "F" for a full lane, else the end
// of the side lane.
QString laneLayout(const CVSection* section)
{
    QStringList lanes;
    for (const CVSectionLane& lane : section->getLanes())
        lanes << (lane.isFullLane() ? QStringLiteral("F") : QString::number(lane.getFinalOffset()));
    return lanes.join(' ');
}

LaneRange originLanes(const CVTurning* t)
{
    return {t->getOriginFromLane(), t->getOriginToLane()};
}

LaneRange destinationLanes(const CVTurning* t)
{
    return {t->getDestinationFromLane(), t->getDestinationToLane()};
}

}  // namespace

class TestRampBuilder : public QObject
{
    Q_OBJECT

private slots:
    void sideLaneOrCut_data();
    void sideLaneOrCut();
    void cutLeavesGapAndNode();
    void leftRampShiftsLanes();
    void twoCutsOnOneLink();
    void sidesOfTwoCuts_data();
    void sidesOfTwoCuts();
    void rampWithoutLength_data();
    void rampWithoutLength();
    void twoRampsAtTheStart_data();
    void twoRampsAtTheStart();
    void rampAtTheStartOfACutPart();
    void cutLinkKeepsItsFirstPart_data();
    void cutLinkKeepsItsFirstPart();
    void linkWithoutSectionSkipped();
};

void TestRampBuilder::sideLaneOrCut_data()
{
    QTest::addColumn<double>("distance");
    QTest::addColumn<bool>("cut");
    QTest::newRow("29.9 m: side lane") << 29.9 << false;
    QTest::newRow("30.0 m: cut") << 30.0 << true;
}

void TestRampBuilder::sideLaneOrCut()
{
    QFETCH(double, distance);
    QFETCH(bool, cut);
    RampNetwork n;
    // South-east of node A, right of the section, at the distance from A
    // (a 3-4-5 triangle, so 30.0 m is exact).
    n.ramp("R", 0.8 * distance, -0.6 * distance, 60.0);
    n.build();

    QCOMPARE(n.count("CVNode"), cut ? 6 : 5);
    QCOMPARE(n.count("CVSection"), cut ? 5 : 4);
    const CVSection* main = n.f.section("A:B");
    CVTurning* ramp = n.rampTurning("R");
    QVERIFY(ramp);
    if (!cut) {
        QCOMPARE(main->getNbLanes(), 3);
        QCOMPARE(main->getLanes().last(), CVSectionLane(0.0, 60.0));
        QCOMPARE(ramp->getNode(), n.f.hostNode("A"));
        QCOMPARE(ramp->getDestination(), main);
        QCOMPARE(destinationLanes(ramp), LaneRange(2, 2));
        QCOMPARE(n.f.nodes.value("R")->rampNode, n.f.nodes.value("A"));
    } else {
        QCOMPARE(main->getNbLanes(), 2);
        QVERIFY(ramp->getNode() != n.f.hostNode("A"));
        QCOMPARE(ramp->getNode()->getName(), QStringLiteral("R"));
    }
    QCOMPARE(originLanes(ramp), LaneRange(0, 0));
}

void TestRampBuilder::cutLeavesGapAndNode()
{
    RampNetwork n;
    // Ramp at 150 m, right side; the part after the cut (about 145 m) is
    // longer than the ramp, so the side lane takes the ramp's length.
    n.ramp("R", 150, -10, 80.0);
    n.build();

    CVSection* first = n.f.section("A:B");
    CVNode* cutNode = dynamic_cast<CVNode*>(n.f.model->getCatalog()->find(n.f.nodes.value("R")->objectId));
    QVERIFY(cutNode);
    QCOMPARE(cutNode->getName(), QStringLiteral("R"));
    QCOMPARE(cutNode->getPosition(), CVPoint(150, -10, 0));
    QCOMPARE(first->getDestination(), cutNode);
    const QVector<CVTurning*> through = cutNode->getFromTurnings(first);
    QCOMPARE(through.size(), 1);
    CVSection* second = through.first()->getDestination();
    QCOMPARE(second->getOrigin(), cutNode);
    QCOMPARE(second->getDestination(), n.f.hostNode("B"));
    QCOMPARE(second->getName(), first->getName());

    // 10 m between the parts, 5 m on each side of the cut point (150, -3.75).
    QVERIFY(std::fabs(first->getPoints().last().distance2D(second->getPoints().first()) - 10.0) < 1e-6);
    QVERIFY(std::fabs(first->getPoints().last().x - 145.0) < 1e-6);
    QCOMPARE(originLanes(through.first()), LaneRange(0, 1));
    QCOMPARE(destinationLanes(through.first()), LaneRange(0, 1));

    // The turning that left the main section at B now leaves the second part.
    QVERIFY(n.f.hostNode("B")->getFromTurnings(first).isEmpty());
    QCOMPARE(n.f.hostNode("B")->getFromTurnings(second).size(), 1);
    QCOMPARE(second->getNbLanes(), 3);
    QCOMPARE(second->getLanes().last(), CVSectionLane(0.0, 80.0));
    QCOMPARE(destinationLanes(n.rampTurning("R")), LaneRange(2, 2));
    QCOMPARE(n.rampTurning("R")->getNode(), cutNode);
}

void TestRampBuilder::leftRampShiftsLanes()
{
    RampNetwork n;
    n.ramp("R", 20, 5, 50.0);  // north of the section: its left
    n.build();

    const CVSection* main = n.f.section("A:B");
    QCOMPARE(main->getLanes().first(), CVSectionLane(0.0, 50.0));
    const CVTurning* entering = n.f.hostNode("A")->getFromTurnings(n.f.section("Z:A")).first();
    const CVTurning* leaving = n.f.hostNode("B")->getFromTurnings(main).first();
    QCOMPARE(destinationLanes(entering), LaneRange(1, 2));
    QCOMPARE(originLanes(leaving), LaneRange(1, 2));
    QCOMPARE(destinationLanes(n.rampTurning("R")), LaneRange(0, 0));
}

void TestRampBuilder::twoCutsOnOneLink()
{
    RampNetwork n;
    n.ramp("R1", 80, -10, 40.0);
    // The part after the second cut (149.3 m) is shorter than this ramp:
    // its side lane covers two thirds of it.
    n.ramp("R2", 150, -10, 500.0);
    n.build();

    QCOMPARE(n.count("CVSection"), 7);
    QCOMPARE(n.count("CVNode"), 8);
    CVSection* first = n.f.section("A:B");
    const CVNode* m1 = first->getDestination();
    QCOMPARE(m1->getName(), QStringLiteral("R1"));
    CVSection* middle = m1->getFromTurnings(first).first()->getDestination();
    const CVNode* m2 = middle->getDestination();
    QCOMPARE(m2->getName(), QStringLiteral("R2"));
    CVSection* last = m2->getFromTurnings(middle).first()->getDestination();
    QCOMPARE(last->getDestination(), n.f.hostNode("B"));

    // The middle part keeps its own side lane; the last part gets only its own.
    QCOMPARE(middle->getNbLanes(), 3);
    QCOMPARE(middle->getLanes().last(), CVSectionLane(0.0, 40.0));
    QCOMPARE(last->getNbLanes(), 3);
    const double lastLength = 300.0 - 0.7 - 150.0;  // cut point to B's cut-back
    QVERIFY(std::fabs(last->getLanes().last().getFinalOffset() - lastLength * 2.0 / 3.0) < 1e-6);
    QCOMPARE(n.rampTurning("R2")->getDestination(), last);
}

// Ramps R1 (40 m) at x = 80 and R2 (60 m) at x = 150, each on the right
// (south) or the left (north) of the main road. The part cut off at R2
// drops one lane of the part it is cut from, on R2's side, before taking
// R2's side lane there: R1's side lane when both are on one side, a full
// lane when they are on opposite sides.
void TestRampBuilder::sidesOfTwoCuts_data()
{
    QTest::addColumn<bool>("firstRight");
    QTest::addColumn<bool>("secondRight");
    QTest::addColumn<QString>("middle");
    QTest::addColumn<QString>("last");

    QTest::newRow("right, right") << true << true << "F F 40" << "F F 60";
    QTest::newRow("left, left: the leftmost lane goes") << false << false << "40 F F" << "60 F F";
    QTest::newRow("right, then left") << true << false << "F F 40" << "60 F 40";
    QTest::newRow("left, then right") << false << true << "40 F F" << "40 F 60";
}

void TestRampBuilder::sidesOfTwoCuts()
{
    QFETCH(bool, firstRight);
    QFETCH(bool, secondRight);
    QFETCH(QString, middle);
    QFETCH(QString, last);
    RampNetwork n;
    n.ramp("R1", 80, firstRight ? -10 : 10, 40.0);
    n.ramp("R2", 150, secondRight ? -10 : 10, 60.0);
    n.build();

    CVSection* first = n.f.section("A:B");
    QCOMPARE(laneLayout(first), QStringLiteral("F F"));
    CVSection* second = first->getDestination()->getFromTurnings(first).first()->getDestination();
    QCOMPARE(laneLayout(second), middle);
    CVSection* third = second->getDestination()->getFromTurnings(second).first()->getDestination();
    QCOMPARE(laneLayout(third), last);
    QCOMPARE(third->getDestination(), n.f.hostNode("B"));
}

// A ramp of no length adds no lane; it joins the outer lane on its side,
// and nothing is shifted.
void TestRampBuilder::rampWithoutLength_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("length");
    QTest::addColumn<LaneRange>("rampLanes");

    QTest::newRow("start, right, 0 m") << 20.0 << -10.0 << 0.0 << LaneRange(1, 1);
    QTest::newRow("start, right, -5 m") << 20.0 << -10.0 << -5.0 << LaneRange(1, 1);
    QTest::newRow("start, left, 0 m") << 20.0 << 5.0 << 0.0 << LaneRange(0, 0);
    QTest::newRow("start, left, -5 m") << 20.0 << 5.0 << -5.0 << LaneRange(0, 0);
    QTest::newRow("cut, right, 0 m") << 150.0 << -10.0 << 0.0 << LaneRange(1, 1);
    QTest::newRow("cut, left, -5 m") << 150.0 << 5.0 << -5.0 << LaneRange(0, 0);
}

void TestRampBuilder::rampWithoutLength()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, length);
    QFETCH(LaneRange, rampLanes);
    RampNetwork n;
    n.ramp("R", x, y, length);
    n.build();

    CVTurning* ramp = n.rampTurning("R");
    QVERIFY(ramp);
    const CVSection* joined = ramp->getDestination();
    QCOMPARE(laneLayout(joined), QStringLiteral("F F"));
    QCOMPARE(destinationLanes(ramp), rampLanes);
    const CVTurning* entering = n.f.hostNode("A")->getFromTurnings(n.f.section("Z:A")).first();
    const CVTurning* leaving = n.f.hostNode("B")->getFromTurnings(joined).first();
    QCOMPARE(destinationLanes(entering), LaneRange(0, 1));
    QCOMPARE(originLanes(leaving), LaneRange(0, 1));
}

// R1 (60 m) and then R2 (50 m) both join at the start of the main section.
// A lane added on the left moves every lane after it, the side lane that an
// earlier ramp added on the right included.
void TestRampBuilder::twoRampsAtTheStart_data()
{
    QTest::addColumn<bool>("firstRight");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<LaneRange>("firstRamp");
    QTest::addColumn<LaneRange>("secondRamp");
    QTest::addColumn<LaneRange>("through");

    QTest::newRow("right, then left") << true << "50 F F 60" << LaneRange(3, 3) << LaneRange(0, 0) << LaneRange(1, 2);
    QTest::newRow("left, then right") << false << "60 F F 50" << LaneRange(0, 0) << LaneRange(3, 3) << LaneRange(1, 2);
}

void TestRampBuilder::twoRampsAtTheStart()
{
    QFETCH(bool, firstRight);
    QFETCH(QString, layout);
    QFETCH(LaneRange, firstRamp);
    QFETCH(LaneRange, secondRamp);
    QFETCH(LaneRange, through);
    RampNetwork n;
    n.ramp("R1", 10, firstRight ? -10 : 5, 60.0);
    n.ramp("R2", 20, firstRight ? 5 : -10, 50.0);
    n.build();

    const CVSection* main = n.f.section("A:B");
    QCOMPARE(n.count("CVSection"), 5);
    QCOMPARE(laneLayout(main), layout);
    QCOMPARE(n.rampTurning("R1")->getNode(), n.f.hostNode("A"));
    QCOMPARE(destinationLanes(n.rampTurning("R1")), firstRamp);
    QCOMPARE(destinationLanes(n.rampTurning("R2")), secondRamp);
    QCOMPARE(destinationLanes(n.f.hostNode("A")->getFromTurnings(n.f.section("Z:A")).first()), through);
    QCOMPARE(originLanes(n.f.hostNode("B")->getFromTurnings(main).first()), through);
}

// After a cut, later ramps are measured from the cut node: one 15 m past it
// joins the second part at its start. Such a ramp is tied in at the link's
// start node, as every ramp at the start of a section is.
void TestRampBuilder::rampAtTheStartOfACutPart()
{
    RampNetwork n;
    n.ramp("R1", 150, -10, 80.0);
    n.ramp("R2", 165, -10, 40.0);
    n.build();

    QCOMPARE(n.count("CVSection"), 6);
    QCOMPARE(n.count("CVNode"), 7);
    CVSection* first = n.f.section("A:B");
    CVSection* second = first->getDestination()->getFromTurnings(first).first()->getDestination();
    QCOMPARE(second->getOrigin()->getName(), QStringLiteral("R1"));
    QCOMPARE(second->getDestination(), n.f.hostNode("B"));
    QCOMPARE(laneLayout(second), QStringLiteral("F F 80 40"));
    QCOMPARE(n.f.nodes.value("R2")->rampNode, n.f.nodes.value("A"));
    CVTurning* ramp = n.rampTurning("R2");
    QVERIFY(ramp);
    QCOMPARE(ramp->getNode(), n.f.hostNode("A"));
    QCOMPARE(ramp->getDestination(), second);
    QCOMPARE(destinationLanes(ramp), LaneRange(3, 3));
}

// The link of a cut section keeps naming the first part: what is placed on
// the link or connected to it later goes there, even where its position
// lies beyond that part.
void TestRampBuilder::cutLinkKeepsItsFirstPart_data()
{
    QTest::addColumn<QString>("object");
    QTest::newRow("centroid connection") << "centroid connection";
    QTest::newRow("bus stop") << "bus stop";
    QTest::newRow("detector") << "detector";
    QTest::newRow("line path") << "line path";
}

void TestRampBuilder::cutLinkKeepsItsFirstPart()
{
    QFETCH(QString, object);
    RampNetwork n;
    n.ramp("R", 150, -10, 80.0);
    // A zone around A, whose only node it is.
    auto* zone = new ParamicsZone;
    zone->id = 1;
    zone->minX = -10;
    zone->maxX = 10;
    zone->minY = -10;
    zone->maxY = 10;
    n.f.zones.insert(0, zone);
    auto* stop = new ParamicsBusStop(1);
    stop->link = QStringLiteral("A:B");
    stop->position = 200.0;
    n.f.busStops.insert(1, stop);
    auto* route = new ParamicsBusRoute(QStringLiteral("1"));
    route->routeNodes = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    n.f.busRoutes.insert(route->name, route);
    n.f.detectors.append(new ParamicsDetector{QStringLiteral("D"), 200.0, QStringLiteral("A:B"), 5.0});

    CentroidBuilder centroids = n.f.centroidBuilder();
    centroids.createCentroids();
    n.build();
    centroids.calculateExtremeNodes();
    centroids.createCentroidConnections();
    n.f.publicTransport().createBusStops();
    n.f.publicTransport().createBusRoutes();
    n.f.devices().createDetectors();

    // The parts found through the network, not through the link.
    CVSection* first = n.f.hostNode("A")->getFromTurnings(n.f.section("Z:A")).first()->getDestination();
    QCOMPARE(first->getDestination()->getName(), QStringLiteral("R"));
    CVSection* second = first->getDestination()->getFromTurnings(first).first()->getDestination();
    QVERIFY(second != first);

    QList<const CVObject*> used;
    if (object == QLatin1String("centroid connection")) {
        auto* centroid = dynamic_cast<CVCentroid*>(n.f.model->getCatalog()->find(zone->centroidId));
        for (const CVObjectConnection* c : centroid->getConnections()) {
            if (c->getConnectionType() == 0)
                used << c->getConnectionObject();
        }
    } else if (object == QLatin1String("bus stop")) {
        for (auto* s : n.f.objects<CVSectionObject>("CVBusStop"))
            used << s->getSection();
    } else if (object == QLatin1String("detector")) {
        for (auto* d : n.f.objects<CVSectionObject>("CVDetector"))
            used << d->getSection();
    } else {
        for (auto* line : n.f.objects<CVPublicLine>("CVPublicLine")) {
            for (unsigned id : line->getSections())
                used << n.f.model->getCatalog()->find(id);
        }
        QCOMPARE(used.size(), 2);
        QCOMPARE(used.last(), static_cast<const CVObject*>(n.f.section("B:C")));
        used.removeLast();
    }
    QCOMPARE(used, QList<const CVObject*>{first});
}

void TestRampBuilder::linkWithoutSectionSkipped()
{
    RampNetwork n;
    n.ramp("R", 150, -10, 80.0);
    n.f.createLinks();
    n.main->sectionId = 0;
    n.main->section = nullptr;
    n.f.createNodes();
    n.f.createRamps();
    QCOMPARE(n.count("CVNode"), 5);
}

QTEST_GUILESS_MAIN(TestRampBuilder)
#include "tst_rampbuilder.moc"
