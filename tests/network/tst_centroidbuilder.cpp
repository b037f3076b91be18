// Centroids of the zones: their names and places, the extreme node of each
// zone, and the sections they are connected to.

#include "networkfixture.h"

#include <cvcentroid.h>
#include <cvcentroidconfiguration.h>
#include <cvobjectconnection.h>

#include <QtTest>

namespace {

using Connection = QPair<QString, int>;  // section name, type
using Connections = QVector<Connection>;

// A (0, 0) - B (100, 0) - C (200, 0), both ways, and a one-way dead end
// B:D to D (100, 200) and a barred link A:E. Only C:B -> B:A has a
// turning, so A:B is a dead end at B and B:C one at B.
struct ZoneNetwork
{
    NetworkFixture f;

    ZoneNetwork()
    {
        f.node("A", 0, 0);
        f.node("B", 100, 0);
        f.node("C", 200, 0);
        f.node("D", 100, 200);
        f.node("E", 0, -100);
        f.link("A", "B");
        f.link("B", "A");
        f.link("B", "C");
        f.link("C", "B");
        f.link("B", "D");
        f.link("A", "E")->barred = true;
        f.turning(f.record("C:B"), "B:A");
    }

    ParamicsZone* zone(int index, int id, double minX, double maxX, double minY = -10, double maxY = 10)
    {
        auto* zone = new ParamicsZone;
        zone->id = id;
        zone->index = index;
        zone->minX = minX;
        zone->maxX = maxX;
        zone->minY = minY;
        zone->maxY = maxY;
        zone->centroidPoint = CVPoint((minX + maxX) / 2, maxY + 5, 0);
        f.zones.insert(index, zone);
        return zone;
    }

    void build()
    {
        CentroidBuilder centroids = f.centroidBuilder();
        centroids.createCentroids();
        f.createLinks();
        f.createNodes();
        f.connectSections();
        f.createRamps();
        centroids.calculateExtremeNodes();
        centroids.createCentroidConnections();
    }

    CVCentroid* centroid(const ParamicsZone* zone)
    {
        return dynamic_cast<CVCentroid*>(f.model->getCatalog()->find(zone->centroidId));
    }

    Connections connections(const ParamicsZone* zone)
    {
        Connections list;
        for (const CVObjectConnection* c : centroid(zone)->getConnections())
            list << Connection(c->getConnectionObject()->getName(), c->getConnectionType());
        return list;
    }
};

}  // namespace

class TestCentroidBuilder : public QObject
{
    Q_OBJECT

private slots:
    void extremeNode_data();
    void extremeNode();
    void connections();
};

void TestCentroidBuilder::extremeNode_data()
{
    QTest::addColumn<double>("minX");
    QTest::addColumn<double>("maxX");
    QTest::addColumn<QString>("extreme");
    // Section counts: A 2 (A:E is barred), B 5, C 2.
    QTest::newRow("no node in the box") << 300.0 << 400.0 << QString();
    QTest::newRow("fewest sections") << 50.0 << 250.0 << QStringLiteral("C");
    QTest::newRow("tie: first zone node") << -50.0 << 250.0 << QStringLiteral("A");
}

void TestCentroidBuilder::extremeNode()
{
    QFETCH(double, minX);
    QFETCH(double, maxX);
    QFETCH(QString, extreme);
    ZoneNetwork n;
    ParamicsZone* zone = n.zone(0, 12, minX, maxX);
    n.build();

    QCOMPARE(zone->extremeNode, extreme);
    CVCentroid* centroid = n.centroid(zone);
    QVERIFY(centroid);
    QCOMPARE(centroid->getName(), QStringLiteral("C12"));
    QCOMPARE(centroid->getExternalId(), QStringLiteral("12"));
    QVERIFY(n.f.centroidConfiguration->getCentroidIds().contains(centroid->getId()));
    if (extreme.isEmpty()) {
        QCOMPARE(centroid->getPosition(), zone->centroidPoint);
        QVERIFY(centroid->getConnections().isEmpty());
    } else {
        QCOMPARE(centroid->getPosition(), n.f.hostNode(extreme)->getPosition());
    }
}

void TestCentroidBuilder::connections()
{
    ZoneNetwork n;
    const ParamicsZone* west = n.zone(0, 1, -50, 150);  // A and B; extreme A
    const ParamicsZone* east = n.zone(1, 2, 50, 250);   // B and C; extreme C
    n.build();

    // At A everything open, whatever its turnings; at B the dead ends,
    // but not A:B a second time; the barred A:E never.
    QCOMPARE(n.connections(west), Connections({{"NB_NA", 1}, {"NA_NB", 0}, {"NB_NC", 0}, {"NB_ND", 0}}));
    // Node B serves both zones.
    QCOMPARE(n.connections(east), Connections({{"NB_NC", 1}, {"NC_NB", 0}, {"NA_NB", 1}, {"NB_ND", 0}}));
    QCOMPARE(n.centroid(west)->objectConnectionType(n.f.section("C:B")), CVCentroid::eNoConnection);
}

QTEST_GUILESS_MAIN(TestCentroidBuilder)
#include "tst_centroidbuilder.moc"
