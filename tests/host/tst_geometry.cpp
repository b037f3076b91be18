// Plane geometry of the host on values worked out by hand.

#include <cvbeziercurve.h>
#include <cvpoints.h>
#include <cvsegment.h>

#include <QtTest>

Q_DECLARE_METATYPE(CVPoint)

namespace {

bool near(const CVPoint& a, const CVPoint& b)
{
    return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9 && std::fabs(a.z - b.z) < 1e-9;
}

bool near(const CVPoints& a, const CVPoints& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (!near(a[i], b[i]))
            return false;
    }
    return true;
}

// An L: 10 m east, then 5 m north.
const CVPoints L{CVPoint(0, 0), CVPoint(10, 0), CVPoint(10, 5)};

}  // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void angles_data();
    void angles();
    void segment_data();
    void segment();
    void positionsAlongLine_data();
    void positionsAlongLine();
    void cut_data();
    void cut();
    void rightArea_data();
    void rightArea();
    void lengthsAndDegenerateLines();
};

void TestGeometry::angles_data()
{
    // The way on from (0, 0) for a link that arrives there northwards from
    // (0, -10); also the horizontal angle of that way.
    QTest::addColumn<CVPoint>("next");
    QTest::addColumn<double>("turn");
    QTest::addColumn<double>("horizontal");
    QTest::newRow("right") << CVPoint(10, 0) << CVPI / 2 << 0.0;
    QTest::newRow("straight on") << CVPoint(0, 10) << CVPI << CVPI / 2;
    QTest::newRow("left: west is pi, not -pi") << CVPoint(-10, 0) << -CVPI / 2 << CVPI;
    QTest::newRow("u-turn") << CVPoint(0, -7) << 0.0 << -CVPI / 2;
    QTest::newRow("half left back") << CVPoint(-4, -4) << -CVPI / 4 << -3 * CVPI / 4;
    QTest::newRow("no direction") << CVPoint(0, 0) << 0.0 << 0.0;
}

void TestGeometry::angles()
{
    QFETCH(CVPoint, next);
    QFETCH(double, turn);
    QFETCH(double, horizontal);
    const CVPoint from(0, -10), at(0, 0);
    QVERIFY(std::fabs(CVPoints::angleBetweenLines(at, from, at, next) - turn) < 1e-12);
    QVERIFY(std::fabs(at.getAngleHorizontalInRads(next) - horizontal) < 1e-12);
}

void TestGeometry::segment_data()
{
    QTest::addColumn<CVPoint>("start");
    QTest::addColumn<CVPoint>("end");
    QTest::addColumn<double>("distance");  // along, and sideways
    QTest::addColumn<CVPoint>("along");
    QTest::addColumn<CVPoint>("movedStart");
    QTest::addColumn<CVPoint>("movedEnd");
    QTest::newRow("east, right is south") << CVPoint(0, 0) << CVPoint(10, 0) << 2.0 << CVPoint(2, 0) << CVPoint(0, -2)
                                          << CVPoint(10, -2);
    QTest::newRow("east, negative goes back and left") << CVPoint(0, 0) << CVPoint(10, 0) << -2.0 << CVPoint(-2, 0)
                                                       << CVPoint(0, 2) << CVPoint(10, 2);
    QTest::newRow("north, past the end") << CVPoint(0, 0) << CVPoint(0, 10) << 12.0 << CVPoint(0, 12)
                                         << CVPoint(12, 0) << CVPoint(12, 10);
    QTest::newRow("3-4-5, height follows") << CVPoint(0, 0, 0) << CVPoint(3, 4, 10) << 5.0 << CVPoint(3, 4, 10)
                                           << CVPoint(4, -3, 0) << CVPoint(7, 1, 10);
    QTest::newRow("no length") << CVPoint(7, 7) << CVPoint(7, 7) << 3.0 << CVPoint(7, 7) << CVPoint(7, 7)
                               << CVPoint(7, 7);
}

void TestGeometry::segment()
{
    QFETCH(CVPoint, start);
    QFETCH(CVPoint, end);
    QFETCH(double, distance);
    QFETCH(CVPoint, along);
    QFETCH(CVPoint, movedStart);
    QFETCH(CVPoint, movedEnd);
    CVSegment segment;
    segment.set(start, end);
    QVERIFY(near(segment.pointAtDist(distance), along));
    const CVSegment moved = segment.parallelDist(0, distance);
    QVERIFY(near(moved.p1, movedStart) && near(moved.p2, movedEnd));
    QCOMPARE(moved.getLength2D(), start.distance2D(end));
}

void TestGeometry::positionsAlongLine_data()
{
    QTest::addColumn<double>("pos");
    QTest::addColumn<CVPoint>("point");
    QTest::addColumn<CVPoint>("beside");  // a point whose nearest place on L is at pos
    QTest::newRow("start") << 0.0 << CVPoint(0, 0) << CVPoint(-5, -5);
    QTest::newRow("first piece") << 4.0 << CVPoint(4, 0) << CVPoint(4, 3);
    QTest::newRow("corner") << 10.0 << CVPoint(10, 0) << CVPoint(13, -2);
    QTest::newRow("second piece") << 12.0 << CVPoint(10, 2) << CVPoint(12, 2);
    QTest::newRow("end") << 15.0 << CVPoint(10, 5) << CVPoint(20, 20);
    QTest::newRow("far away still answers") << 5.0 << CVPoint(5, 0) << CVPoint(5, -400);
}

void TestGeometry::positionsAlongLine()
{
    QFETCH(double, pos);
    QFETCH(CVPoint, point);
    QFETCH(CVPoint, beside);
    QVERIFY(near(L.pointAtPos(pos, false), point));
    QVERIFY(std::fabs(L.posAtPoint(beside, 40.0, false) - pos) < 1e-9);
    QVERIFY(std::fabs(L.posAtPoint(point, 40.0, false) - pos) < 1e-9);
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
    QTest::newRow("before the start") << -1.0 << CVPoints{CVPoint(0, 0)} << L;
    QTest::newRow("past the end") << 99.0 << L << CVPoints{CVPoint(10, 5)};
}

void TestGeometry::cut()
{
    QFETCH(double, pos);
    QFETCH(CVPoints, first);
    QFETCH(CVPoints, second);
    CVPoints a, b;
    L.cut(pos, a, b);
    QVERIFY(near(a, first));
    QVERIFY(near(b, second));
}

void TestGeometry::rightArea_data()
{
    QTest::addColumn<CVPoint>("point");
    QTest::addColumn<bool>("right");
    QTest::newRow("south of the eastward piece") << CVPoint(5, -1) << true;
    QTest::newRow("north of the eastward piece") << CVPoint(5, 1) << false;
    QTest::newRow("east of the northward piece") << CVPoint(11, 3) << true;
    QTest::newRow("inside the L, nearest to the northward piece") << CVPoint(9, 3) << false;
    QTest::newRow("on the line") << CVPoint(5, 0) << false;
}

void TestGeometry::rightArea()
{
    QFETCH(CVPoint, point);
    QFETCH(bool, right);
    QCOMPARE(L.isPointAtRightArea(point), right);
}

void TestGeometry::lengthsAndDegenerateLines()
{
    QCOMPARE(L.length2D(false), 15.0);
    QCOMPARE(L.length2D(true), 15.0 + std::hypot(10.0, 5.0));
    QCOMPARE((CVPoints{CVPoint(0, 0, 0), CVPoint(3, 4, 100)}).length2D(), 5.0);
    QCOMPARE(CVPoint(1, 1, 0).distance2D(CVPoint(4, 5, 30)), 5.0);
    const CVPoints empty, single{CVPoint(2, 3)};
    QVERIFY(near(empty.pointAtPos(3.0), CVPoint()));
    QCOMPARE(empty.posAtPoint(CVPoint(1, 1)), 0.0);
    QVERIFY(!empty.isPointAtRightArea(CVPoint(1, 1)) && !single.isPointAtRightArea(CVPoint(2, 0)));
    QVERIFY(near(single.pointAtPos(1.0), CVPoint(2, 3)));

    // A curve through three points is drawn through each of them, bowed
    // outwards beyond the chord, like the arc they lie on.
    CVBezierCurve curve(nullptr, nullptr);
    const CVPoints arc{CVPoint(50, 0), CVPoint(35, 35), CVPoint(0, 50)};
    curve.setFromPoints(arc, CVBezierCurve::PointList);
    const CVPoints drawn = curve.drawingPoints(8);
    QCOMPARE(drawn.size(), 17);
    QVERIFY(near(drawn[0], arc[0]) && near(drawn[8], arc[1]) && near(drawn[16], arc[2]));
    QVERIFY(CVPoint().distance2D(drawn[4]) > CVPoint().distance2D(CVPoint(42.5, 17.5)));
    curve.setFromSegment(CVPoint(0, 0), CVPoint(5, 0), CVBezierCurve::Segment);
    QCOMPARE(curve.drawingPoints(8).size(), 2);
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
