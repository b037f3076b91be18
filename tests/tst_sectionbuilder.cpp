// Sections built from links: road types, speeds, lanes, cut-backs at the
// nodes, the sideways shift of the two directions, short links and arcs.

#include "networkfixture.h"

#include <cvlayer.h>
#include <cvpreferencesvalues.h>
#include <cvroadtype.h>
#include <cvsegment.h>

#include <QtTest>

Q_DECLARE_METATYPE(CVPoint)

namespace {

bool near(const CVPoint& a, const CVPoint& b, double tolerance = 1e-6)
{
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance && std::fabs(a.z - b.z) < tolerance;
}

QByteArray describe(const CVPoints& points)
{
    QByteArray text;
    for (const CVPoint& p : points)
        text += "(" + QByteArray::number(p.x) + ", " + QByteArray::number(p.y) + ") ";
    return text;
}

// A one-way road X -> A -> B -> Y along the x axis, so that A and B each
// have one link entering and one leaving: the road merely continues there.
void continuingRoad(NetworkFixture& f, double length = 100.0)
{
    f.node("X", -100, 0);
    f.node("A", 0, 0);
    f.node("B", length, 0);
    f.node("Y", length + 100, 0);
    f.link("X", "A");
    f.link("B", "Y");
}

// Gives node id two more links entering and two more leaving, towards and
// from far away nodes, so that it becomes a junction.
void makeJunction(NetworkFixture& f, const QString& id, int extraIn, int extraOut)
{
    for (int i = 0; i < extraIn; ++i) {
        const QString other = id + QStringLiteral("in%1").arg(i);
        f.node(other, 0, 1000 + i);
        f.link(other, id);
    }
    for (int i = 0; i < extraOut; ++i) {
        const QString other = id + QStringLiteral("out%1").arg(i);
        f.node(other, 0, -1000 - i);
        f.link(id, other);
    }
}

}  // namespace

class TestSectionBuilder : public QObject
{
    Q_OBJECT

private slots:
    void nameAndLayer();
    void roadType_data();
    void roadType();
    void speed_data();
    void speed();
    void lanesAndWidth_data();
    void lanesAndWidth();
    void cutBacks_data();
    void cutBacks();
    void straightSection_data();
    void straightSection();
    void shortLinkBecomesPieceAroundMiddle();
    void shiftUsesOppositeCarriageway();
    void roadSidePreference_data();
    void roadSidePreference();
    void intermediatePoint_data();
    void intermediatePoint();
    void arcSection();
    void arcWithMissingCentreIsStraight();
    void barredLinkHasNoSection();
    void badInputGivesFinitePoints_data();
    void badInputGivesFinitePoints();
};

void TestSectionBuilder::nameAndLayer()
{
    NetworkFixture f;
    f.node("12", 0, 0);
    f.node("7", 50, 0);
    ParamicsLink* link = f.link("12", "7");
    link->ramps.append(ParamicsRamp{QStringLiteral("7"), CVPoint(50, 0), 20.0});
    f.probe.createLinks();
    CVSection* section = f.section("12:7");
    QVERIFY(section);
    QCOMPARE(section->getName(), QStringLiteral("N12_N7"));
    QCOMPARE(link->sectionId, section->getId());
    QVERIFY(f.probe.layer()->getObjects().contains(section));
    QCOMPARE(section->getLayer(), f.probe.layer());
    QCOMPARE(f.probe.nodes().value("12")->sectionCount, 1);
    QCOMPARE(f.probe.nodes().value("7")->sectionCount, 1);
    QCOMPARE(f.probe.rampLinks().value("12:7"), link);
    // Sections are only placed; nodes join them later.
    QVERIFY(!section->getOrigin() && !section->getDestination());
}

void TestSectionBuilder::roadType_data()
{
    QTest::addColumn<QString>("linkType");
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("recordAfter");
    QTest::newRow("link type") << "Freeway" << 1 << "Freeway" << "Freeway";
    QTest::newRow("found without case") << "urban road" << 1 << "Urban Road" << "urban road";
    QTest::newRow("from the category") << "" << 1 << "Freeway" << "Freeway";
    QTest::newRow("unknown name") << "Motorway" << 1 << "Arterial" << "Motorway";
    QTest::newRow("name of no road type") << "car" << 1 << "Arterial" << "car";
    QTest::newRow("missing category: urban, unknown") << "" << 9 << "Arterial" << "urban";
}

void TestSectionBuilder::roadType()
{
    QFETCH(QString, linkType);
    QFETCH(int, category);
    QFETCH(QString, expected);
    QFETCH(QString, recordAfter);
    NetworkFixture f;
    f.category(1, 2, 7.0, 80.0, QStringLiteral("Freeway"));
    f.node("1", 0, 0);
    f.node("2", 100, 0);
    ParamicsLink* link = f.link("1", "2", 0, 0.0, category);
    link->roadType = linkType;
    f.probe.createLinks();
    CVSection* section = f.section("1:2");
    QVERIFY(section && section->getRoadType());
    QCOMPARE(section->getRoadType()->getName(), expected);
    QCOMPARE(link->roadType, recordAfter);
}

void TestSectionBuilder::speed_data()
{
    QTest::addColumn<double>("linkSpeed");
    QTest::addColumn<int>("category");
    QTest::addColumn<double>("expected");
    QTest::newRow("link's own") << 64.0 << 1 << 64.0;
    QTest::newRow("category's") << 0.0 << 1 << 80.0;
    QTest::newRow("missing category") << 0.0 << 4 << 50.0;
}

void TestSectionBuilder::speed()
{
    QFETCH(double, linkSpeed);
    QFETCH(int, category);
    QFETCH(double, expected);
    NetworkFixture f;
    f.category(1, 2, 7.0, 80.0);
    f.node("1", 0, 0);
    f.node("2", 100, 0);
    f.link("1", "2", 0, 0.0, category)->speed = linkSpeed;
    f.probe.createLinks();
    QCOMPARE(f.section("1:2")->getSpeed(), expected);
}

void TestSectionBuilder::lanesAndWidth_data()
{
    QTest::addColumn<double>("linkWidth");
    QTest::addColumn<int>("linkLanes");
    QTest::addColumn<int>("category");
    QTest::addColumn<double>("laneWidth");
    QTest::addColumn<int>("lanes");
    // Category 1: 2 lanes, 7.0 m. Category 2: 0 lanes, 6.0 m.
    QTest::newRow("no width: more lanes than the category") << 0.0 << 3 << 1 << 3.5 << 3;
    QTest::newRow("no width: fewer lanes than the category") << 0.0 << 1 << 1 << 3.5 << 2;
    QTest::newRow("width without lanes") << 9.0 << 0 << 1 << 4.5 << 2;
    QTest::newRow("width and lanes") << 9.0 << 3 << 1 << 3.0 << 3;
    QTest::newRow("category of no lanes counts one") << 0.0 << 0 << 2 << 6.0 << 1;
    QTest::newRow("width, category of no lanes") << 5.0 << 0 << 2 << 5.0 << 1;
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
    f.probe.createLinks();
    CVSection* section = f.section("1:2");
    QCOMPARE(section->getLaneWidth(), laneWidth);
    QCOMPARE(section->getDataValueInt(CVSection::nbLanesColumn()), lanes);
    QCOMPARE(section->getNbFullLanes(), lanes);
    // The record keeps the lane count as read.
    QCOMPARE(f.record("1:2")->lanes, linkLanes);
}

void TestSectionBuilder::cutBacks_data()
{
    QTest::addColumn<int>("extraIn");
    QTest::addColumn<int>("extraOut");
    QTest::addColumn<int>("barredOut");
    QTest::addColumn<double>("expected");
    // Node A of the continuing road has one link in and one out.
    QTest::newRow("road continues") << 0 << 0 << 0 << 0.7;
    QTest::newRow("barred links do not count") << 0 << 0 << 2 << 0.7;
    QTest::newRow("two in, two out, 3.5 m lanes") << 1 << 0 << 0 << 2 + 1 + 3.5;
    QTest::newRow("two in, two out") << 1 << 1 << 0 << 2 + 2 + 3.5;
    QTest::newRow("dead end") << -1 << 0 << 0 << 0 + 1 + 3.5;
}

void TestSectionBuilder::cutBacks()
{
    QFETCH(int, extraIn);
    QFETCH(int, extraOut);
    QFETCH(int, barredOut);
    QFETCH(double, expected);
    NetworkFixture f;
    f.node("X", -100, 0);
    f.node("A", 0, 0);
    f.node("B", 100, 0);
    if (extraIn >= 0)
        f.link("X", "A");
    f.link("A", "B");
    makeJunction(f, "A", std::max(extraIn, 0), extraOut);
    for (int i = 0; i < barredOut; ++i) {
        f.node(QStringLiteral("barred%1").arg(i), 50, 50 + i);
        f.link("A", QStringLiteral("barred%1").arg(i))->barred = true;
    }
    ParamicsNode* a = f.probe.nodes().value("A");
    QCOMPARE(f.probe.calculateOrigDistance(a, 3.5), expected);
    QCOMPARE(f.probe.calculateDestDistance(a, 3.5), expected);
}

void TestSectionBuilder::straightSection_data()
{
    QTest::addColumn<bool>("rightHandDrive");
    QTest::addColumn<bool>("barredOpposite");
    QTest::addColumn<int>("junctionLinks");
    QTest::addColumn<CVPoint>("start");
    QTest::addColumn<CVPoint>("end");
    // A 100 m link A -> B eastwards of 2 lanes, 7 m wide: half of it plus
    // 0.25 m is a shift of 3.75 m, to the south (right) with right-hand
    // traffic. Cut-backs of 0.7 m where the road continues.
    QTest::newRow("right-hand traffic") << true << false << 0 << CVPoint(0.7, -3.75) << CVPoint(99.3, -3.75);
    QTest::newRow("left-hand traffic") << false << false << 0 << CVPoint(0.7, 3.75) << CVPoint(99.3, 3.75);
    QTest::newRow("beside a barred opposite link") << true << true << 0 << CVPoint(0.7, 0) << CVPoint(99.3, 0);
    // B with two links in and two out cuts 2 + 2 + 3.5 m.
    QTest::newRow("junction at the end") << true << false << 1 << CVPoint(0.7, -3.75) << CVPoint(92.5, -3.75);
}

void TestSectionBuilder::straightSection()
{
    QFETCH(bool, rightHandDrive);
    QFETCH(bool, barredOpposite);
    QFETCH(int, junctionLinks);
    QFETCH(CVPoint, start);
    QFETCH(CVPoint, end);
    NetworkFixture f(rightHandDrive);
    continuingRoad(f);
    f.link("A", "B", 2, 7.0);
    if (barredOpposite)
        f.link("B", "A")->barred = true;
    makeJunction(f, "B", junctionLinks, junctionLinks);
    f.probe.updateLinks();
    f.probe.createLinks();
    CVSection* section = f.section("A:B");
    const CVPoints& points = section->getPoints();
    QVERIFY2(points.size() == 2, describe(points).constData());
    QVERIFY2(near(points[0], start) && near(points[1], end), describe(points).constData());
    QCOMPARE(section->getCurveType(), int(CVBezierCurve::Segment));
}

void TestSectionBuilder::shortLinkBecomesPieceAroundMiddle()
{
    // A 10 m link between two junctions whose cut-backs (7.5 m each) leave
    // no room: a 4 m piece centred on the link's middle, shifted 1.75 m.
    NetworkFixture f;
    f.node("A", 0, 0);
    f.node("B", 0, 10);
    f.link("A", "B", 1, 3.5);
    makeJunction(f, "A", 2, 1);
    makeJunction(f, "B", 1, 2);
    f.probe.updateLinks();
    f.probe.createLinks();
    const CVPoints& points = f.section("A:B")->getPoints();
    QVERIFY2(near(points[0], CVPoint(2.0, 3)) && near(points[1], CVPoint(2.0, 7)), describe(points).constData());

    // Shorter than the piece itself: still 4 m, around the middle.
    NetworkFixture g;
    g.node("A", 0, 0);
    g.node("B", 1, 0);
    g.link("A", "B", 1, 3.5)->twoWay = false;
    g.probe.createLinks();
    const CVPoints& tiny = g.section("A:B")->getPoints();
    QVERIFY2(near(tiny[0], CVPoint(-1.5, 0)) && near(tiny[1], CVPoint(2.5, 0)), describe(tiny).constData());
}

void TestSectionBuilder::shiftUsesOppositeCarriageway()
{
    NetworkFixture f;
    f.category(3, 2, 8.0);
    f.node("A", 0, 0);
    f.node("B", 100, 0);
    ParamicsLink* narrow = f.link("A", "B", 1, 3.0);
    ParamicsLink* wide = f.link("B", "A", 3, 9.0);
    QCOMPARE(f.probe.calculateParallelDistance(narrow), 9.0 / 2 + 0.25);
    QCOMPARE(f.probe.calculateParallelDistance(wide), 3.0 / 2 + 0.25);
    // Without width of its own the opposite link's category gives it.
    wide->width = 0.0;
    wide->category = 3;
    QCOMPARE(f.probe.calculateParallelDistance(narrow), 8.0 / 2 + 0.25);
    // A one-way link measures itself.
    NetworkFixture g(false);
    g.node("A", 0, 0);
    g.node("B", 100, 0);
    QCOMPARE(g.probe.calculateParallelDistance(g.link("A", "B", 0, 0.0, -1)), -(3.0 / 2 + 0.25));
}

void TestSectionBuilder::roadSidePreference_data()
{
    QTest::addColumn<bool>("rightHandDrive");
    QTest::addColumn<QString>("value");
    QTest::newRow("right-hand traffic") << true << "0";
    QTest::newRow("left-hand traffic") << false << "1";
}

void TestSectionBuilder::roadSidePreference()
{
    QFETCH(bool, rightHandDrive);
    QFETCH(QString, value);
    NetworkFixture f(rightHandDrive);
    f.probe.createGeometry();
    QCOMPARE(f.model->getPreferences()->getValue(QStringLiteral("CVModel::Location::RoadSide")).toString(), value);
}

void TestSectionBuilder::intermediatePoint_data()
{
    QTest::addColumn<double>("angle1");
    QTest::addColumn<double>("angle2");
    QTest::addColumn<CVPoint>("expected");
    // Centre (100, 200), radius 10.
    const double r = 10 * std::sqrt(0.5);
    QTest::newRow("quarter, east to north") << 0.0 << CVPI / 2 << CVPoint(100 + r, 200 + r);
    QTest::newRow("quarter, north to east") << CVPI / 2 << 0.0 << CVPoint(100 + r, 200 + r);
    QTest::newRow("across 0: south to east") << 3 * CVPI / 2 << 0.0 << CVPoint(100 + r, 200 - r);
    QTest::newRow("across 0: east to south") << 0.0 << 3 * CVPI / 2 << CVPoint(100 + r, 200 - r);
    QTest::newRow("half circle keeps the bisector") << 0.0 << CVPI << CVPoint(100, 210);
}

void TestSectionBuilder::intermediatePoint()
{
    QFETCH(double, angle1);
    QFETCH(double, angle2);
    QFETCH(CVPoint, expected);
    NetworkFixture f;
    f.centre(4, 100, 200, 10);
    CVPoint point(-1, -1, -1);
    f.probe.createIntermediatePoint(angle1, angle2, 4, &point);
    QVERIFY(near(point, expected));
}

void TestSectionBuilder::arcSection()
{
    // A quarter circle of radius 50 about (0, 0) from (50, 0) to (0, 50),
    // counter-clockwise, the road continuing at both ends (0.7 m cuts).
    NetworkFixture f;
    f.centre(1, 0, 0, 50);
    f.node("X", 50, -100);
    f.node("A", 50, 0);
    f.node("B", 0, 50);
    f.node("Y", -100, 50);
    f.link("X", "A");
    f.link("B", "Y");
    ParamicsLink* arc = f.link("A", "B", 1, 3.5);
    arc->arcCentre = 1;
    f.link("B", "A")->barred = true;
    f.probe.updateLinks();
    f.probe.createLinks();
    CVSection* section = f.section("A:B");
    const CVPoints& points = section->getPoints();
    QCOMPARE(section->getCurveType(), int(CVBezierCurve::PointList));
    QVERIFY2(points.size() == 3, describe(points).constData());
    const double r = 50 * std::sqrt(0.5);
    QVERIFY(near(points[1], CVPoint(r, r)));
    // The ends are 0.7 m along the chords from the nodes.
    QVERIFY(std::fabs(points[0].distance2D(CVPoint(50, 0)) - 0.7) < 1e-5);
    QVERIFY(std::fabs(points[0].distance2D(points[1]) + 0.7 - CVPoint(50, 0).distance2D(points[1])) < 1e-5);
    QVERIFY(std::fabs(points[2].distance2D(CVPoint(0, 50)) - 0.7) < 1e-5);

    // With the opposite direction open (no width: 3.0 m of the default
    // category), both halves move 1.5 m + 0.25 m outwards, to the right of
    // the counter-clockwise way round.
    f.record("B:A")->barred = false;
    f.probe.updateLinks();
    f.probe.createLinks();
    const CVPoints& shifted = f.section("A:B")->getPoints();
    QVERIFY2(shifted.size() == 3, describe(shifted).constData());
    const CVSegment firstHalf = CVSegment(CVPoint(50, 0), CVPoint(r, r)).parallelDist(0, 1.5 + 0.25);
    QVERIFY(near(shifted[1], firstHalf.p2));
    QVERIFY(CVPoint(0, 0).distance2D(shifted[1]) > 50.0);
}

void TestSectionBuilder::arcWithMissingCentreIsStraight()
{
    NetworkFixture f;
    continuingRoad(f);
    ParamicsLink* link = f.link("A", "B", 1, 3.0);
    link->arcCentre = 8;
    link->twoWay = false;
    f.probe.createLinks();
    const CVPoints& points = f.section("A:B")->getPoints();
    QVERIFY2(points.size() == 2 && near(points[0], CVPoint(0.7, 0)) && near(points[1], CVPoint(99.3, 0)),
             describe(points).constData());
}

void TestSectionBuilder::barredLinkHasNoSection()
{
    NetworkFixture f;
    f.node("A", 0, 0);
    f.node("B", 100, 0);
    ParamicsLink* link = f.link("A", "B");
    link->barred = true;
    const int objects = f.model->getCatalog()->size();
    f.probe.createLinks();
    QCOMPARE(link->sectionId, 0u);
    QCOMPARE(f.model->getCatalog()->size(), objects);
    QCOMPARE(f.probe.nodes().value("A")->sectionCount, 0);
}

void TestSectionBuilder::badInputGivesFinitePoints_data()
{
    QTest::addColumn<double>("bx");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");
    QTest::newRow("nodes at one place") << 0.0 << 3.0 << 0.0;
    QTest::newRow("infinite node position") << qInf() << 3.0 << 0.0;
    QTest::newRow("not-a-number width") << 100.0 << qQNaN() << 0.0;
    QTest::newRow("infinite width") << 100.0 << qInf() << 0.0;
    QTest::newRow("arc of infinite radius") << 100.0 << 3.0 << qInf();
    QTest::newRow("arc of zero radius") << 100.0 << 3.0 << -1.0;
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
    if (radius != 0.0) {
        f.centre(1, 50, 50, radius < 0 ? 0.0 : radius);
        link->arcCentre = 1;
    }
    f.probe.createLinks();
    CVSection* section = f.section("A:B");
    QVERIFY(section);
    QVERIFY(!section->getPoints().isEmpty());
    for (const CVPoint& p : section->getPoints())
        QVERIFY2(p.isFinite(), describe(section->getPoints()).constData());
    QVERIFY(std::isfinite(section->getLaneWidth()));
}

QTEST_GUILESS_MAIN(TestSectionBuilder)
#include "tst_sectionbuilder.moc"
