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

QTEST_GUILESS_MAIN(TestOdMatrix)
#include "tst_odmatrix.moc"
