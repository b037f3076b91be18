// Repair of turning lane ranges on host objects made by hand: clamping to
// the lanes that exist, conflicts between leaving turnings, and lanes that
// no turning serves.

#include "networkfixture.h"

#include <QtTest>

#include <cmath>

using LaneRange = QPair<int, int>;
using Ranges = QVector<LaneRange>;

namespace {

// Node X at (0, 0). The approach runs east from (-100, 0) to X; the exits
// leave X straight on (east), to the left (north) and to the right (south).
struct Junction
{
    NetworkFixture f;
    CVNode* node = nullptr;
    CVSection* approach = nullptr;

    explicit Junction(int approachLanes, const QVector<CVSectionLane>& sideLanes = {})
    {
        node = newObject<CVNode>("CVNode");
        approach = section(CVPoint(-100, 0), CVPoint(0, 0), approachLanes);
        for (const CVSectionLane& lane : sideLanes)
            approach->addLane(lane, -1);
        approach->setDestination(node);
    }

    template <typename T>
    T* newObject(const char* type)
    {
        return dynamic_cast<T*>(CVSystem::getSystem().newObject(QString::fromLatin1(type), f.model, -1, true));
    }

    CVSection* section(const CVPoint& from, const CVPoint& to, int lanes)
    {
        auto* s = newObject<CVSection>("CVSection");
        s->setDataValue(CVSection::nbLanesColumn(), lanes);
        s->setFromSegment(from, to, 0);
        return s;
    }

    // 's'traight, 'l'eft or 'r'ight exit of `lanes` lanes.
    CVTurning* turning(char direction, LaneRange origin, LaneRange destination = {0, 0}, int lanes = 3)
    {
        const CVPoint end = direction == 's' ? CVPoint(100, 0) : CVPoint(0, direction == 'l' ? 100 : -100);
        CVSection* exit = section(CVPoint(0, 0), end, lanes);
        exit->setOrigin(node);
        auto* t = newObject<CVTurning>("CVTurning");
        t->setOrigin(approach);
        t->setDestination(exit);
        t->setSections(approach, exit);
        t->setNode(node);
        t->setOriginLanes(origin.first, origin.second);
        t->setDestinationLanes(destination.first, destination.second);
        node->addTurning(t, true, true);
        return t;
    }
};

LaneRange originOf(const CVTurning* t)
{
    return {t->getOriginFromLane(), t->getOriginToLane()};
}

LaneRange destinationOf(const CVTurning* t)
{
    return {t->getDestinationFromLane(), t->getDestinationToLane()};
}

// The repair of the turnings that leave a section done the plain way, on
// lane ranges: first every ordered pair of crossing turnings in list
// order, each pair read afresh; then every unserved lane given to the
// first of the straightest turnings.
void repairLeavingByAllPairs(Ranges& ranges, const QVector<double>& angles, int laneCount, LaneRange exitLanes)
{
    for (int a = 0; a < ranges.size(); ++a) {
        for (int b = 0; b < ranges.size(); ++b) {
            const unsigned int from1 = ranges[a].first, to1 = ranges[a].second;
            const unsigned int from2 = ranges[b].first, to2 = ranges[b].second;
            if (a == b || !(from1 <= from2 && from2 <= to1) || !(to1 - from2 + 1u > 1u || to2 - from1 + 1u > 1u))
                continue;
            const int moved = std::fabs(angles[b]) < std::fabs(angles[a]) ? a : b;
            const int lane = angles[moved] > 0.0 ? 0 : laneCount - 1;
            ranges[moved] = {lane, lane};
        }
    }
    for (int lane = 0; lane < laneCount; ++lane) {
        if (std::any_of(ranges.cbegin(), ranges.cend(),
                        [lane](const LaneRange& r) { return r.first <= lane && lane <= r.second; }))
            continue;
        int straightest = 0;
        for (int i = 1; i < ranges.size(); ++i) {
            if (std::fabs(angles[i]) < std::fabs(angles[straightest]))
                straightest = i;
        }
        LaneRange& r = ranges[straightest];
        r = {std::max(std::min(r.first, lane), exitLanes.first), std::min(std::max(r.second, lane), exitLanes.second)};
    }
}

// Many junctions like Junction's in one model, each approach with four
// turnings on lanes drawn from a fixed sequence (some beyond the lanes
// there are), two of them into the same exit: enough sections and
// turnings for the repair to be shared between two threads.
void buildJunctionField(NetworkFixture& f, int junctions)
{
    CVSystem& system = CVSystem::getSystem();
    const auto make = [&](const char* type) { return system.newObject(QString::fromLatin1(type), f.model, -1, true); };
    const auto section = [&](const CVPoint& from, const CVPoint& to, int lanes) {
        auto* s = static_cast<CVSection*>(make("CVSection"));
        s->setDataValue(CVSection::nbLanesColumn(), lanes);
        s->setFromSegment(from, to, 0);
        return s;
    };
    unsigned int draw = 12345;
    const auto next = [&draw](int below) {
        draw = draw * 1103515245u + 12345u;
        return int((draw >> 16) % unsigned(below));
    };
    for (int k = 0; k < junctions; ++k) {
        const double x = 1000.0 * (k % 40), y = 1000.0 * (k / 40);
        auto* node = static_cast<CVNode*>(make("CVNode"));
        CVSection* approach = section(CVPoint(x - 100, y), CVPoint(x, y), 1 + next(4));
        approach->setDestination(node);
        const CVPoint ends[] = {CVPoint(x + 100, y), CVPoint(x, y + 100), CVPoint(x, y - 100)};
        QVector<CVSection*> exits;
        for (const CVPoint& end : ends) {
            exits << section(CVPoint(x, y), end, 1 + next(3));
            exits.last()->setOrigin(node);
        }
        for (int t = 0; t < 4; ++t) {
            CVSection* exit = exits[t % 3];
            auto* turning = static_cast<CVTurning*>(make("CVTurning"));
            turning->setSections(approach, exit);
            turning->setNode(node);
            turning->setOriginLanes(next(5), next(5));
            turning->setDestinationLanes(next(4), next(4));
            node->addTurning(turning, true, true);
        }
    }
}

}  // namespace

class TestTurningRepair : public QObject
{
    Q_OBJECT

private slots:
    void clamping();
    void leavingTurnings_data();
    void leavingTurnings();
    void leavingTurningsAsAllPairs_data();
    void leavingTurningsAsAllPairs();
    void enteringTurnings();
    void sectionWithoutNodeSkipped_data();
    void sectionWithoutNodeSkipped();
    void everyLaneServedAfterRepair();
    void clampingComesFirst();
    void sharedBetweenThreadsAsOneByOne();
};

void TestTurningRepair::clamping()
{
    // Three full lanes and an entrance lane of 20 m: at the end only 0..2.
    Junction j(3, {CVSectionLane(0.0, 20.0)});
    CVTurning* wide = j.turning('s', {1, 3}, {0, 5}, 2);
    CVTurning* outside = j.turning('l', {4, 6}, {2, 3}, 2);
    TurningRepair(j.f.model).fixOutRangedTurnings();
    QCOMPARE(originOf(wide), LaneRange(1, 2));
    QCOMPARE(destinationOf(wide), LaneRange(0, 1));
    QCOMPARE(originOf(outside), LaneRange(2, 2));
    QCOMPARE(destinationOf(outside), LaneRange(1, 1));
}

void TestTurningRepair::leavingTurnings_data()
{
    // Three-lane approach; turnings listed in node order as (direction,
    // origin lanes); the expected origin lanes after fixOutTurnings.
    QTest::addColumn<QByteArray>("directions");
    QTest::addColumn<Ranges>("before");
    QTest::addColumn<Ranges>("after");
    QTest::addColumn<int>("entranceLane");  // length of a right entrance lane, 0 for none

    // The left turn turns more: it goes to lane 0; lane 2 then has no
    // turning and the straight one widens over it.
    QTest::newRow("conflict: left moved") << QByteArray("sl") << Ranges{{0, 1}, {1, 1}} << Ranges{{0, 2}, {0, 0}} << 0;
    QTest::newRow("conflict: right moved") << QByteArray("sr") << Ranges{{0, 1}, {1, 1}} << Ranges{{0, 1}, {2, 2}} << 0;
    // Equal absolute angles: the second of the pair moves.
    QTest::newRow("tie: second moved, to the right") << QByteArray("lr") << Ranges{{0, 1}, {1, 1}}
                                                     << Ranges{{0, 1}, {2, 2}} << 0;
    // Here both orders of the pair conflict: the left turn moves to lane 0,
    // then the right turn to lane 2; lane 1 goes back to the first of the
    // equally straight turnings.
    QTest::newRow("tie: each pair moves its second") << QByteArray("rl") << Ranges{{0, 2}, {1, 1}}
                                                     << Ranges{{1, 2}, {0, 0}} << 0;
    QTest::newRow("same single lane: no conflict") << QByteArray("sl") << Ranges{{1, 1}, {1, 1}}
                                                   << Ranges{{0, 2}, {1, 1}} << 0;
    QTest::newRow("single turning widened to all lanes") << QByteArray("s") << Ranges{{1, 1}} << Ranges{{0, 2}} << 0;
    // An entrance lane does not reach the end: the widening stops at lane 2.
    QTest::newRow("widened within the exit lanes") << QByteArray("s") << Ranges{{1, 1}} << Ranges{{0, 2}} << 20;
}

void TestTurningRepair::leavingTurnings()
{
    QFETCH(QByteArray, directions);
    QFETCH(Ranges, before);
    QFETCH(Ranges, after);
    QFETCH(int, entranceLane);
    Junction j(3, entranceLane ? QVector<CVSectionLane>{CVSectionLane(0.0, entranceLane)} : QVector<CVSectionLane>{});
    QVector<CVTurning*> turnings;
    for (int i = 0; i < directions.size(); ++i)
        turnings << j.turning(directions[i], before[i]);
    TurningRepair(j.f.model).fixOutTurnings(j.approach);
    for (int i = 0; i < turnings.size(); ++i)
        QCOMPARE(originOf(turnings[i]), after[i]);
}

// The repair pairs a one-lane turning only with those that can cross it;
// the outcome must be that of every ordered pair in turn, also when a move
// part-way through changes which later pairs cross. Every assignment of
// the one-, two- and three-lane ranges of a three-lane approach to three
// or four turnings is tried.
void TestTurningRepair::leavingTurningsAsAllPairs_data()
{
    QTest::addColumn<QByteArray>("directions");
    for (const char* directions : {"slr", "lls", "rsl", "srr", "lsrl", "rrsl"})
        QTest::newRow(directions) << QByteArray(directions);
}

void TestTurningRepair::leavingTurningsAsAllPairs()
{
    QFETCH(QByteArray, directions);
    const Ranges choices{{0, 0}, {1, 1}, {2, 2}, {0, 1}, {1, 2}, {0, 2}};
    Junction j(3);
    QVector<CVTurning*> turnings;
    QVector<double> angles;
    for (char direction : directions) {
        turnings << j.turning(direction, {0, 0});
        angles << turnings.last()->calcAngleSections();
    }
    int assignments = 1;
    for (int i = 0; i < turnings.size(); ++i)
        assignments *= int(choices.size());
    int repaired = 0;
    for (int assignment = 0; assignment < assignments; ++assignment) {
        Ranges before;
        for (int i = 0, rest = assignment; i < turnings.size(); ++i, rest /= int(choices.size()))
            before << choices[rest % choices.size()];
        for (int i = 0; i < turnings.size(); ++i)
            turnings[i]->setOriginLanes(before[i].first, before[i].second);
        TurningRepair(j.f.model).fixOutTurnings(j.approach);
        Ranges expected = before;
        repairLeavingByAllPairs(expected, angles, 3, j.approach->getExitLanes());
        Ranges after;
        for (const CVTurning* t : turnings)
            after << originOf(t);
        repaired += after != before;
        QCOMPARE(after, expected);
    }
    QVERIFY(repaired > 0);
}

// A section with no node at its end has no leaving turnings to repair, one
// with no node at its start no entering turnings, even where turnings at a
// node still name it.
void TestTurningRepair::sectionWithoutNodeSkipped_data()
{
    QTest::addColumn<bool>("endless");
    QTest::newRow("no end node") << true;
    QTest::newRow("no start node") << false;
}

void TestTurningRepair::sectionWithoutNodeSkipped()
{
    QFETCH(bool, endless);
    // Crossing turnings, the left one sharper; each exit has three lanes
    // and one turning into lane 0.
    Junction j(3);
    CVTurning* straight = j.turning('s', {0, 1});
    CVTurning* left = j.turning('l', {1, 1});
    if (endless)
        j.approach->setDestination(nullptr);
    else
        straight->getDestination()->setOrigin(nullptr);
    TurningRepair(j.f.model).build();
    QCOMPARE(originOf(left), endless ? LaneRange(1, 1) : LaneRange(0, 0));
    QCOMPARE(originOf(straight), endless ? LaneRange(0, 1) : LaneRange(0, 2));
    QCOMPARE(destinationOf(straight), endless ? LaneRange(0, 2) : LaneRange(0, 0));
    QCOMPARE(destinationOf(left), LaneRange(0, 2));
}

void TestTurningRepair::enteringTurnings()
{
    // Two turnings from the approach into one three-lane exit, into lane 1
    // and into lane 2: lane 0 goes to the first of the equally straight ones.
    Junction j(1);
    CVTurning* straight = j.turning('s', {0, 0}, {1, 1});
    CVTurning* right = j.turning('r', {0, 0}, {2, 2});
    CVSection* exit = straight->getDestination();
    // Both turnings enter the same section.
    right->setDestination(exit);
    right->setSections(j.approach, exit);
    TurningRepair(j.f.model).fixInTurnings(exit);
    QCOMPARE(destinationOf(straight), LaneRange(0, 1));
    QCOMPARE(destinationOf(right), LaneRange(2, 2));
}

void TestTurningRepair::everyLaneServedAfterRepair()
{
    Junction j(4);
    j.turning('l', {0, 0});
    j.turning('s', {3, 3});
    TurningRepair(j.f.model).build();
    for (int lane = 0; lane < 4; ++lane)
        QVERIFY2(j.node->getNumberDestinationLinks(j.approach, lane) > 0, qPrintable(QString::number(lane)));
}

// A left turning from a lane the two-lane approach lacks is clamped onto
// lane 1 before the crossings are looked at: there it crosses the straight
// turning over both lanes and moves to lane 0. Clamped only afterwards, it
// would cross nothing and stay on lane 1.
void TestTurningRepair::clampingComesFirst()
{
    Junction j(2);
    CVTurning* straight = j.turning('s', {0, 1});
    CVTurning* left = j.turning('l', {5, 5});
    TurningRepair(j.f.model).build();
    QCOMPARE(originOf(left), LaneRange(0, 0));
    QCOMPARE(originOf(straight), LaneRange(0, 1));
}

// The whole repair, shared between two threads, leaves every turning's
// lanes and path as repairing the sections one by one in id order does.
void TestTurningRepair::sharedBetweenThreadsAsOneByOne()
{
    constexpr int junctions = 1200;  // 4,800 sections and turnings
    NetworkFixture shared, oneByOne, unrepaired;
    for (NetworkFixture* f : {&shared, &oneByOne, &unrepaired})
        buildJunctionField(*f, junctions);

    TurningRepair(shared.model).build();
    TurningRepair serial(oneByOne.model);
    serial.fixOutRangedTurnings();
    for (CVObject* object : objectsOfType(oneByOne.model, QStringLiteral("CVSection"))) {
        serial.fixOutTurnings(static_cast<CVSection*>(object));
        serial.fixInTurnings(static_cast<CVSection*>(object));
    }

    const QList<CVObject*> expected = objectsOfType(oneByOne.model, QStringLiteral("CVTurning"));
    const QList<CVObject*> actual = objectsOfType(shared.model, QStringLiteral("CVTurning"));
    const QList<CVObject*> before = objectsOfType(unrepaired.model, QStringLiteral("CVTurning"));
    QCOMPARE(actual.size(), 4 * junctions);
    int moved = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const auto* want = static_cast<const CVTurning*>(expected[i]);
        const auto* got = static_cast<const CVTurning*>(actual[i]);
        QCOMPARE(originOf(got), originOf(want));
        QCOMPARE(destinationOf(got), destinationOf(want));
        QCOMPARE(got->getPath(), want->getPath());
        moved += got->getPath() != static_cast<const CVTurning*>(before[i])->getPath();
    }
    QVERIFY2(moved > junctions, qPrintable(QString::number(moved)));
}

QTEST_GUILESS_MAIN(TestTurningRepair)
#include "tst_turningrepair.moc"
