// Ramps, centroids and turning repair through the whole importer: a small
// hand-made network against values worked out by hand, and the bundled and
// shared networks against the rule that the repair guarantees.

#include "importerprobe.h"
#include "testsupport.h"

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QDir>
#include <QtTest>

#include <cmath>
#include <memory>

using LaneRange = QPair<int, int>;

namespace {

// Motorway 1 (0, 0) -> 2 (400, 0) -> 3 (600, 0), 2 lanes of 3.5 m; a one-
// lane road 2 -> 4 (400, 200) to a dead end in zone 1; an on-ramp from 6
// (100, -80) that meets the motorway at 5 (150, -20), 120 m along it. At 2
// the lane data name lane 0, which does not exist (lanes count from 1).
const char* const Categories = "categories 1 to 2\n"
                               "category 1  lanes 2  speed 100 kph  width 7.0 m  type Freeway\n"
                               "category 2  lanes 1  speed 50 kph  width 3.5 m  type urban\n";
const char* const Nodes = "Bounding Box 0 m -80 m 600 m 200 m\n"
                          "node 1 at 0 m, 0 m, 0 m junction\n"
                          "node 2 at 400 m, 0 m, 0 m junction\n"
                          "node 3 at 600 m, 0 m, 0 m junction\n"
                          "node 4 at 400 m, 200 m, 0 m junction\n"
                          "node 5 at 150 m, -20 m, 0 m junction\n"
                          "node 6 at 100 m, -80 m, 0 m junction\n";
const char* const Links = "link 1 2 category 1\n"
                          "on-ramp count 1\n"
                          "ramp from 5 length 100.0 m right\n"
                          "link 2 3 category 1\n"
                          "link 2 4 category 2\n"
                          "link 6 5 category 2\n";
// Exits of 1:2 at node 2: 2:3 (ahead), 2:4 (left).
const char* const NextLanes = "link 1:2\n"
                              "lane 0 next 2 0\n"
                              "lane 1 next 0 1\n";
const char* const Zones = "Zone Count 1\n"
                          "zone 1 4\n"
                          "max 450 m 250 m\n"
                          "min 350 m 150 m\n"
                          "centroid 400 m 260 m\n";

void import(CVModel* model, ParamicsImporter& importer, const QString& dir, const QString& variant,
            const QString& units)
{
    configureLikeTheDialog(importer, model, variant, units);
    importer.netImport(dir);
}

QList<CVObject*> objectsOf(CVModel* model, const char* type)
{
    const auto* objects = model->getCatalog()->getObjectsByType(model->getType(QString::fromLatin1(type)));
    return objects ? objects->values() : QList<CVObject*>();
}

// Every lane at the end of a section that turnings leave feeds at least
// one of them. (An entrance lane that ends before the section's end cannot.)
QStringList unservedLanes(CVModel* model)
{
    QStringList unserved;
    for (CVObject* object : objectsOf(model, "CVSection")) {
        const auto* section = dynamic_cast<const CVSection*>(object);
        const CVNode* end = section->getDestination();
        if (!end || end->getFromTurnings(section).isEmpty())
            continue;
        const QPair<int, int> exitLanes = section->getExitLanes();
        for (int lane = exitLanes.first; lane <= exitLanes.second; ++lane) {
            if (end->getNumberDestinationLinks(section, lane) == 0)
                unserved << QStringLiteral("%1 lane %2").arg(section->getId()).arg(lane);
        }
    }
    return unserved;
}

struct Counts
{
    int cutNodes = 0, sideLanes = 0, centroids = 0, connections = 0;
};

Counts countRampsAndCentroids(CVModel* model, ParamicsImporterProbe& probe)
{
    Counts counts;
    for (const ParamicsNode* node : probe.rampNodes())
        counts.cutNodes += node->objectId ? 1 : 0;
    for (CVObject* object : objectsOf(model, "CVSection"))
        counts.sideLanes += dynamic_cast<CVSection*>(object)->getNbLanes() -
                            dynamic_cast<CVSection*>(object)->getNbFullLanes();
    for (CVObject* object : objectsOf(model, "CVCentroid")) {
        ++counts.centroids;
        counts.connections += int(dynamic_cast<CVCentroid*>(object)->getConnections().size());
    }
    return counts;
}

bool near(const CVPoint& a, const CVPoint& b)
{
    return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9;
}

LaneRange originOf(const CVTurning* t)
{
    return {t->getOriginFromLane(), t->getOriginToLane()};
}

LaneRange destinationOf(const CVTurning* t)
{
    return {t->getDestinationFromLane(), t->getDestinationToLane()};
}

}  // namespace

class TestRampsImport : public QObject
{
    Q_OBJECT

private slots:
    void handMadeNetwork();
    void examplesServeEveryLane_data();
    void examplesServeEveryLane();
};

void TestRampsImport::handMadeNetwork()
{
    NetworkDir dir;
    dir.write(QStringLiteral("categories"), Categories);
    dir.write(QStringLiteral("nodes"), Nodes);
    dir.write(QStringLiteral("links"), Links);
    dir.write(QStringLiteral("nextlanes"), NextLanes);
    dir.write(QStringLiteral("zones"), Zones);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    import(model.get(), importer, dir.path(), QStringLiteral("Quadstone"), QStringLiteral("Metric"));
    ParamicsImporterProbe probe(importer);
    CVCatalog* catalog = model->getCatalog();

    // The motorway section (4.5 m to 393.5 m, 3.75 m south of the node line)
    // is cut at 150 m: the first part ends at 145 m, the second starts at
    // 155 m with an entrance lane of the ramp's 100 m on its right.
    auto* first = dynamic_cast<CVSection*>(catalog->find(probe.links().value("1:2")->sectionId));
    QVERIFY(first);
    auto* cutNode = dynamic_cast<CVNode*>(catalog->find(probe.nodes().value("5")->objectId));
    QVERIFY(cutNode);
    QCOMPARE(cutNode->getName(), QStringLiteral("5"));
    QCOMPARE(first->getDestination(), cutNode);
    QVERIFY(near(first->getPoints().last(), CVPoint(145, -3.75)));
    const QVector<CVTurning*> atCut = cutNode->getTurnings();
    QCOMPARE(atCut.size(), 2);
    CVTurning* through = atCut[0];
    CVTurning* ramp = atCut[1];
    CVSection* second = through->getDestination();
    QVERIFY(near(second->getPoints().first(), CVPoint(155, -3.75)));
    QCOMPARE(second->getLanes(), QVector<CVSectionLane>({{}, {}, {0.0, 100.0}}));
    QCOMPARE(originOf(through), LaneRange(0, 1));
    QCOMPARE(destinationOf(through), LaneRange(0, 1));
    QCOMPARE(ramp->getOrigin()->getId(), probe.links().value("6:5")->sectionId);
    QCOMPARE(originOf(ramp), LaneRange(0, 0));
    QCOMPARE(destinationOf(ramp), LaneRange(2, 2));

    // At node 2: lane 0 of the files became host lane 2, cut back to lane 1;
    // lane 0, then unserved, went to the straight-on turning; the ranges of
    // the exits were widened over every lane at their start.
    const CVNode* node2 = dynamic_cast<CVNode*>(catalog->find(probe.nodes().value("2")->objectId));
    const QVector<CVTurning*> leaving = node2->getFromTurnings(second);
    QCOMPARE(leaving.size(), 2);
    QCOMPARE(leaving[0]->getDestination()->getName(), QStringLiteral("N2_N3"));
    QCOMPARE(originOf(leaving[0]), LaneRange(0, 1));
    QCOMPARE(destinationOf(leaving[0]), LaneRange(0, 1));
    QCOMPARE(originOf(leaving[1]), LaneRange(1, 1));
    QCOMPARE(destinationOf(leaving[1]), LaneRange(0, 0));
    QVERIFY(node2->getFromTurnings(first).isEmpty());

    // Zone 1 holds the dead end at node 4.
    const auto* centroid = dynamic_cast<CVCentroid*>(catalog->find(probe.zones().first()->centroidId));
    QVERIFY(centroid);
    QCOMPARE(centroid->getName(), QStringLiteral("C1"));
    QCOMPARE(centroid->getPosition(), CVPoint(400, 200, 0));
    QCOMPARE(centroid->getConnections().size(), 1);
    QCOMPARE(centroid->getConnections().first()->getConnectionObject()->getName(), QStringLiteral("N2_N4"));
    QCOMPARE(centroid->getConnections().first()->getConnectionType(), 1);
    QCOMPARE(unservedLanes(model.get()), QStringList());
}

void TestRampsImport::examplesServeEveryLane_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("units");
    QTest::newRow("quadstone") << examplesDir("quadstone") << "Quadstone" << "Metric";
    QTest::newRow("sias") << examplesDir("sias") << "Sias" << "Metric";
    // The shared networks may live elsewhere than beside this checkout.
    const QString shared = qEnvironmentVariable("SHARED_NETWORKS_DIR", QStringLiteral(SHARED_NETWORKS_DIR));
    QTest::newRow("escenario2") << shared + QStringLiteral("/escenario2") << "Quadstone" << "Metric";
}

void TestRampsImport::examplesServeEveryLane()
{
    QFETCH(QString, dir);
    QFETCH(QString, variant);
    QFETCH(QString, units);
    REQUIRE_SHARED_NETWORK(dir);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    import(model.get(), importer, dir, variant, units);
    ParamicsImporterProbe probe(importer);
    QVERIFY(!objectsOf(model.get(), "CVTurning").isEmpty());
    QCOMPARE(unservedLanes(model.get()), QStringList());
    const Counts counts = countRampsAndCentroids(model.get(), probe);
    qInfo("%s: %d cut nodes, %d side lanes, %d centroids, %d connections", qPrintable(QTest::currentDataTag()),
          counts.cutNodes, counts.sideLanes, counts.centroids, counts.connections);
    QCOMPARE(counts.centroids, int(probe.zones().size()));
}

QTEST_GUILESS_MAIN(TestRampsImport)
#include "tst_rampsimport.moc"
