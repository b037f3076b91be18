// Host sections, nodes and turnings: lanes and lane queries, copies,
// turning lists and lane counts at a node, turning angles and paths.

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QtTest>

#include <memory>

using LaneRange = QPair<int, int>;
Q_DECLARE_METATYPE(CVPoint)

class TestHostNetwork : public QObject
{
    Q_OBJECT

private slots:
    void init() { model.reset(CVSystem::getSystem().createModel()); }
    void lanesAtPosition_data();
    void lanesAtPosition();
    void laneCountKeepsSideLanesAndCopies();
    void turningsAtNode();
    void turningAngle_data();
    void turningAngle();
    void turningPathJoinsLaneMiddles();

private:
    template <typename T>
    T* make(const char* type)
    {
        return static_cast<T*>(CVSystem::getSystem().newObject(QString::fromLatin1(type), model.get()));
    }
    CVSection* section(const CVPoint& from, const CVPoint& to, int lanes, double laneWidth = 3.5)
    {
        auto* s = make<CVSection>("CVSection");
        s->setDataValue(CVSection::laneWidthColumn(), laneWidth);
        s->setDataValue(CVSection::nbLanesColumn(), lanes);
        s->setFromSegment(from, to, CVBezierCurve::Segment);
        return s;
    }
    CVTurning* turning(CVNode* node, CVSection* origin, CVSection* destination, LaneRange from, LaneRange to)
    {
        auto* t = make<CVTurning>("CVTurning");
        t->setSections(origin, destination);
        t->setOriginLanes(from.first, from.second);
        t->setDestinationLanes(to.first, to.second);
        node->addTurning(t, true, true);
        return t;
    }

    std::unique_ptr<CVModel> model;
};

void TestHostNetwork::lanesAtPosition_data()
{
    // A 100 m section of 2 full lanes and a 20 m entrance lane on one side.
    QTest::addColumn<int>("side");  // 0 left, -1 right
    QTest::addColumn<double>("pos");
    QTest::addColumn<LaneRange>("lanes");
    QTest::newRow("right, at the start") << -1 << 0.0 << LaneRange(0, 2);
    QTest::newRow("right, at the lane's end") << -1 << 20.0 << LaneRange(0, 2);
    QTest::newRow("right, past it") << -1 << 20.5 << LaneRange(0, 1);
    QTest::newRow("left, at the start") << 0 << 0.0 << LaneRange(0, 2);
    QTest::newRow("left, past it") << 0 << 50.0 << LaneRange(1, 2);
}

void TestHostNetwork::lanesAtPosition()
{
    QFETCH(int, side);
    QFETCH(double, pos);
    QFETCH(LaneRange, lanes);
    CVSection* s = section(CVPoint(0, 0), CVPoint(100, 0), 2);
    s->addLane(CVSectionLane(0.0, 20.0), side);
    QCOMPARE(s->getLanesAtPos(pos), lanes);
    QCOMPARE(s->getEntryLanes(), LaneRange(0, 2));
    QCOMPARE(s->getExitLanes(), side == 0 ? LaneRange(1, 2) : LaneRange(0, 1));
    // Reading the lane count counts side lanes too.
    QCOMPARE(s->getDataValueInt(CVSection::nbLanesColumn(), CVContext::anyContext), 3);
    QCOMPARE(s->getNbFullLanes(), 2);
}

void TestHostNetwork::laneCountKeepsSideLanesAndCopies()
{
    CVSection* s = section(CVPoint(0, 0), CVPoint(100, 0), 2);
    s->addLane(CVSectionLane(0.0, 30.0), 0);
    s->addLane(CVSectionLane(0.0, 10.0), -1);
    s->setDataValue(CVSection::nbLanesColumn(), 3);
    QCOMPARE(s->getNbLanes(), 5);
    s->setDataValue(CVSection::nbLanesColumn(), 1);
    QCOMPARE(s->getLanes(), (QVector<CVSectionLane>{{0.0, 30.0}, {}, {0.0, 10.0}}));
    QCOMPARE(s->getLanesAtPos(50.0), LaneRange(1, 1));

    s->setName(QStringLiteral("N1_N2"));
    s->setDataValue(CVSection::speedColumn(), 70.0);
    CVSection* copy = s->clone();
    QVERIFY(copy->getId() != s->getId());
    QCOMPARE(model->getCatalog()->find(copy->getId()), copy);
    QCOMPARE(copy->getName(), s->getName());
    QCOMPARE(copy->getSpeed(), 70.0);
    QCOMPARE(copy->getLanes(), s->getLanes());
    QCOMPARE(copy->getPoints(), s->getPoints());
    copy->removeLastLane();
    copy->removeLane(0);
    copy->removeLane(5);
    QCOMPARE(copy->getNbLanes(), 1);
    QCOMPARE(s->getNbLanes(), 3);
    QCOMPARE(section(CVPoint(0, 0), CVPoint(1, 0), 0)->getExitLanes(), LaneRange(0, -1));
}

void TestHostNetwork::turningsAtNode()
{
    // A 3-lane section arrives northwards; 2 lanes leave ahead, 1 to the right.
    auto* node = make<CVNode>("CVNode");
    CVSection* in = section(CVPoint(0, -100), CVPoint(0, -10), 3);
    CVSection* ahead = section(CVPoint(0, 10), CVPoint(0, 100), 2);
    CVSection* right = section(CVPoint(10, 0), CVPoint(100, 0), 1);
    CVTurning* straight = turning(node, in, ahead, {0, 1}, {1, 0});
    CVTurning* turnRight = turning(node, in, right, {2, 1}, {0, 0});
    node->addTurning(straight, false, false);  // listed once
    QCOMPARE(node->getTurnings().size(), 2);
    QCOMPARE(LaneRange(turnRight->getOriginFromLane(), turnRight->getOriginToLane()), LaneRange(1, 2));
    QCOMPARE(node->getFromTurnings(in), (QVector<CVTurning*>{straight, turnRight}));
    QCOMPARE(node->getToTurnings(right), QVector<CVTurning*>{turnRight});
    const int leaving[] = {1, 2, 1, 0};
    for (int lane = 0; lane < 4; ++lane)
        QCOMPARE(node->getNumberDestinationLinks(in, lane), leaving[lane]);
    QCOMPARE(node->getNumberOriginLinks(ahead, 1), 1);
    QCOMPARE(node->getNumberOriginLinks(right, 1), 0);
    QCOMPARE(node->getNumberOriginLinks(in, 0), 0);
    // A turning moved to start on another section leaves the first one's list.
    turnRight->setOrigin(ahead);
    QCOMPARE(node->getFromTurnings(in), QVector<CVTurning*>{straight});
}

void TestHostNetwork::turningAngle_data()
{
    // Arriving northwards at (0, 0).
    QTest::addColumn<CVPoint>("leaveTo");
    QTest::addColumn<double>("angle");
    QTest::newRow("straight on") << CVPoint(0, 50) << 0.0;
    QTest::newRow("right turn is negative") << CVPoint(50, 0) << -CVPI / 2;
    QTest::newRow("left turn is positive") << CVPoint(-50, 0) << CVPI / 2;
    QTest::newRow("half right") << CVPoint(20, 20) << -CVPI / 4;
    QTest::newRow("back") << CVPoint(0, -50) << CVPI;
}

void TestHostNetwork::turningAngle()
{
    QFETCH(CVPoint, leaveTo);
    QFETCH(double, angle);
    // The origin bends before its end: only its last piece counts.
    CVSection* in = section(CVPoint(-40, -80), CVPoint(0, -10), 1);
    in->setFromPoints(CVPoints{CVPoint(-40, -80), CVPoint(0, -40), CVPoint(0, -10)}, CVBezierCurve::PointList);
    CVTurning* t = turning(make<CVNode>("CVNode"), in, section(CVPoint(0, 0), leaveTo, 1), {0, 0}, {0, 0});
    QVERIFY(std::fabs(t->calcAngleSections() - angle) < 1e-12);
    // Slower through sharper turns: cos of half the angle, of 50 km/h.
    QVERIFY(std::fabs(t->calculateSpeed() - std::max(10.0, 50 * std::cos(angle / 2))) < 1e-9);
}

void TestHostNetwork::turningPathJoinsLaneMiddles()
{
    // Two lanes of 3.5 m northwards centred on x = 0: lane 0, the western
    // one, has its middle at x = -1.75. Three lanes of 3 m eastwards centred
    // on y = 0: lanes 1 to 2 have their middle 1.5 m south.
    CVSection* in = section(CVPoint(0, -100), CVPoint(0, -10), 2, 3.5);
    CVSection* out = section(CVPoint(10, 0), CVPoint(100, 0), 3, 3.0);
    CVTurning* t = turning(make<CVNode>("CVNode"), in, out, {0, 0}, {1, 2});
    const CVPoints& path = t->getPath();
    QVERIFY(path.size() > 2);
    QVERIFY(path.first().distance2D(CVPoint(-1.75, -10)) < 1e-9);
    QVERIFY(path.last().distance2D(CVPoint(10, -1.5)) < 1e-9);
    // It leaves northwards and arrives eastwards.
    QVERIFY(path[1].y - path[0].y > std::fabs(path[1].x - path[0].x));
    QVERIFY(path.last().x - path[path.size() - 2].x > std::fabs(path.last().y - path[path.size() - 2].y));
    // Moving the ends leaves the drawn curve as it was until it is drawn
    // again.
    t->updatePath(false);
    QCOMPARE(t->getPath(), path);
    t->curve();
    QVERIFY(t->getPath().first().distance2D(CVPoint(0, -10)) < 1e-9);
    QCOMPARE(t->getPath().size(), path.size());
    QVERIFY(t->getBoundingBox().contains(t->getPath()[path.size() / 2]));
}

QTEST_GUILESS_MAIN(TestHostNetwork)
#include "tst_hostnetwork.moc"
