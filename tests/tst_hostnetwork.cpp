// Host sections, nodes and turnings: lanes, lane queries, turning lists and
// counts, turning angles and paths, copies and the saved fields.

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <memory>

using LaneRange = QPair<int, int>;

class TestHostNetwork : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void laneCountColumn();
    void lanesAtPosition_data();
    void lanesAtPosition();
    void fullLaneCountKeepsSideLanes();
    void removingLanes();
    void cloneCopiesEverythingButIdentity();
    void roadTypeDefaults();
    void turningListsAndLaneCounts();
    void laneRangesAreOrdered();
    void turningAngle_data();
    void turningAngle();
    void turningPathJoinsLaneMiddles();
    void turningSpeed();
    void savedFields();

private:
    CVSection* section(const CVPoint& from, const CVPoint& to, int lanes, double laneWidth = 3.5);
    CVTurning* turning(CVNode* node, CVSection* origin, CVSection* destination, LaneRange originLanes,
                       LaneRange destinationLanes);

    std::unique_ptr<CVModel> model;
};

void TestHostNetwork::init()
{
    model.reset(CVSystem::getSystem().createModel());
}

void TestHostNetwork::cleanup()
{
    model.reset();
}

CVSection* TestHostNetwork::section(const CVPoint& from, const CVPoint& to, int lanes, double laneWidth)
{
    auto* s = static_cast<CVSection*>(CVSystem::getSystem().newObject(QStringLiteral("CVSection"), model.get()));
    s->setDataValue(CVSection::laneWidthColumn(), laneWidth);
    s->setDataValue(CVSection::nbLanesColumn(), lanes);
    s->setFromSegment(from, to, CVBezierCurve::Segment);
    return s;
}

CVTurning* TestHostNetwork::turning(CVNode* node, CVSection* origin, CVSection* destination, LaneRange originLanes,
                                    LaneRange destinationLanes)
{
    auto* t = static_cast<CVTurning*>(CVSystem::getSystem().newObject(QStringLiteral("CVTurning"), model.get()));
    t->setSections(origin, destination);
    t->setOriginLanes(originLanes.first, originLanes.second);
    t->setDestinationLanes(destinationLanes.first, destinationLanes.second);
    node->addTurning(t, true, true);
    return t;
}

void TestHostNetwork::laneCountColumn()
{
    CVSection* s = section(CVPoint(0, 0), CVPoint(100, 0), 3);
    QCOMPARE(s->getNbFullLanes(), 3);
    QCOMPARE(s->getDataValueInt(CVSection::nbLanesColumn(), CVContext::anyContext), 3);
    QCOMPARE(s->getDataValue(QStringLiteral("CVSection::nblanesAtt")).toInt(), 3);
    s->addLane(CVSectionLane(0.0, 20.0), -1);
    // Reading counts side lanes too; full lanes are those that run through.
    QCOMPARE(s->getDataValueInt(CVSection::nbLanesColumn()), 4);
    QCOMPARE(s->getNbFullLanes(), 3);
    s->setDataValue(CVSection::nbLanesColumn(), -2);
    QCOMPARE(s->getNbFullLanes(), 0);
    QCOMPARE(s->getLaneWidth(), 3.5);
}

void TestHostNetwork::lanesAtPosition_data()
{
    // A 100 m section of 2 full lanes with one entrance lane of 20 m.
    QTest::addColumn<int>("side");  // where the entrance lane goes: 0 left, -1 right
    QTest::addColumn<double>("pos");
    QTest::addColumn<LaneRange>("lanes");
    QTest::newRow("right, at the start") << -1 << 0.0 << LaneRange(0, 2);
    QTest::newRow("right, at its end") << -1 << 20.0 << LaneRange(0, 2);
    QTest::newRow("right, past it") << -1 << 20.5 << LaneRange(0, 1);
    QTest::newRow("right, at the end") << -1 << 100.0 << LaneRange(0, 1);
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
}

void TestHostNetwork::fullLaneCountKeepsSideLanes()
{
    CVSection* s = section(CVPoint(0, 0), CVPoint(100, 0), 2);
    s->addLane(CVSectionLane(0.0, 30.0), 0);
    s->addLane(CVSectionLane(0.0, 10.0), -1);
    s->setDataValue(CVSection::nbLanesColumn(), 3);
    QCOMPARE(s->getNbLanes(), 5);
    QCOMPARE(s->getLanes().first(), CVSectionLane(0.0, 30.0));
    QCOMPARE(s->getLanes().last(), CVSectionLane(0.0, 10.0));
    s->setDataValue(CVSection::nbLanesColumn(), 1);
    QCOMPARE(s->getNbLanes(), 3);
    QCOMPARE(s->getLanes().first(), CVSectionLane(0.0, 30.0));
    QVERIFY(s->getLanes()[1].isFullLane());
    QCOMPARE(s->getLanesAtPos(50.0), LaneRange(1, 1));
    QCOMPARE(section(CVPoint(0, 0), CVPoint(1, 0), 0)->getLanesAtPos(0.0), LaneRange(0, -1));
}

void TestHostNetwork::removingLanes()
{
    CVSection* s = section(CVPoint(0, 0), CVPoint(100, 0), 2);
    s->addLane(CVSectionLane(0.0, 30.0), 0);
    s->addLane(CVSectionLane(0.0, 10.0), -1);
    s->removeLane(0);
    QCOMPARE(s->getNbLanes(), 3);
    QVERIFY(s->getLanes().first().isFullLane());
    s->removeLastLane();
    QCOMPARE(s->getNbLanes(), 2);
    QCOMPARE(s->getNbFullLanes(), 2);
    s->removeLane(7);
    s->removeLane(-1);
    QCOMPARE(s->getNbLanes(), 2);
}

void TestHostNetwork::cloneCopiesEverythingButIdentity()
{
    auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get()));
    CVSection* s = section(CVPoint(0, 0), CVPoint(100, 0), 2, 3.25);
    s->setName(QStringLiteral("N1_N2"));
    s->setDataValue(CVSection::speedColumn(), 70.0);
    s->setRoadType(static_cast<CVRoadType*>(model->getCatalog()->find(QStringLiteral("Freeway"))), false);
    s->setOrigin(node);
    s->addLane(CVSectionLane(0.0, 15.0), -1);
    CVSection* copy = s->clone();
    QVERIFY(copy && copy != s);
    QVERIFY(copy->getId() != s->getId());
    QCOMPARE(model->getCatalog()->find(copy->getId()), copy);
    QCOMPARE(copy->getName(), s->getName());
    QCOMPARE(copy->getSpeed(), 70.0);
    QCOMPARE(copy->getLaneWidth(), 3.25);
    QCOMPARE(copy->getLanes(), s->getLanes());
    QCOMPARE(copy->getPoints(), s->getPoints());
    QCOMPARE(copy->getRoadType(), s->getRoadType());
    QCOMPARE(copy->getOrigin(), node);
    QVERIFY(!copy->getLayer());
    copy->removeLastLane();
    QCOMPARE(s->getNbLanes(), 3);
}

void TestHostNetwork::roadTypeDefaults()
{
    auto* type = static_cast<CVRoadType*>(model->getCatalog()->find(QStringLiteral("Arterial")));
    type->setSpeed(80.0);
    type->setLaneWidth(3.75);
    CVSection* s = section(CVPoint(0, 0), CVPoint(10, 0), 1, 3.0);
    s->setRoadType(type, false);
    QCOMPARE(s->getLaneWidth(), 3.0);
    s->setRoadType(type, true);
    QCOMPARE(s->getLaneWidth(), 3.75);
    QCOMPARE(s->getSpeed(), 80.0);
}

void TestHostNetwork::turningListsAndLaneCounts()
{
    // A 3-lane section arrives at a node; one 2-lane section leaves ahead,
    // one 1-lane section leaves to the right.
    auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get()));
    CVSection* in = section(CVPoint(0, -100), CVPoint(0, -10), 3);
    CVSection* ahead = section(CVPoint(0, 10), CVPoint(0, 100), 2);
    CVSection* right = section(CVPoint(10, 0), CVPoint(100, 0), 1);
    CVTurning* straight = turning(node, in, ahead, {0, 1}, {0, 1});
    CVTurning* turnRight = turning(node, in, right, {1, 2}, {0, 0});
    node->addTurning(straight, false, false);  // listed once

    QCOMPARE(node->getTurnings().size(), 2);
    QCOMPARE(straight->getNode(), node);
    QCOMPARE(node->getFromTurnings(in), (QVector<CVTurning*>{straight, turnRight}));
    QVERIFY(node->getFromTurnings(ahead).isEmpty());
    QCOMPARE(node->getToTurnings(right), QVector<CVTurning*>{turnRight});
    QVERIFY(node->getToTurnings(nullptr).isEmpty());

    QCOMPARE(node->getNumberDestinationLinks(in, 0), 1);
    QCOMPARE(node->getNumberDestinationLinks(in, 1), 2);
    QCOMPARE(node->getNumberDestinationLinks(in, 2), 1);
    QCOMPARE(node->getNumberDestinationLinks(in, 3), 0);
    QCOMPARE(node->getNumberOriginLinks(ahead, 1), 1);
    QCOMPARE(node->getNumberOriginLinks(right, 0), 1);
    QCOMPARE(node->getNumberOriginLinks(right, 1), 0);
    QCOMPARE(node->getNumberOriginLinks(in, 0), 0);

    // A turning moved to start on another section leaves the first one's list.
    turnRight->setOrigin(ahead);
    QCOMPARE(node->getFromTurnings(in), QVector<CVTurning*>{straight});
    node->removeTurning(straight);
    QVERIFY(node->getFromTurnings(in).isEmpty());
}

void TestHostNetwork::laneRangesAreOrdered()
{
    auto* t = static_cast<CVTurning*>(CVSystem::getSystem().newObject(QStringLiteral("CVTurning"), model.get()));
    t->setOriginLanes(2, 1);
    t->setDestinationLanes(0, 3);
    QCOMPARE(LaneRange(t->getOriginFromLane(), t->getOriginToLane()), LaneRange(1, 2));
    QCOMPARE(LaneRange(t->getDestinationFromLane(), t->getDestinationToLane()), LaneRange(0, 3));
}

void TestHostNetwork::turningAngle_data()
{
    // Arriving northwards at the node (0, 0).
    QTest::addColumn<CVPoint>("leaveFrom");
    QTest::addColumn<CVPoint>("leaveTo");
    QTest::addColumn<double>("angle");
    QTest::newRow("straight on") << CVPoint(0, 10) << CVPoint(0, 50) << 0.0;
    QTest::newRow("right turn is negative") << CVPoint(10, 0) << CVPoint(50, 0) << -CVPI / 2;
    QTest::newRow("left turn is positive") << CVPoint(-10, 0) << CVPoint(-50, 0) << CVPI / 2;
    QTest::newRow("half right") << CVPoint(10, 10) << CVPoint(20, 20) << -CVPI / 4;
    QTest::newRow("back") << CVPoint(5, -10) << CVPoint(5, -50) << CVPI;
}

void TestHostNetwork::turningAngle()
{
    QFETCH(CVPoint, leaveFrom);
    QFETCH(CVPoint, leaveTo);
    QFETCH(double, angle);
    auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get()));
    // The origin bends before its end: only its last piece counts.
    CVSection* in = section(CVPoint(-40, -80), CVPoint(0, -10), 1);
    in->setFromPoints(CVPoints{CVPoint(-40, -80), CVPoint(0, -40), CVPoint(0, -10)}, CVBezierCurve::PointList);
    CVTurning* t = turning(node, in, section(leaveFrom, leaveTo, 1), {0, 0}, {0, 0});
    QVERIFY(std::fabs(t->calcAngleSections() - angle) < 1e-9);
}

void TestHostNetwork::turningPathJoinsLaneMiddles()
{
    auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get()));
    // Two lanes of 3.5 m northwards, centred on x = 0: lane 0 is the
    // western one, its middle at x = -1.75. Three lanes of 3 m eastwards,
    // centred on y = 0: lanes 1 to 2 have their middle 1.5 m south.
    CVSection* in = section(CVPoint(0, -100), CVPoint(0, -10), 2, 3.5);
    CVSection* out = section(CVPoint(10, 0), CVPoint(100, 0), 3, 3.0);
    CVTurning* t = turning(node, in, out, {0, 0}, {1, 2});
    const CVPoints& path = t->getPath();
    QVERIFY(path.size() > 2);
    QVERIFY(path.first().distance2D(CVPoint(-1.75, -10)) < 1e-9);
    QVERIFY(path.last().distance2D(CVPoint(10, -1.5)) < 1e-9);
    for (const CVPoint& p : path)
        QVERIFY(p.isFinite());
    // Leaving northwards, arriving eastwards.
    QVERIFY(path[1].y - path[0].y > std::fabs(path[1].x - path[0].x));
    QVERIFY(path[path.size() - 1].x > path[path.size() - 2].x);

    t->updatePath(false);
    t->curve();
    QVERIFY(t->getPath().first().distance2D(CVPoint(0, -10)) < 1e-9);
    QVERIFY(t->getPath().last().distance2D(CVPoint(10, 0)) < 1e-9);
}

void TestHostNetwork::turningSpeed()
{
    auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get()));
    CVSection* in = section(CVPoint(0, -100), CVPoint(0, -10), 1);
    CVSection* ahead = section(CVPoint(0, 10), CVPoint(0, 100), 1);
    CVSection* right = section(CVPoint(10, 0), CVPoint(100, 0), 1);
    in->setDataValue(CVSection::speedColumn(), 60.0);
    ahead->setDataValue(CVSection::speedColumn(), 40.0);
    CVTurning* straight = turning(node, in, ahead, {0, 0}, {0, 0});
    CVTurning* turnRight = turning(node, in, right, {0, 0}, {0, 0});
    QVERIFY(straight->isAutoSpeed());
    QCOMPARE(straight->calculateSpeed(), 40.0);
    // No speed on the right section: 50 counts; a right angle keeps cos 45°.
    QVERIFY(std::fabs(turnRight->calculateSpeed() - 50.0 * std::sqrt(0.5)) < 1e-9);
}

void TestHostNetwork::savedFields()
{
    auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get()));
    node->setPosition(CVPoint(1, 2, 3));
    CVSection* in = section(CVPoint(0, -100), CVPoint(0, -10), 2);
    in->setDestination(node);
    in->setRoadType(static_cast<CVRoadType*>(model->getCatalog()->find(QStringLiteral("Urban Road"))), false);
    in->setDataValue(CVSection::speedColumn(), 60.0);
    CVSection* out = section(CVPoint(10, 0), CVPoint(100, 0), 1);
    CVTurning* t = turning(node, in, out, {1, 1}, {0, 0});
    t->setWarningIndicator(2);

    QJsonObject json;
    in->writeFields(json);
    QCOMPARE(json.value("origin"), QJsonValue());
    QCOMPARE(json.value("destination").toInteger(), qint64(node->getId()));
    QCOMPARE(json.value("roadType").toString(), QStringLiteral("Urban Road"));
    QCOMPARE(json.value("speed").toDouble(), 60.0);
    QCOMPARE(json.value("laneWidth").toDouble(), 3.5);
    QCOMPARE(json.value("nbLanes").toInt(), 2);
    QCOMPARE(json.value("points").toArray().first().toArray(), (QJsonArray{0.0, -100.0, 0.0}));

    QJsonObject nodeJson;
    node->writeFields(nodeJson);
    QCOMPARE(nodeJson.value("position").toArray(), (QJsonArray{1.0, 2.0, 3.0}));
    QCOMPARE(nodeJson.value("yellowBox").toBool(true), false);

    QJsonObject turningJson;
    t->writeFields(turningJson);
    QCOMPARE(turningJson.value("node").toInteger(), qint64(node->getId()));
    QCOMPARE(turningJson.value("origin").toInteger(), qint64(in->getId()));
    QCOMPARE(turningJson.value("destination").toInteger(), qint64(out->getId()));
    QCOMPARE(turningJson.value("originLanes").toArray(), (QJsonArray{1, 1}));
    QCOMPARE(turningJson.value("destinationLanes").toArray(), (QJsonArray{0, 0}));
    QCOMPARE(turningJson.value("warningIndicator").toInt(), 2);
}

QTEST_GUILESS_MAIN(TestHostNetwork)
#include "tst_hostnetwork.moc"
