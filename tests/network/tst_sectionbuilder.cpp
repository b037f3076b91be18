// Sections built from links: road types, speeds, lanes, cut-backs at the
// nodes, the sideways shift of the two directions, short links and arcs.

#include "networkfixture.h"

#include <cvlayer.h>
#include <cvroadtype.h>
#include <cvsegment.h>

#include <QtTest>

Q_DECLARE_METATYPE(CVPoint)

namespace {

// Arc positions go to the host as floats: some 1e-5 m off on 100 m.
bool near(const CVPoint& a, const CVPoint& b, double tolerance = 1e-6)
{
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance && std::fabs(a.z - b.z) < tolerance;
}

// Links from and to far nodes, so that node id has that many more links in
// and out.
void addLinks(NetworkFixture& f, const QString& id, int in, int out)
{
    for (int i = 0; i < in + out; ++i) {
        const QString other = id + QString::number(i);
        f.node(other, 1000 + i, 1000);
        i < in ? f.link(other, id) : f.link(id, other);
    }
}

}  // namespace

class TestSectionBuilder : public QObject
{
    Q_OBJECT

private slots:
    void nameLayerAndCounts();
    void roadTypeAndSpeed_data();
    void roadTypeAndSpeed();
    void lanesAndWidth_data();
    void lanesAndWidth();
    void cutBacks_data();
    void cutBacks();
    void straightCentreLine_data();
    void straightCentreLine();
    void intermediatePoint_data();
    void intermediatePoint();
    void arcCentreLine();
    void shiftedArcEnds_data();
    void shiftedArcEnds();
    void badInputGivesFinitePoints_data();
    void badInputGivesFinitePoints();
};

void TestSectionBuilder::nameLayerAndCounts()
{
    NetworkFixture f;
    f.node("12", 0, 0);
    f.node("7", 50, 0);
    ParamicsLink* link = f.link("12", "7");
    link->ramps.append(ParamicsRamp{QStringLiteral("7"), CVPoint(50, 0), 20.0});
    f.link("7", "12")->barred = true;
    f.createLinks();
    CVSection* section = f.section("12:7");
    QCOMPARE(section->getName(), QStringLiteral("N12_N7"));
    QVERIFY(f.layer->getObjects().contains(section));
    QCOMPARE(f.nodes.value("12")->sectionCount, 1);
    QCOMPARE(f.rampLinks.keys(), QList<QString>{"12:7"});
    QCOMPARE(f.record("7:12")->sectionId, 0u);
    QCOMPARE(f.model->getCatalog()->size(f.model->getType("CVSection")), 1);
}

void TestSectionBuilder::roadTypeAndSpeed_data()
{
    // Category 1: Freeway at 80 km/h. Category 9 does not exist.
    QTest::addColumn<QString>("linkType");
    QTest::addColumn<double>("linkSpeed");
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("roadType");
    QTest::addColumn<double>("speed");
    QTest::newRow("link's own") << "Urban Road" << 64.0 << 1 << "Urban Road" << 64.0;
    QTest::newRow("found without case") << "urban road" << 0.0 << 1 << "Urban Road" << 80.0;
    QTest::newRow("the category's") << "" << 0.0 << 1 << "Freeway" << 80.0;
    QTest::newRow("unknown name") << "Motorway" << 0.0 << 1 << "Arterial" << 80.0;
    QTest::newRow("name of a vehicle type") << "car" << 0.0 << 1 << "Arterial" << 80.0;
    QTest::newRow("missing category: urban, 50") << "" << 0.0 << 9 << "Arterial" << 50.0;
}

void TestSectionBuilder::roadTypeAndSpeed()
{
    QFETCH(QString, linkType);
    QFETCH(double, linkSpeed);
    QFETCH(int, category);
    QFETCH(QString, roadType);
    QFETCH(double, speed);
    NetworkFixture f;
    f.category(1, 2, 7.0, 80.0, QStringLiteral("Freeway"));
    f.node("1", 0, 0);
    f.node("2", 100, 0);
    ParamicsLink* link = f.link("1", "2", 0, 0.0, category);
    link->roadType = linkType;
    link->speed = linkSpeed;
    f.createLinks();
    QCOMPARE(f.section("1:2")->getRoadType()->getName(), roadType);
    QCOMPARE(f.section("1:2")->getSpeed(), speed);
    QVERIFY(!link->roadType.isEmpty());
}

void TestSectionBuilder::lanesAndWidth_data()
{
    // Category 1: 2 lanes, 7.0 m. Category 2: 0 lanes, 6.0 m.
    QTest::addColumn<double>("linkWidth");
    QTest::addColumn<int>("linkLanes");
    QTest::addColumn<int>("category");
    QTest::addColumn<double>("laneWidth");
    QTest::addColumn<int>("lanes");
    QTest::newRow("no width, more lanes") << 0.0 << 3 << 1 << 3.5 << 3;
    QTest::newRow("no width, fewer lanes") << 0.0 << 1 << 1 << 3.5 << 2;
    QTest::newRow("width without lanes") << 9.0 << 0 << 1 << 4.5 << 2;
    QTest::newRow("width and lanes") << 9.0 << 3 << 1 << 3.0 << 3;
    QTest::newRow("category of no lanes counts one") << 0.0 << 0 << 2 << 6.0 << 1;
    QTest::newRow("missing category") << 0.0 << 0 << 5 << 3.0 << 1;
    QTest::newRow("negative lanes are not given") << 8.0 << -2 << 1 << 4.0 << 2;
}

void TestSectionBuilder::lanesAndWidth()
{
    QFETCH(double, linkWidth);
    QFETCH(int, linkLanes);
    QFETCH(int, category);
    QFETCH(double, laneWidth);
    QFETCH(int, lanes);
    NetworkFixture f;
    f.category(1, 2, 7.0);
    f.category(2, 0, 6.0);
    f.node("1", 0, 0);
    f.node("2", 100, 0);
    f.link("1", "2", linkLanes, linkWidth, category);
    f.createLinks();
    QCOMPARE(f.section("1:2")->getLaneWidth(), laneWidth);
    QCOMPARE(f.section("1:2")->getNbFullLanes(), lanes);
    QCOMPARE(f.record("1:2")->lanes, linkLanes);
}

void TestSectionBuilder::cutBacks_data()
{
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::addColumn<int>("barred");
    QTest::addColumn<QString>("twice");  // "in" or "out": that list names its first link again
    QTest::addColumn<double>("expected");
    QTest::newRow("road continues") << 1 << 1 << 0 << "" << 0.7;
    QTest::newRow("barred links do not count") << 1 << 1 << 2 << "" << 0.7;
    QTest::newRow("two in, two out, 3.5 m lanes") << 2 << 2 << 0 << "" << 7.5;
    QTest::newRow("two in, one out") << 2 << 1 << 1 << "" << 6.5;
    QTest::newRow("dead end") << 1 << 0 << 0 << "" << 4.5;
    // A link read twice is listed twice at its nodes and counts twice.
    QTest::newRow("link in twice") << 1 << 1 << 0 << "in" << 6.5;
    QTest::newRow("link out twice") << 1 << 1 << 0 << "out" << 6.5;
    QTest::newRow("dead end, link in twice") << 1 << 0 << 0 << "in" << 5.5;
}

void TestSectionBuilder::cutBacks()
{
    QFETCH(int, in);
    QFETCH(int, out);
    QFETCH(int, barred);
    QFETCH(QString, twice);
    QFETCH(double, expected);
    NetworkFixture f;
    ParamicsNode* a = f.node("A", 0, 0);
    addLinks(f, "A", in, out);
    for (int i = 0; i < barred; ++i) {
        f.node(QStringLiteral("b%1").arg(i), 50, 50 + i);
        f.link("A", QStringLiteral("b%1").arg(i))->barred = true;
    }
    if (twice == QLatin1String("in"))
        a->appendInLink(*a->inLinks.at(0).link);
    else if (twice == QLatin1String("out"))
        a->appendOutLink(*a->outLinks.at(0).link);
    QCOMPARE(f.sectionBuilder().calculateOrigDistance(a, 3.5), expected);
    QCOMPARE(f.sectionBuilder().calculateDestDistance(a, 3.5), expected);
}

void TestSectionBuilder::straightCentreLine_data()
{
    // Link A -> B of 2 lanes, 7 m, eastwards from (0, 0), the road going on
    // at A and B (0.7 m cuts). Without an opposite link it moves by half of
    // its width plus 0.25 m, to the right (south) with right-hand traffic.
    // An open opposite link of 9 m moves it 4.75 m and makes A a junction
    // of 2 links in and 1 out (a 6.5 m cut).
    QTest::addColumn<bool>("rightHandDrive");
    QTest::addColumn<double>("length");
    QTest::addColumn<int>("oppositeLink");  // 0 none, 1 open (9 m wide), 2 barred
    QTest::addColumn<int>("linksAtB");      // more links in and out at B
    QTest::addColumn<CVPoint>("start");
    QTest::addColumn<CVPoint>("end");
    QTest::newRow("right-hand") << true << 100.0 << 0 << 0 << CVPoint(0.7, -3.75) << CVPoint(99.3, -3.75);
    QTest::newRow("left-hand") << false << 100.0 << 0 << 0 << CVPoint(0.7, 3.75) << CVPoint(99.3, 3.75);
    QTest::newRow("beside the opposite link's width") << true << 100.0 << 1 << 0 << CVPoint(6.5, -4.75)
                                                      << CVPoint(99.3, -4.75);
    QTest::newRow("barred opposite: on the node line") << true << 100.0 << 2 << 0 << CVPoint(0.7, 0)
                                                       << CVPoint(99.3, 0);
    // B with 2 links in and 2 out cuts 2 + 2 + 3.5 m.
    QTest::newRow("junction at the end") << true << 100.0 << 0 << 1 << CVPoint(0.7, -3.75) << CVPoint(92.5, -3.75);
    // 0.7 + 7.5 + 4 m do not fit in 12 m: a 4 m piece around the middle.
    QTest::newRow("short link") << true << 12.0 << 0 << 1 << CVPoint(4, -3.75) << CVPoint(8, -3.75);
    QTest::newRow("shorter than the piece") << false << 1.0 << 2 << 0 << CVPoint(-1.5, 0) << CVPoint(2.5, 0);
}

void TestSectionBuilder::straightCentreLine()
{
    QFETCH(bool, rightHandDrive);
    QFETCH(double, length);
    QFETCH(int, oppositeLink);
    QFETCH(int, linksAtB);
    QFETCH(CVPoint, start);
    QFETCH(CVPoint, end);
    NetworkFixture f(rightHandDrive);
    f.node("X", -100, 0);
    f.node("A", 0, 0);
    f.node("B", length, 0);
    f.link("X", "A");
    f.link("A", "B", 2, 7.0);
    if (oppositeLink)
        f.link("B", "A", 3, 9.0)->barred = oppositeLink == 2;
    addLinks(f, "B", linksAtB, linksAtB + (oppositeLink == 1 ? 0 : 1));
    f.updateLinks();
    f.createLinks();
    const CVPoints& points = f.section("A:B")->getPoints();
    QCOMPARE(points.size(), 2);
    QVERIFY2(near(points[0], start) && near(points[1], end),
             qPrintable(QStringLiteral("(%1, %2) (%3, %4)").arg(points[0].x).arg(points[0].y).arg(points[1].x).arg(points[1].y)));
}

void TestSectionBuilder::intermediatePoint_data()
{
    // Centre (100, 200), radius 10; the point bisects the shorter arc.
    QTest::addColumn<double>("angle1");
    QTest::addColumn<double>("angle2");
    QTest::addColumn<CVPoint>("expected");
    const double r = 10 * std::sqrt(0.5);
    QTest::newRow("east to north") << 0.0 << CVPI / 2 << CVPoint(100 + r, 200 + r);
    QTest::newRow("north to east") << CVPI / 2 << 0.0 << CVPoint(100 + r, 200 + r);
    QTest::newRow("south to east, across 0") << 3 * CVPI / 2 << 0.0 << CVPoint(100 + r, 200 - r);
    QTest::newRow("east to south, across 0") << 0.0 << 3 * CVPI / 2 << CVPoint(100 + r, 200 - r);
    QTest::newRow("half circle") << 0.0 << CVPI << CVPoint(100, 210);
}

void TestSectionBuilder::intermediatePoint()
{
    QFETCH(double, angle1);
    QFETCH(double, angle2);
    QFETCH(CVPoint, expected);
    NetworkFixture f;
    f.centre(4, 100, 200, 10);
    CVPoint point;
    f.sectionBuilder().createIntermediatePoint(angle1, angle2, 4, &point);
    QVERIFY(near(point, expected));
}

void TestSectionBuilder::arcCentreLine()
{
    // A quarter circle about (0, 0) from (50, 0) to (0, 50) whose centre
    // has a radius of 60: the middle point lies on that circle. The road
    // goes on at both ends (0.7 m cuts along the first and last pieces).
    NetworkFixture f;
    f.centre(1, 0, 0, 60);
    f.node("X", 50, -100);
    f.node("A", 50, 0);
    f.node("B", 0, 50);
    f.node("Y", -100, 50);
    f.link("X", "A");
    f.link("B", "Y");
    f.link("A", "B", 1, 3.5)->arcCentre = 1;
    f.link("B", "A")->barred = true;
    f.updateLinks();
    f.createLinks();
    CVSection* section = f.section("A:B");
    const CVPoints& points = section->getPoints();
    const CVPoint middle(60 * std::sqrt(0.5), 60 * std::sqrt(0.5));
    QCOMPARE(section->getCurveType(), int(CVBezierCurve::PointList));
    QCOMPARE(points.size(), 3);
    QVERIFY(near(points[1], middle));
    QVERIFY(near(points[0], CVSegment(CVPoint(50, 0), middle).pointAtDist(0.7), 1e-4));
    QVERIFY(near(points[2], CVSegment(CVPoint(0, 50), middle).pointAtDist(0.7), 1e-4));

    // Opened opposite link (3.0 m of the default category): each half moves
    // 1.75 m outwards, to the right of the counter-clockwise way round.
    f.record("B:A")->barred = false;
    f.updateLinks();
    f.createLinks();
    const CVPoints& shifted = f.section("A:B")->getPoints();
    QVERIFY(near(shifted[1], CVSegment(CVPoint(50, 0), middle).parallelDist(0, 1.75).p2, 1e-4));

    // An arc whose centre is missing is built straight.
    f.record("A:B")->arcCentre = 8;
    f.createLinks();
    QCOMPARE(f.section("A:B")->getPoints().size(), 2);
}

// A two-way quarter arc about (0, 0) from (50, 0) to (0, 50), radius 60:
// each half moves sideways by 1.75 m (half of the opposite 3 m
// carriageway plus the gap) before the cuts at both ends (two links in and
// one out, or one in and two out, and the lane: 6.5 m): outwards
// with right-hand traffic, inwards with left-hand traffic. An arc shorter
// than the cut-backs keeps a 4 m piece around its middle.
void TestSectionBuilder::shiftedArcEnds_data()
{
    QTest::addColumn<bool>("rightHandDrive");
    QTest::addColumn<double>("scale");  // of the whole layout
    QTest::addColumn<double>("shift");  // to the right of the way round
    QTest::addColumn<int>("points");

    QTest::newRow("right-hand") << true << 1.0 << 1.75 << 3;
    QTest::newRow("left-hand") << false << 1.0 << -1.75 << 3;
    QTest::newRow("right-hand, shorter than the cuts") << true << 0.05 << 1.75 << 2;
    QTest::newRow("left-hand, shorter than the cuts") << false << 0.05 << -1.75 << 2;
}

void TestSectionBuilder::shiftedArcEnds()
{
    QFETCH(bool, rightHandDrive);
    QFETCH(double, scale);
    QFETCH(double, shift);
    QFETCH(int, points);
    NetworkFixture f(rightHandDrive);
    f.centre(1, 0, 0, 60 * scale);
    f.node("X", 50 * scale, -100);
    f.node("A", 50 * scale, 0);
    f.node("B", 0, 50 * scale);
    f.node("Y", -100, 50 * scale);
    f.link("X", "A");
    f.link("B", "Y");
    f.link("A", "B", 1, 3.5)->arcCentre = 1;
    f.link("B", "A");
    f.updateLinks();
    f.createLinks();

    const CVPoint start(50 * scale, 0), end(0, 50 * scale);
    const CVPoint middle(60 * scale * std::sqrt(0.5), 60 * scale * std::sqrt(0.5));
    const CVSegment firstHalf = CVSegment(start, middle).parallelDist(0, shift);
    const CVSegment secondHalf = CVSegment(middle, end).parallelDist(0, shift);
    const CVPoints& built = f.section("A:B")->getPoints();
    QCOMPARE(built.size(), points);
    if (points == 3) {
        QVERIFY(near(built[0], CVSegment(firstHalf.p1, firstHalf.p2).pointAtDist(6.5), 1e-4));
        QVERIFY(near(built[1], firstHalf.p2, 1e-4));
        QVERIFY(near(built[2], CVSegment(secondHalf.p2, firstHalf.p2).pointAtDist(6.5), 1e-4));
        // Outside the node circle of radius 50 with right-hand traffic.
        QCOMPARE(built[0].distance2D(CVPoint(0, 0)) > 50, rightHandDrive);
    } else {
        // 2 m either way of the middle of the shifted arc.
        const CVPoints shifted{firstHalf.p1, firstHalf.p2, secondHalf.p2};
        const double length = shifted.length2D(false);
        QVERIFY(near(built[0], shifted.pointAtPos(float(length / 2 - 2), false), 1e-4));
        QVERIFY(near(built[1], shifted.pointAtPos(float(length / 2 + 2), false), 1e-4));
    }
}

void TestSectionBuilder::badInputGivesFinitePoints_data()
{
    QTest::addColumn<double>("bx");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");  // -1: straight link
    QTest::newRow("nodes at one place") << 0.0 << 3.0 << -1.0;
    QTest::newRow("infinite node position") << qInf() << 3.0 << -1.0;
    QTest::newRow("not-a-number width") << 100.0 << qQNaN() << -1.0;
    QTest::newRow("infinite width") << 100.0 << qInf() << -1.0;
    QTest::newRow("arc of infinite radius") << 100.0 << 3.0 << qInf();
    QTest::newRow("arc of no radius") << 100.0 << 3.0 << 0.0;
}

void TestSectionBuilder::badInputGivesFinitePoints()
{
    QFETCH(double, bx);
    QFETCH(double, width);
    QFETCH(double, radius);
    NetworkFixture f;
    f.node("A", 0, 0);
    f.node("B", bx, 0);
    ParamicsLink* link = f.link("A", "B", 1, width);
    if (radius >= 0) {
        f.centre(1, 50, 50, radius);
        link->arcCentre = 1;
    }
    f.createLinks();
    CVSection* section = f.section("A:B");
    QVERIFY(!section->getPoints().isEmpty() && std::isfinite(section->getLaneWidth()));
    for (const CVPoint& p : section->getPoints())
        QVERIFY(p.isFinite());
}

QTEST_GUILESS_MAIN(TestSectionBuilder)
#include "tst_sectionbuilder.moc"
