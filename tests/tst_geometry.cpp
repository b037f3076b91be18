// Plane geometry of the host: points, polylines, segments and curves, on
// values worked out by hand.

#include <cvbeziercurve.h>
#include <cvpoints.h>
#include <cvsegment.h>

#include <QtTest>

Q_DECLARE_METATYPE(CVPoint)

namespace {

constexpr double Tolerance = 1e-9;

bool near(const CVPoint& a, const CVPoint& b, double tolerance = Tolerance)
{
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance && std::fabs(a.z - b.z) < tolerance;
}

QByteArray describe(const CVPoints& points)
{
    QByteArray text;
    for (const CVPoint& p : points)
        text += "(" + QByteArray::number(p.x) + ", " + QByteArray::number(p.y) + ", " + QByteArray::number(p.z) + ") ";
    return text;
}

void compareLines(const CVPoints& actual, const CVPoints& expected)
{
    QVERIFY2(actual.size() == expected.size(), describe(actual).constData());
    for (int i = 0; i < actual.size(); ++i)
        QVERIFY2(near(actual[i], expected[i]), describe(actual).constData());
}

// An L: 10 m east, then 5 m north.
CVPoints lShape()
{
    return CVPoints{CVPoint(0, 0), CVPoint(10, 0), CVPoint(10, 5)};
}

}  // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void horizontalAngle_data();
    void horizontalAngle();
    void distanceIgnoresHeight();
    void angleBetweenLines_data();
    void angleBetweenLines();
    void segmentPointAtDist_data();
    void segmentPointAtDist();
    void segmentParallelDist_data();
    void segmentParallelDist();
    void length2D();
    void pointAtPos_data();
    void pointAtPos();
    void posAtPoint_data();
    void posAtPoint();
    void cut_data();
    void cut();
    void rightArea_data();
    void rightArea();
    void emptyPolylines();
    void curveDrawnThroughItsPoints();
};

void TestGeometry::horizontalAngle_data()
{
    QTest::addColumn<CVPoint>("to");
    QTest::addColumn<double>("angle");
    QTest::newRow("east") << CVPoint(5, 2) << 0.0;
    QTest::newRow("north") << CVPoint(2, 5) << CVPI / 2;
    QTest::newRow("west is pi, not -pi") << CVPoint(-1, 2) << CVPI;
    QTest::newRow("south") << CVPoint(2, -3) << -CVPI / 2;
    QTest::newRow("north-east") << CVPoint(4, 4) << CVPI / 4;
    QTest::newRow("south-west") << CVPoint(0, 0) << -3 * CVPI / 4;
}

void TestGeometry::horizontalAngle()
{
    QFETCH(CVPoint, to);
    QFETCH(double, angle);
    QVERIFY(std::fabs(CVPoint(2, 2).getAngleHorizontalInRads(to) - angle) < Tolerance);
}

void TestGeometry::distanceIgnoresHeight()
{
    QCOMPARE(CVPoint(1, 1, 0).distance2D(CVPoint(4, 5, 30)), 5.0);
}

void TestGeometry::angleBetweenLines_data()
{
    // A link arriving northwards at (0, 0) from (0, -10), as the turning
    // order sees it: from the way back to the way on.
    QTest::addColumn<CVPoint>("next");
    QTest::addColumn<double>("angle");
    QTest::newRow("right turn") << CVPoint(10, 0) << CVPI / 2;
    QTest::newRow("straight on") << CVPoint(0, 10) << CVPI;
    QTest::newRow("left turn") << CVPoint(-10, 0) << -CVPI / 2;
    QTest::newRow("u-turn") << CVPoint(0, -7) << 0.0;
    QTest::newRow("no direction") << CVPoint(0, 0) << 0.0;
}

void TestGeometry::angleBetweenLines()
{
    QFETCH(CVPoint, next);
    QFETCH(double, angle);
    const CVPoint p1(0, -10), p2(0, 0);
    QVERIFY(std::fabs(CVPoints::angleBetweenLines(p2, p1, p2, next) - angle) < Tolerance);
}

void TestGeometry::segmentPointAtDist_data()
{
    QTest::addColumn<CVPoint>("start");
    QTest::addColumn<CVPoint>("end");
    QTest::addColumn<double>("distance");
    QTest::addColumn<CVPoint>("expected");
    QTest::newRow("inside") << CVPoint(0, 0) << CVPoint(10, 0) << 3.0 << CVPoint(3, 0);
    QTest::newRow("before the start") << CVPoint(0, 0) << CVPoint(10, 0) << -2.0 << CVPoint(-2, 0);
    QTest::newRow("past the end") << CVPoint(0, 0) << CVPoint(10, 0) << 12.0 << CVPoint(12, 0);
    QTest::newRow("plane distance, height follows") << CVPoint(0, 0, 0) << CVPoint(3, 4, 10) << 2.5
                                                    << CVPoint(1.5, 2, 5);
    QTest::newRow("no length") << CVPoint(7, 7) << CVPoint(7, 7) << 3.0 << CVPoint(7, 7);
}

void TestGeometry::segmentPointAtDist()
{
    QFETCH(CVPoint, start);
    QFETCH(CVPoint, end);
    QFETCH(double, distance);
    QFETCH(CVPoint, expected);
    CVSegment segment;
    segment.set(start, end);
    QVERIFY(near(segment.pointAtDist(distance), expected));
}

void TestGeometry::segmentParallelDist_data()
{
    QTest::addColumn<CVPoint>("start");
    QTest::addColumn<CVPoint>("end");
    QTest::addColumn<double>("distance");
    QTest::addColumn<CVPoint>("newStart");
    QTest::addColumn<CVPoint>("newEnd");
    QTest::newRow("east, right is south") << CVPoint(0, 0) << CVPoint(10, 0) << 2.0 << CVPoint(0, -2) << CVPoint(10, -2);
    QTest::newRow("east, left is north") << CVPoint(0, 0) << CVPoint(10, 0) << -2.0 << CVPoint(0, 2) << CVPoint(10, 2);
    QTest::newRow("north, right is east") << CVPoint(0, 0) << CVPoint(0, 10) << 1.0 << CVPoint(1, 0) << CVPoint(1, 10);
    QTest::newRow("diagonal 3-4-5") << CVPoint(0, 0) << CVPoint(3, 4) << 5.0 << CVPoint(4, -3) << CVPoint(7, 1);
    QTest::newRow("no length stays") << CVPoint(1, 1) << CVPoint(1, 1) << 5.0 << CVPoint(1, 1) << CVPoint(1, 1);
}

void TestGeometry::segmentParallelDist()
{
    QFETCH(CVPoint, start);
    QFETCH(CVPoint, end);
    QFETCH(double, distance);
    QFETCH(CVPoint, newStart);
    QFETCH(CVPoint, newEnd);
    const CVSegment moved = CVSegment(start, end).parallelDist(0, distance);
    QVERIFY(near(moved.p1, newStart));
    QVERIFY(near(moved.p2, newEnd));
    QVERIFY(std::fabs(moved.getLength2D() - CVSegment(start, end).getLength2D()) < Tolerance);
}

void TestGeometry::length2D()
{
    QCOMPARE(lShape().length2D(false), 15.0);
    QVERIFY(std::fabs(lShape().length2D(true) - (15.0 + std::hypot(10.0, 5.0))) < Tolerance);
    QCOMPARE((CVPoints{CVPoint(0, 0, 0), CVPoint(3, 4, 100)}).length2D(), 5.0);
}

void TestGeometry::pointAtPos_data()
{
    QTest::addColumn<double>("pos");
    QTest::addColumn<CVPoint>("expected");
    QTest::newRow("start") << 0.0 << CVPoint(0, 0);
    QTest::newRow("first piece") << 4.0 << CVPoint(4, 0);
    QTest::newRow("corner") << 10.0 << CVPoint(10, 0);
    QTest::newRow("second piece") << 12.0 << CVPoint(10, 2);
    QTest::newRow("end") << 15.0 << CVPoint(10, 5);
    QTest::newRow("past the end is clamped") << 20.0 << CVPoint(10, 5);
    QTest::newRow("before the start is clamped") << -3.0 << CVPoint(0, 0);
}

void TestGeometry::pointAtPos()
{
    QFETCH(double, pos);
    QFETCH(CVPoint, expected);
    QVERIFY(near(lShape().pointAtPos(pos, false), expected));
}

void TestGeometry::posAtPoint_data()
{
    QTest::addColumn<CVPoint>("point");
    QTest::addColumn<double>("pos");
    QTest::newRow("beside the first piece") << CVPoint(4, 3) << 4.0;
    QTest::newRow("beside the second piece") << CVPoint(12, 2) << 12.0;
    QTest::newRow("behind the start") << CVPoint(-5, -5) << 0.0;
    QTest::newRow("beyond the end") << CVPoint(20, 20) << 15.0;
    QTest::newRow("on the line") << CVPoint(10, 3.5) << 13.5;
    QTest::newRow("far away still answers") << CVPoint(5, -400) << 5.0;
}

void TestGeometry::posAtPoint()
{
    QFETCH(CVPoint, point);
    QFETCH(double, pos);
    QVERIFY(std::fabs(lShape().posAtPoint(point, 40.0, false) - pos) < Tolerance);
}

void TestGeometry::cut_data()
{
    QTest::addColumn<double>("pos");
    QTest::addColumn<CVPoints>("first");
    QTest::addColumn<CVPoints>("second");
    QTest::newRow("inside a piece") << 4.0 << CVPoints{CVPoint(0, 0), CVPoint(4, 0)}
                                    << CVPoints{CVPoint(4, 0), CVPoint(10, 0), CVPoint(10, 5)};
    QTest::newRow("at a corner, not repeated") << 10.0 << CVPoints{CVPoint(0, 0), CVPoint(10, 0)}
                                               << CVPoints{CVPoint(10, 0), CVPoint(10, 5)};
    QTest::newRow("at the start") << 0.0 << CVPoints{CVPoint(0, 0)} << lShape();
    QTest::newRow("past the end") << 99.0 << lShape() << CVPoints{CVPoint(10, 5)};
}

void TestGeometry::cut()
{
    QFETCH(double, pos);
    QFETCH(CVPoints, first);
    QFETCH(CVPoints, second);
    CVPoints a, b;
    lShape().cut(pos, a, b);
    compareLines(a, first);
    compareLines(b, second);
}

void TestGeometry::rightArea_data()
{
    QTest::addColumn<CVPoint>("point");
    QTest::addColumn<bool>("right");
    QTest::newRow("south of the eastward piece") << CVPoint(5, -1) << true;
    QTest::newRow("north of the eastward piece") << CVPoint(5, 1) << false;
    QTest::newRow("east of the northward piece") << CVPoint(11, 3) << true;
    QTest::newRow("west of the northward piece, nearest to it") << CVPoint(9, 3) << false;
    QTest::newRow("on the line is not right") << CVPoint(5, 0) << false;
}

void TestGeometry::rightArea()
{
    QFETCH(CVPoint, point);
    QFETCH(bool, right);
    QCOMPARE(lShape().isPointAtRightArea(point), right);
}

void TestGeometry::emptyPolylines()
{
    const CVPoints empty;
    QCOMPARE(empty.length2D(), 0.0);
    QVERIFY(near(empty.pointAtPos(3.0), CVPoint()));
    QCOMPARE(empty.posAtPoint(CVPoint(1, 1)), 0.0);
    QVERIFY(!empty.isPointAtRightArea(CVPoint(1, 1)));
    const CVPoints single{CVPoint(2, 3)};
    QVERIFY(near(single.pointAtPos(1.0), CVPoint(2, 3)));
    QVERIFY(!single.isPointAtRightArea(CVPoint(2, 0)));
}

void TestGeometry::curveDrawnThroughItsPoints()
{
    CVBezierCurve curve(nullptr, nullptr);
    const CVPoints points{CVPoint(50, 0), CVPoint(35, 35), CVPoint(0, 50)};
    curve.setFromPoints(points, CVBezierCurve::PointList);
    QCOMPARE(curve.getPoints(), points);
    const CVPoints drawn = curve.drawingPoints(8);
    QCOMPARE(drawn.size(), 17);
    QVERIFY(near(drawn[0], points[0]));
    QVERIFY(near(drawn[8], points[1]));
    QVERIFY(near(drawn[16], points[2]));
    // Between two points the curve bows outwards, away from the centre of
    // the arc that the three points lie on, beyond the straight chord.
    const CVPoint centre(0, 0);
    QVERIFY(centre.distance2D(drawn[4]) > centre.distance2D(CVPoint(42.5, 17.5)));

    curve.setFromSegment(CVPoint(0, 0), CVPoint(5, 0), CVBezierCurve::Segment);
    QCOMPARE(curve.drawingPoints(8).size(), 2);
    QCOMPARE(curve.length2D(), 5.0);
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
