// OD matrix trips against a plain map that does what setting a pair means:
// the last setting wins, 0 forgets the pair, whatever the order of settings
// and of reads in between.

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvodmatrix.h>
#include <cvsystem.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

class TestOdMatrix : public QObject
{
    Q_OBJECT

private slots:
    void settingsMatchAPlainMap_data();
    void settingsMatchAPlainMap();
    void negativeZeroForgetsAndNanIsKept();
    void matricesSetTogetherMatchPairByPair();
    void matricesSetTogetherWhereKeysCannotBeShared_data();
    void matricesSetTogetherWhereKeysCannotBeShared();
    void zeroTripsFoundFromTheSmallestValue();
    void sharedListsRefuseWhatAMatrixWouldNotStore_data();
    void sharedListsRefuseWhatAMatrixWouldNotStore();
    void matricesSharingListsChangeAlone();
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

namespace {

using Setting = std::tuple<unsigned int, unsigned int, double>;

CVODMatrix* newMatrix(CVModel* model)
{
    return dynamic_cast<CVODMatrix*>(CVSystem::getSystem().newObject("CVODMatrix", model));
}

// Sets the settings in the matrices together, matrix m's trips being
// factors[m] times a setting's value.
void setTogether(const std::vector<CVODMatrix*>& matrices, const std::vector<Setting>& settings,
                 const std::vector<double>& factors)
{
    std::vector<CVODMatrix::Scale> scales;
    for (const double factor : factors)
        scales.push_back({1.0, 1.0, factor});
    CVODMatrix::setTripsOfMatrices(
        matrices,
        [&](auto visit) {
            for (const auto& [origin, destination, value] : settings)
                visit(origin, destination, value);
        },
        scales);
}

// The matrices answer alike: pairs, trips and totals.
void compareMatrices(const CVODMatrix* a, const CVODMatrix* b)
{
    QCOMPARE(a->pairCount(), b->pairCount());
    QCOMPARE(a->totalTrips(), b->totalTrips());
    const QVector<CVODMatrix::Trip> x = a->sortedTrips(), y = b->sortedTrips();
    QCOMPARE(x.size(), y.size());
    for (qsizetype i = 0; i < x.size(); ++i) {
        QCOMPARE(x[i].origin, y[i].origin);
        QCOMPARE(x[i].destination, y[i].destination);
        QCOMPARE(x[i].trips, y[i].trips);
    }
}

}  // namespace

// Matrices set together answer as matrices set pair by pair, and a change
// to one of them, in or out of order, touches no other (they share their
// pairs' keys).
void TestOdMatrix::matricesSetTogetherMatchPairByPair()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    QVector<CVObject*> zones;
    for (int i = 0; i < 8; ++i)
        zones << CVSystem::getSystem().newObject("CVFolder", model.get());
    QRandomGenerator random(7);
    std::vector<Setting> settings;
    for (int o = 0; o < zones.size(); ++o) {
        for (int d = 0; d < zones.size(); ++d) {
            if (random.bounded(3) != 0)
                settings.emplace_back(zones[o]->getId(), zones[d]->getId(), 1.0 + o + 0.25 * d);
        }
    }
    const std::vector<double> factors{0.5, 1.0, 1.5};
    std::vector<CVODMatrix*> together, plain;
    for (const double factor : factors) {
        together.push_back(newMatrix(model.get()));
        CVODMatrix* reference = newMatrix(model.get());
        for (const auto& [origin, destination, value] : settings)
            reference->setTrips(origin, destination, factor * value);
        plain.push_back(reference);
    }
    setTogether(together, settings, factors);
    const auto compareAll = [&] {
        for (std::size_t m = 0; m < together.size(); ++m) {
            compareMatrices(together[m], plain[m]);
            for (CVObject* o : zones) {
                for (CVObject* d : zones)
                    QCOMPARE(together[m]->getTrips(o, d), plain[m]->getTrips(o, d));
            }
        }
    };
    compareAll();
    // Out of order, a forgotten pair and a new one, on the middle matrix.
    const auto [firstOrigin, firstDestination, firstValue] = settings[1];
    Q_UNUSED(firstValue);
    for (CVODMatrix* matrix : {together[1], plain[1]}) {
        matrix->setTrips(zones[0], zones[0], 9.0);
        matrix->setTrips(firstOrigin, firstDestination, 0.0);
        matrix->setTrips(zones[7], zones[7], 2.0);
    }
    compareAll();
    QVERIFY(together[1]->getTrips(zones[0], zones[0]) == 9.0);
    QVERIFY(together[0]->getTrips(zones[0], zones[0]) != 9.0);
}

void TestOdMatrix::matricesSetTogetherWhereKeysCannotBeShared_data()
{
    QTest::addColumn<QString>("why");
    QTest::newRow("keys not ascending") << "descending";
    QTest::newRow("a key twice, the last wins") << "repeated";
    QTest::newRow("a key twice, then 0") << "repeated zero";
    QTest::newRow("a trip of 0") << "zero";
    QTest::newRow("a trip of -0") << "negative zero";
    QTest::newRow("a factor of 0") << "zero factor";
    QTest::newRow("matrix has pairs") << "filled";
}

// Where the matrices cannot share their keys, each still gets what setting
// its pairs one by one gives.
void TestOdMatrix::matricesSetTogetherWhereKeysCannotBeShared()
{
    QFETCH(QString, why);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    std::vector<Setting> settings{{1, 2, 1.0}, {1, 3, 2.0}, {2, 1, 3.0}};
    std::vector<double> factors{1.0, 2.0};
    if (why == "descending")
        std::swap(settings[0], settings[2]);
    if (why == "repeated")
        settings[1] = {1, 2, 5.0};
    if (why == "repeated zero")
        settings[1] = {1, 2, 0.0};
    if (why == "zero")
        std::get<2>(settings[1]) = 0.0;
    if (why == "negative zero")
        std::get<2>(settings[1]) = -0.0;
    if (why == "zero factor")
        factors[1] = 0.0;
    std::vector<CVODMatrix*> together, plain;
    for (const double factor : factors) {
        CVODMatrix* matrix = newMatrix(model.get());
        CVODMatrix* reference = newMatrix(model.get());
        if (why == "filled") {
            matrix->setTrips(5, 6, 4.0);
            reference->setTrips(5, 6, 4.0);
        }
        for (const auto& [origin, destination, value] : settings)
            reference->setTrips(origin, destination, factor * value);
        together.push_back(matrix);
        plain.push_back(reference);
    }
    setTogether(together, settings, factors);
    for (std::size_t m = 0; m < together.size(); ++m)
        compareMatrices(together[m], plain[m]);
}

// Whether a scale turns any shared value into 0 trips is told from the
// smallest finite value alone: the same answer as trying every value, for
// every mix of zeros, tiny, huge, infinite and NaN factors and values.
void TestOdMatrix::zeroTripsFoundFromTheSmallestValue()
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double huge = std::numeric_limits<double>::max();
    const std::vector<double> numbers{0.0, -0.0, tiny, -tiny, 1e-300, 0.3, -2.5, 7.0, 1e300, huge, inf, -inf, nan};
    const std::vector<std::vector<double>> valueSets{
        {}, {5.0}, {tiny, 5.0}, {-1e-310, 2.0, 1e308}, {inf, 1.0}, {nan, 1e-300}, {inf, -inf, nan}, {huge, -huge},
        {0.0, 3.0}, {-0.0}, {1e-320, -1e-200, 4.0},
    };
    int cases = 0;
    int zeros = 0;
    for (const std::vector<double>& values : valueSets) {
        std::vector<Setting> settings;
        for (std::size_t i = 0; i < values.size(); ++i)
            settings.emplace_back(1u, unsigned(i + 1), values[i]);
        const CVODMatrix::CollectedTrips collected = CVODMatrix::collectTrips([&](auto visit) {
            for (const auto& [origin, destination, value] : settings)
                visit(origin, destination, value);
        });
        QCOMPARE(collected.size(), values.size());
        for (const double factor : numbers) {
            for (const double divisor : numbers) {
                for (const double weight : numbers) {
                    const CVODMatrix::Scale scale{factor, divisor, weight};
                    const bool expected =
                        std::any_of(values.cbegin(), values.cend(), [&](double v) { return scale(v) == 0.0; });
                    if (collected.anyZeroTrips(scale) != expected)
                        QFAIL(qPrintable(QStringLiteral("scale %1 %2 %3, values %4")
                                             .arg(factor).arg(divisor).arg(weight).arg(values.size())));
                    ++cases;
                    zeros += expected;
                }
            }
        }
    }
    QVERIFY(zeros > 0 && zeros < cases);
}

void TestOdMatrix::sharedListsRefuseWhatAMatrixWouldNotStore_data()
{
    QTest::addColumn<std::vector<quint64>>("keys");
    QTest::addColumn<std::vector<double>>("trips");
    QTest::addColumn<bool>("filled");  // the matrix has a pair already
    QTest::addColumn<bool>("shared");
    const std::vector<quint64> ascending{CVODMatrix::key(1, 2), CVODMatrix::key(1, 3), CVODMatrix::key(2, 1)};
    QTest::newRow("ascending keys, trips") << ascending << std::vector<double>{1, 2, 3} << false << true;
    QTest::newRow("no pairs") << std::vector<quint64>{} << std::vector<double>{} << false << true;
    QTest::newRow("keys out of order")
        << std::vector<quint64>{ascending[1], ascending[0], ascending[2]} << std::vector<double>{1, 2, 3} << false << false;
    QTest::newRow("a key twice")
        << std::vector<quint64>{ascending[0], ascending[0], ascending[2]} << std::vector<double>{1, 2, 3} << false << false;
    QTest::newRow("a trip of 0") << ascending << std::vector<double>{1, 0, 3} << false << false;
    QTest::newRow("a trip of -0") << ascending << std::vector<double>{1, -0.0, 3} << false << false;
    QTest::newRow("fewer trips than keys") << ascending << std::vector<double>{1, 2} << false << false;
    QTest::newRow("matrix has pairs") << ascending << std::vector<double>{1, 2, 3} << true << false;
}

// A matrix takes shared lists only where setting their pairs one by one
// would store each of them; otherwise it keeps what it had.
void TestOdMatrix::sharedListsRefuseWhatAMatrixWouldNotStore()
{
    QFETCH(std::vector<quint64>, keys);
    QFETCH(std::vector<double>, trips);
    QFETCH(bool, filled);
    QFETCH(bool, shared);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVODMatrix* matrix = newMatrix(model.get());
    if (filled)
        matrix->setTrips(7, 8, 4.0);
    const auto sharedKeys = CVODMatrix::SharedKeys::of(CVODMatrix::Keys(keys.cbegin(), keys.cend()));
    const auto sharedTrips = CVODMatrix::SharedTrips::of(CVODMatrix::Values(trips.cbegin(), trips.cend()));
    QCOMPARE(matrix->shareTrips(sharedKeys, sharedTrips), shared);
    QCOMPARE(matrix->pairCount(), shared ? int(keys.size()) : int(filled));
    for (std::size_t i = 0; shared && i < keys.size(); ++i)
        QCOMPARE(matrix->getTrips(unsigned(keys[i] >> 32), unsigned(keys[i] & 0xffffffffu)), trips[i]);
}

// Matrices given the same lists answer as matrices set pair by pair, a
// change to one, in or out of order, touches no other, and the others
// outlive one that goes.
void TestOdMatrix::matricesSharingListsChangeAlone()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    std::vector<Setting> settings;
    for (unsigned int o = 1; o <= 6; ++o) {
        for (unsigned int d = 1; d <= 6; d += o % 2 + 1)
            settings.emplace_back(o, d, 0.5 * o + d);
    }
    CVODMatrix::Keys keys;
    CVODMatrix::Values trips;
    for (const auto& [origin, destination, value] : settings) {
        keys.push_back(CVODMatrix::key(origin, destination));
        trips.push_back(value);
    }
    const auto sharedKeys = CVODMatrix::SharedKeys::of(keys);
    const auto sharedTrips = CVODMatrix::SharedTrips::of(trips);
    std::vector<CVODMatrix*> sharing, plain;
    for (int m = 0; m < 3; ++m) {
        sharing.push_back(newMatrix(model.get()));
        QVERIFY(sharing.back()->shareTrips(sharedKeys, sharedTrips));
        plain.push_back(newMatrix(model.get()));
        for (const auto& [origin, destination, value] : settings)
            plain.back()->setTrips(origin, destination, value);
    }
    const auto compareAll = [&] {
        for (std::size_t m = 0; m < sharing.size(); ++m)
            compareMatrices(sharing[m], plain[m]);
    };
    compareAll();
    for (const std::size_t m : {std::size_t(0), std::size_t(2)}) {
        for (CVODMatrix* matrix : {sharing[m], plain[m]}) {
            matrix->setTrips(6, 6, 9.0);  // after every pair
            matrix->setTrips(1, 1, 0.0);  // out of order, forgotten
            matrix->setTrips(2, 2, 3.5);  // out of order, new
        }
        compareAll();
    }
    model->getCatalog()->remove(sharing[1]);
    model->getCatalog()->remove(plain[1]);
    sharing.erase(sharing.begin() + 1);
    plain.erase(plain.begin() + 1);
    compareAll();
    CVODMatrix* late = newMatrix(model.get());
    QVERIFY(late->shareTrips(sharedKeys, sharedTrips));
    QCOMPARE(late->getTrips(1, 1), 1.5);
    QCOMPARE(late->pairCount(), int(settings.size()));
}

QTEST_GUILESS_MAIN(TestOdMatrix)
#include "tst_odmatrix.moc"
