// The zone grid must find exactly the zones, in reading order, that a test
// of every zone's box finds: random boxes that overlap, touch, nest, cover
// everything or nothing, and points on their edges and off the map.

#include "network/zonegrid.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>
#include <memory>
#include <vector>

class TestZoneGrid : public QObject
{
    Q_OBJECT

private slots:
    void findsWhatEveryZoneTestFinds_data();
    void findsWhatEveryZoneTestFinds();
};

void TestZoneGrid::findsWhatEveryZoneTestFinds_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("zoneCount");
    QTest::addColumn<bool>("oddBoxes");  // infinite, not-a-number, inverted and huge boxes among them
    QTest::newRow("no zone") << 1u << 0 << false;
    QTest::newRow("one zone") << 2u << 1 << false;
    QTest::newRow("tiled city") << 3u << 400 << false;
    QTest::newRow("odd boxes") << 4u << 300 << true;
    QTest::newRow("only odd boxes") << 5u << 6 << true;
}

void TestZoneGrid::findsWhatEveryZoneTestFinds()
{
    QFETCH(quint32, seed);
    QFETCH(int, zoneCount);
    QFETCH(bool, oddBoxes);
    QRandomGenerator random(seed);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::unique_ptr<ParamicsZone>> owned;
    QMap<int, ParamicsZone*> zones;
    std::vector<double> edges;  // coordinates that points should hit exactly
    for (int i = 0; i < zoneCount; ++i) {
        auto zone = std::make_unique<ParamicsZone>();
        const double x = random.bounded(100) * 10.0, y = random.bounded(100) * 10.0;
        zone->minX = x;
        zone->minY = y;
        zone->maxX = x + random.bounded(6) * 10.0;  // zero-width boxes too
        zone->maxY = y + random.bounded(6) * 10.0;
        if (oddBoxes) {
            switch (random.bounded(6)) {
            case 0: zone->minX = -inf; break;
            case 1: zone->maxY = nan; break;
            case 2: std::swap(zone->minX, zone->maxX); zone->minX += 1.0; break;
            case 3: zone->maxX = zone->minX + 900.0; zone->maxY = zone->minY + 900.0; break;
            default: break;
            }
        }
        edges.push_back(zone->minX);
        edges.push_back(zone->maxY);
        zones.insert(i * 3, zone.get());  // keys with gaps, as reading indexes may have
        owned.push_back(std::move(zone));
    }
    zones.insert(-1, nullptr);  // an empty entry is passed over

    const ParamicsZoneGrid grid(zones);
    for (int k = 0; k < 4000; ++k) {
        CVPoint p(random.bounded(1200) - 100.0, random.bounded(1200) - 100.0, 0.0);
        if (k % 4 == 1 && !edges.empty())
            p.x = edges[random.bounded(int(edges.size()))];
        if (k % 4 == 2 && !edges.empty())
            p.y = edges[random.bounded(int(edges.size()))];
        if (k == 3)
            p.x = nan;
        QVector<ParamicsZone*> expected, found;
        for (ParamicsZone* zone : std::as_const(zones)) {
            if (zone && zone->contains(p))
                expected.append(zone);
        }
        grid.forEachZoneAt(p, [&](ParamicsZone* zone) { found.append(zone); });
        QCOMPARE(found, expected);
    }
}

QTEST_GUILESS_MAIN(TestZoneGrid)
#include "tst_zonegrid.moc"
