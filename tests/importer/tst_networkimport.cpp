// Small hand-made networks imported through the whole importer against
// values worked out by hand (the bundled and shared networks are fixed by
// their golden models).

#include "importerprobe.h"
#include "testsupport.h"

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvpreferencesvalues.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

using LaneRange = QPair<int, int>;

namespace {

namespace junction {
// Four nodes in metres: 1 (0, 0), 2 (100, 0), 3 (200, 0) and the
// roundabout 4 (100, 100). Roads 1-2 and 2-4 run both ways; 2-3 is one-way
// towards 3 (3:2 is barred). Category 1: 2 lanes, 7 m, 50 km/h, urban.
// Category 2: 1 lane, 3.5 m, 80 km/h, Freeway; link 4:2 has 2 lanes of its
// own.
const char* const Categories = "categories 1 to 2\n"
                               "category 1  lanes 2  speed 50 kph  width 7.0 m  type urban\n"
                               "category 2  lanes 1  speed 80 kph  width 3.5 m  type Freeway\n";
const char* const Nodes = "Bounding Box 0 m 0 m 200 m 100 m\n"
                          "node 1 at 0 m, 0 m, 0 m junction\n"
                          "node 2 at 100 m, 0 m, 0 m junction\n"
                          "node 3 at 200 m, 0 m, 0 m junction\n"
                          "node 4 at 100 m, 100 m, 0 m roundabout\n";
const char* const Links = "link 1 2 category 1\n"
                          "link 2 1 category 1\n"
                          "link 2 3 category 1\n"
                          "link 3 2 category 1 barred\n"
                          "link 2 4 category 2\n"
                          "link 4 2 category 2 lanes 2\n";
// Turnings of 1:2 in right-hand order: 2:3 (ahead), 2:4 (left), 2:1.
// Paramics lane 1 is the kerb lane.
const char* const NextLanes = "link 1:2\n"
                              "lane 1 next 1 0 0\n"
                              "lane 2 next 2 1 0\n";
// Turnings of 4:2: 2:1 (right), 2:3 (left), 2:4. The left turn uses the
// offside lane 2 into every lane.
const char* const Junctions = "junction 4:2\n"
                              "out 2 lanes 2\n";

struct ExpectedSection
{
    const char* link;
    const char* name;
    const char* roadType;
    double speed;
    double laneWidth;
    int lanes;
    CVPoint start;
    CVPoint end;
};

// Cut-backs: nodes 1 and 4 continue a road (0.7 m); node 2 has 2 open
// links in and 3 out (5 m + 3.5 m); node 3 one in (1 m + 3.5 m). Shifts:
// half of the opposite carriageway plus 0.25 m, to the right; none for 2:3,
// whose opposite link is barred.
const ExpectedSection Sections[] = {
    {"1:2", "N1_N2", "Arterial", 50, 3.5, 2, CVPoint(0.7, -3.75), CVPoint(91.5, -3.75)},
    {"2:1", "N2_N1", "Arterial", 50, 3.5, 2, CVPoint(91.5, 3.75), CVPoint(0.7, 3.75)},
    {"2:3", "N2_N3", "Arterial", 50, 3.5, 2, CVPoint(108.5, 0), CVPoint(195.5, 0)},
    {"2:4", "N2_N4", "Freeway", 80, 3.5, 1, CVPoint(102, 8.5), CVPoint(102, 99.3)},
    {"4:2", "N4_N2", "Freeway", 80, 3.5, 2, CVPoint(98, 99.3), CVPoint(98, 8.5)},
};

struct ExpectedTurning
{
    const char* from;
    const char* to;
    LaneRange originLanes;
    LaneRange destinationLanes;
};

const ExpectedTurning Turnings[] = {
    {"1:2", "2:3", {0, 1}, {0, 1}},
    {"1:2", "2:4", {0, 0}, {0, 0}},
    // The right turn from lanes 0-1 crosses the left turn from lane 0; the
    // turning repair moves the right turn to the kerb lane.
    {"4:2", "2:1", {1, 1}, {0, 1}},
    {"4:2", "2:3", {0, 0}, {0, 1}},
};

}  // namespace junction

namespace ramp {
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

}  // namespace ramp

// Writes the files into a scratch directory and imports it in metres.
void importFiles(CVModel* model, ParamicsImporter& importer, const QMap<QString, QByteArray>& files)
{
    NetworkDir dir;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        dir.write(it.key(), it.value());
    configureLikeTheDialog(importer, model);
    importer.netImport(dir.path());
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

bool near(const CVPoint& a, const CVPoint& b)
{
    return std::fabs(a.x - b.x) < 1e-6 && std::fabs(a.y - b.y) < 1e-6 && std::fabs(a.z - b.z) < 1e-6;
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

class TestNetworkImport : public QObject
{
    Q_OBJECT

private slots:
    void handMadeNetwork();
    void rampsAndCentroids();
    void planStepByStepBuildsTheSameModel();
    void namesReadInTheNetworksOneEncoding_data();
    void namesReadInTheNetworksOneEncoding();
};

void TestNetworkImport::handMadeNetwork()
{
    using namespace junction;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    importFiles(model.get(), importer, {{"categories", Categories}, {"nodes", Nodes}, {"links", Links},
                                        {"nextlanes", NextLanes}, {"junctions", Junctions}});
    ParamicsImporterProbe probe(importer);
    QCOMPARE(probe.nodes().size(), 4);

    QCOMPARE(model->getPreferences()->getValue(QStringLiteral("CVModel::Location::RoadSide")).toString(),
             QStringLiteral("0"));
    CVCatalog* catalog = model->getCatalog();
    QCOMPARE(catalog->size(model->getType(QStringLiteral("CVSection"))), 5);
    QCOMPARE(catalog->size(model->getType(QStringLiteral("CVNode"))), 4);
    QCOMPARE(catalog->size(model->getType(QStringLiteral("CVTurning"))), 4);
    QCOMPARE(probe.links().value(QStringLiteral("3:2"))->sectionId, 0u);

    auto hostNode = [&](const char* id) {
        return dynamic_cast<CVNode*>(catalog->find(probe.nodes().value(QString::fromLatin1(id))->objectId));
    };
    auto section = [&](const char* link) {
        return dynamic_cast<CVSection*>(catalog->find(probe.links().value(QString::fromLatin1(link))->sectionId));
    };

    for (const ExpectedSection& expected : Sections) {
        const QByteArray link(expected.link);
        CVSection* s = section(expected.link);
        QVERIFY2(s, link.constData());
        QCOMPARE(s->getName(), QString::fromLatin1(expected.name));
        QVERIFY2(s->getRoadType() && s->getRoadType()->getName() == QLatin1String(expected.roadType), link.constData());
        QCOMPARE(s->getSpeed(), expected.speed);
        QCOMPARE(s->getLaneWidth(), expected.laneWidth);
        QCOMPARE(s->getDataValueInt(CVSection::nbLanesColumn()), expected.lanes);
        QCOMPARE(s->getPoints().size(), 2);
        QVERIFY2(near(s->getPoints().first(), expected.start), link.constData());
        QVERIFY2(near(s->getPoints().last(), expected.end), link.constData());
        QCOMPARE(s->getOrigin(), hostNode(link.left(1).constData()));
        QCOMPARE(s->getDestination(), hostNode(link.right(1).constData()));
    }

    const CVNode* roundabout = hostNode("4");
    QCOMPARE(roundabout->getPosition(), CVPoint(100, 100, 0));
    // The files this network leaves out each give their own warning.
    const QStringList roundaboutWarnings =
        model->getLog()->warnings().filter(QStringLiteral("is a roundabout"));
    QCOMPARE(roundaboutWarnings,
             QStringList{QStringLiteral("Node: <A HREF=\"OBJ_REF://%1\">%1</A> is a roundabout").arg(roundabout->getId())});

    CVNode* junction = hostNode("2");
    QCOMPARE(junction->getTurnings().size(), 4);
    for (const ExpectedTurning& expected : Turnings) {
        const QByteArray name = QByteArray(expected.from) + " -> " + expected.to;
        ParamicsLink* from = probe.links().value(QString::fromLatin1(expected.from));
        const ParamicsTurning* record = from->findTurning(QString::fromLatin1(expected.to));
        QVERIFY2(record, name.constData());
        auto* turning = dynamic_cast<CVTurning*>(catalog->find(record->turningId));
        QVERIFY2(turning, name.constData());
        QCOMPARE(turning->getNode(), junction);
        QCOMPARE(turning->getOrigin(), section(expected.from));
        QCOMPARE(turning->getDestination(), section(expected.to));
        QCOMPARE(LaneRange(turning->getOriginFromLane(), turning->getOriginToLane()), expected.originLanes);
        QCOMPARE(LaneRange(turning->getDestinationFromLane(), turning->getDestinationToLane()),
                 expected.destinationLanes);
    }
    // Counters: no U-turn, nothing into the barred 3:2 or out of 2:3.
    QCOMPARE(probe.links().value(QStringLiteral("1:2"))->outTurnings, 2);
    QCOMPARE(probe.links().value(QStringLiteral("2:3"))->inTurnings, 2);
    QCOMPARE(probe.links().value(QStringLiteral("2:1"))->outTurnings, 0);
    QCOMPARE(probe.links().value(QStringLiteral("2:4"))->inTurnings, 1);
}

void TestNetworkImport::rampsAndCentroids()
{
    using namespace ramp;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    importFiles(model.get(), importer, {{"categories", Categories}, {"nodes", Nodes}, {"links", Links},
                                        {"nextlanes", NextLanes}, {"zones", Zones}});
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

// The benchmark times the geometry's steps one by one through the probe;
// the steps taken that way must build what createGeometry builds.
// The benchmark and the fuzz target walk the import plan step by step; the
// model must be the one the driver builds.
void TestNetworkImport::planStepByStepBuildsTheSameModel()
{
    using namespace ramp;
    const QMap<QString, QByteArray> files{
        {"categories", Categories}, {"nodes", Nodes}, {"links", Links}, {"nextlanes", NextLanes}, {"zones", Zones}};
    NetworkDir dir;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        dir.write(it.key(), it.value());
    QByteArray saved[2];
    for (const bool stepByStep : {false, true}) {
        std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get());
        if (stepByStep) {
            ParamicsImporterProbe probe(importer);
            for (const ParamicsImportStep& step : paramicsImportPlan)
                probe.runStep(step, dir.path());
        } else {
            importer.netImport(dir.path());
        }
        QVERIFY(!objectsOf(model.get(), "CVCentroid").isEmpty());
        QVERIFY(!objectsOf(model.get(), "CVTurning").isEmpty());
        saved[stepByStep] = CVModelWriter::toJson(*model);
    }
    QCOMPARE(saved[1], saved[0]);
}

void TestNetworkImport::namesReadInTheNetworksOneEncoding_data()
{
    QTest::addColumn<QByteArray>("priorities");
    QTest::addColumn<QStringList>("sections");
    // The nodes and links files name node "Märket" in UTF-8; the
    // priorities file, read on a thread of its own, holds a comment.
    QTest::newRow("every file UTF-8") << QByteArray("## \xc3\xa4\n")
                                      << QStringList{QStringLiteral("N1_NM\u00e4rket"), QStringLiteral("NM\u00e4rket_N1")};
    QTest::newRow("one Latin-1 file") << QByteArray("## \xe4\n")
                                      << QStringList{QStringLiteral("N1_NM\u00c3\u00a4rket"),
                                                     QStringLiteral("NM\u00c3\u00a4rket_N1")};
}

// Whichever file first shows a byte past ASCII, every file is read in the
// one encoding of the whole network.
void TestNetworkImport::namesReadInTheNetworksOneEncoding()
{
    QFETCH(QByteArray, priorities);
    QFETCH(QStringList, sections);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    importFiles(model.get(), importer,
                {{"categories", "categories 1 to 1\ncategory 1  lanes 1  speed 50 kph  width 3.5 m  type urban\n"},
                 {"nodes", "node 1 at 0 m, 0 m, 0 m junction\nnode M\xc3\xa4rket at 100 m, 0 m, 0 m junction\n"},
                 {"links", "link 1 M\xc3\xa4rket category 1\nlink M\xc3\xa4rket 1 category 1\n"},
                 {"priorities", priorities}});
    QStringList names;
    for (CVObject* section : objectsOf(model.get(), "CVSection"))
        names << section->getName();
    names.sort();
    QCOMPARE(names, sections);
}

QTEST_GUILESS_MAIN(TestNetworkImport)
#include "tst_networkimport.moc"
