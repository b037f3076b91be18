// OD matrix trips against a plain map that does what setting a pair means:
// the last setting wins, 0 forgets the pair, whatever the order of settings
// and of reads in between.

#include <cvmodel.h>
#include <cvodmatrix.h>
#include <cvsystem.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <vector>

class TestOdMatrix : public QObject
{
    Q_OBJECT

private slots:
    void settingsMatchAPlainMap_data();
    void settingsMatchAPlainMap();
    void negativeZeroForgetsAndNanIsKept();
    void patternMatricesMatchPairByPair();
    void patternRefusals_data();
    void patternRefusals();
};

void TestOdMatrix::settingsMatchAPlainMap_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("ascending");   // settings in (origin, destination) order, as an import makes them
    QTest::addColumn<int>("zeroPercent");
    QTest::addColumn<int>("readPercent");  // reads between settings
    QTest::addColumn<bool>("batched");     // the settings up to a read handed over in one call
    QTest::newRow("ascending, no reads") << 1u << true << 30 << 0 << false;
    QTest::newRow("ascending, reads between") << 2u << true << 30 << 5 << false;
    QTest::newRow("random order, no reads") << 3u << false << 30 << 0 << false;
    QTest::newRow("random order, reads between") << 4u << false << 30 << 5 << false;
    QTest::newRow("random order, mostly zeros") << 5u << false << 80 << 2 << false;
    QTest::newRow("ascending then random") << 6u << true << 10 << 1 << false;
    QTest::newRow("batched, ascending, no reads") << 1u << true << 30 << 0 << true;
    QTest::newRow("batched, ascending, reads between") << 2u << true << 30 << 5 << true;
    QTest::newRow("batched, random order, no reads") << 3u << false << 30 << 0 << true;
    QTest::newRow("batched, random order, reads between") << 4u << false << 30 << 5 << true;
    QTest::newRow("batched, random order, mostly zeros") << 5u << false << 80 << 2 << true;
    QTest::newRow("batched, ascending then random") << 6u << true << 10 << 1 << true;
}

void TestOdMatrix::settingsMatchAPlainMap()
{
    QFETCH(quint32, seed);
    QFETCH(bool, ascending);
    QFETCH(int, zeroPercent);
    QFETCH(int, readPercent);
    QFETCH(bool, batched);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* matrix = dynamic_cast<CVODMatrix*>(CVSystem::getSystem().newObject("CVODMatrix", model.get()));
    QVERIFY(matrix);
    QVector<CVObject*> zones;
    for (int i = 0; i < 12; ++i)
        zones << CVSystem::getSystem().newObject("CVFolder", model.get());

    QRandomGenerator random(seed);
    std::map<std::pair<int, int>, double> expected;
    std::vector<CVODMatrix::Trip> batch;
    const auto settle = [&] {
        matrix->setTrips(batch.data(), batch.size());
        batch.clear();
        for (int o = 0; o < zones.size(); ++o) {
            for (int d = 0; d < zones.size(); ++d) {
                const auto it = expected.find({o, d});
                QCOMPARE(matrix->getTrips(zones[o], zones[d]), it == expected.end() ? 0.0 : it->second);
            }
        }
        QCOMPARE(matrix->pairCount(), int(expected.size()));
    };
    for (int step = 0; step < 3000; ++step) {
        const bool inOrder = ascending && step < 144;
        const int o = inOrder ? step / 12 : random.bounded(12);
        const int d = inOrder ? step % 12 : random.bounded(12);
        const double value = random.bounded(100) < zeroPercent ? 0.0 : random.bounded(1, 50) / 4.0;
        if (batched)
            batch.push_back(CVODMatrix::Trip{zones[o]->getId(), zones[d]->getId(), value});
        else
            matrix->setTrips(zones[o], zones[d], value);
        if (value == 0.0)
            expected.erase({o, d});
        else
            expected[{o, d}] = value;
        if (random.bounded(100) < readPercent)
            settle();
    }
    settle();

    // Listed in (origin, destination) order, only the pairs with trips.
    const QVector<CVODMatrix::Trip> trips = matrix->sortedTrips();
    QCOMPARE(trips.size(), qsizetype(expected.size()));
    int i = 0;
    for (const auto& [pair, value] : expected) {
        const CVODMatrix::Trip& trip = trips.at(i++);
        QCOMPARE(trip.origin, zones[pair.first]->getId());
        QCOMPARE(trip.destination, zones[pair.second]->getId());
        QCOMPARE(trip.trips, value);
    }
}

void TestOdMatrix::negativeZeroForgetsAndNanIsKept()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* matrix = dynamic_cast<CVODMatrix*>(CVSystem::getSystem().newObject("CVODMatrix", model.get()));
    CVObject* a = CVSystem::getSystem().newObject("CVFolder", model.get());
    CVObject* b = CVSystem::getSystem().newObject("CVFolder", model.get());
    matrix->setTrips(b, a, 3.0);
    matrix->setTrips(a, b, 1.0);  // out of order
    matrix->setTrips(b, a, -0.0);
    QCOMPARE(matrix->pairCount(), 1);
    matrix->setTrips(b, a, std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(matrix->pairCount(), 2);
    QVERIFY(std::isnan(matrix->getTrips(b, a)));
    matrix->setTrips(a, nullptr, 5.0);
    QCOMPARE(matrix->pairCount(), 2);
}

// Matrices sharing one pattern answer as matrices set pair by pair, and a
// change to one of them, in or out of order, touches no other.
void TestOdMatrix::patternMatricesMatchPairByPair()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    QVector<CVObject*> zones;
    for (int i = 0; i < 8; ++i)
        zones << CVSystem::getSystem().newObject("CVFolder", model.get());
    QRandomGenerator random(7);
    CVODMatrix::PatternKeys keys;
    std::vector<std::pair<int, int>> pairs;
    for (int o = 0; o < zones.size(); ++o) {
        for (int d = 0; d < zones.size(); ++d) {
            if (random.bounded(3) != 0) {
                keys.push_back(CVODMatrix::pairKey(zones[o]->getId(), zones[d]->getId()));
                pairs.emplace_back(o, d);
            }
        }
    }
    const CVODMatrix::Pattern pattern = CVODMatrix::makePattern(keys);
    QVERIFY(pattern);

    const auto newMatrix = [&] {
        return dynamic_cast<CVODMatrix*>(CVSystem::getSystem().newObject("CVODMatrix", model.get()));
    };
    std::vector<CVODMatrix*> shared, plain;
    for (int m = 0; m < 3; ++m) {
        CVODMatrix::PatternTrips trips;
        CVODMatrix* reference = newMatrix();
        for (const auto& [o, d] : pairs) {
            trips.push_back((m + 1) * 0.5 + o + 0.25 * d);
            reference->setTrips(zones[o], zones[d], trips.back());
        }
        CVODMatrix* matrix = newMatrix();
        QVERIFY(matrix->setPatternTrips(pattern, trips));
        shared.push_back(matrix);
        plain.push_back(reference);
    }
    const auto compareAll = [&] {
        for (std::size_t m = 0; m < shared.size(); ++m) {
            QCOMPARE(shared[m]->pairCount(), plain[m]->pairCount());
            QCOMPARE(shared[m]->totalTrips(), plain[m]->totalTrips());
            const QVector<CVODMatrix::Trip> a = shared[m]->sortedTrips(), b = plain[m]->sortedTrips();
            QCOMPARE(a.size(), b.size());
            for (qsizetype i = 0; i < a.size(); ++i) {
                QCOMPARE(a[i].origin, b[i].origin);
                QCOMPARE(a[i].destination, b[i].destination);
                QCOMPARE(a[i].trips, b[i].trips);
            }
            for (CVObject* o : zones) {
                for (CVObject* d : zones)
                    QCOMPARE(shared[m]->getTrips(o, d), plain[m]->getTrips(o, d));
            }
        }
    };
    compareAll();
    // Out of order, a forgotten pair and a new one, on the middle matrix.
    for (CVODMatrix* matrix : {shared[1], plain[1]}) {
        matrix->setTrips(zones[0], zones[0], 9.0);
        matrix->setTrips(zones[pairs[1].first], zones[pairs[1].second], 0.0);
        matrix->setTrips(zones[7], zones[7], 2.0);
    }
    compareAll();
    QVERIFY(shared[1]->getTrips(zones[0], zones[0]) == 9.0);
    QVERIFY(shared[0]->getTrips(zones[0], zones[0]) != 9.0);
}

void TestOdMatrix::patternRefusals_data()
{
    QTest::addColumn<QString>("why");
    QTest::newRow("keys not ascending") << "descending";
    QTest::newRow("a key twice") << "repeated";
    QTest::newRow("a trip of 0") << "zero";
    QTest::newRow("a trip of -0") << "negative zero";
    QTest::newRow("fewer trips than keys") << "short";
    QTest::newRow("matrix has pairs") << "filled";
}

// A pattern that would not give what setting the pairs gives is refused,
// and the matrix keeps what it had.
void TestOdMatrix::patternRefusals()
{
    QFETCH(QString, why);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* matrix = dynamic_cast<CVODMatrix*>(CVSystem::getSystem().newObject("CVODMatrix", model.get()));
    CVODMatrix::PatternKeys keys{CVODMatrix::pairKey(1, 2), CVODMatrix::pairKey(1, 3), CVODMatrix::pairKey(2, 1)};
    CVODMatrix::PatternTrips trips{1.0, 2.0, 3.0};
    if (why == "descending")
        std::swap(keys[0], keys[2]);
    if (why == "repeated")
        keys[1] = keys[0];
    if (why == "descending" || why == "repeated") {
        QVERIFY(!CVODMatrix::makePattern(keys));
        return;
    }
    if (why == "zero")
        trips[1] = 0.0;
    if (why == "negative zero")
        trips[1] = -0.0;
    if (why == "short")
        trips.pop_back();
    if (why == "filled")
        matrix->setTrips(5, 6, 4.0);
    const CVODMatrix::Pattern pattern = CVODMatrix::makePattern(keys);
    QVERIFY(pattern);
    QVERIFY(!matrix->setPatternTrips(pattern, trips));
    QCOMPARE(matrix->pairCount(), why == "filled" ? 1 : 0);
    QCOMPARE(matrix->totalTrips(), why == "filled" ? 4.0 : 0.0);
}

QTEST_GUILESS_MAIN(TestOdMatrix)
#include "tst_odmatrix.moc"
