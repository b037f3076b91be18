// The model check on the examples and the real network: the untouched
// networks give the counts that docs/check.md lists, and each kind of
// fault, injected into a copy (in the files, or in the imported model),
// gives exactly that finding with the right objects and trips.

#include "../importerprobe.h"
#include "../testsupport.h"

#include "check/checkfinding.h"
#include "check/inputscan.h"
#include "check/modelcheck.h"
#include "import/importrunner.h"

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvpublicline.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString escenario2 = QStringLiteral(SHARED_NETWORKS_DIR "/escenario2");

QString networkPath(const QString& network)
{
    return network == QLatin1String("escenario2") ? escenario2 : examplesDir(network);
}

struct Imported
{
    std::unique_ptr<CVModel> model;
    QString directory;
};

// An import as the window or corvia import runs it, options kept in the model.
Imported import(const QString& directory, ParamicsVariant variant, ParamicsLengthUnit units = ParamicsLengthUnit::Metric,
                RoadRule rule = RoadRule::KeepRight)
{
    Imported result{std::unique_ptr<CVModel>(CVSystem::getSystem().createModel()), directory};
    ParamicsImportOptions options;
    options.directory = directory;
    options.variant = variant;
    options.units = units;
    options.rule = rule;
    {
        ParamicsImporter importer;
        configureImporter(importer, result.model.get(), options);
        importer.netImport(directory);
    }
    result.model->setImportSettings(ImportRunner::modelSettings(QStringLiteral("Paramics Network"), options));
    return result;
}

// A copy of a network's files that a test may change.
void copyNetwork(const QString& from, const QString& to)
{
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name);
}

void replaceInFile(const QString& path, const QString& before, const QString& after)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString text = QString::fromLatin1(file.readAll());
    file.close();
    QVERIFY2(text.contains(before), qPrintable(before));
    text.replace(before, after);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toLatin1());
}

template <typename T>
T* findByName(CVModel& model, const char* type, const QString& name)
{
    return dynamic_cast<T*>(model.getCatalog()->find(name, model.getType(QString::fromLatin1(type))));
}

CVSection* linkSection(CVModel& model, int from, int to)
{
    return findByName<CVSection>(model, "CVSection", QStringLiteral("N%1_N%2").arg(from).arg(to));
}

CVNode* node(CVModel& model, const QString& name)
{
    return findByName<CVNode>(model, "CVNode", name);
}

// Takes the turnings out of the model for which the test says so.
void removeTurnings(CVModel& model, const std::function<bool(const CVTurning*)>& remove)
{
    QList<CVTurning*> doomed;
    for (CVObject* object : model.getCatalog()->allObjects()) {
        auto* turning = dynamic_cast<CVTurning*>(object);
        if (turning && remove(turning))
            doomed.append(turning);
    }
    for (CVTurning* turning : doomed) {
        turning->getNode()->removeTurning(turning);
        // Out of the catalogue, out of the model; its memory stays in the
        // object pool until the program ends.
        model.getCatalog()->remove(turning);
    }
}

bool between(const CVTurning* t, const CVSection* from, const CVSection* to)
{
    return t->getOrigin() == from && (!to || t->getDestination() == to);
}

CVTurning* turningBetween(CVModel& model, const CVSection* from, const CVSection* to)
{
    for (CVTurning* t : from->getDestination()->getTurnings()) {
        if (between(t, from, to))
            return t;
    }
    return nullptr;
}

QStringList labels(const CheckFinding& finding)
{
    QStringList result;
    for (const CheckObject& object : finding.objects)
        result << object.label;
    return result;
}

QString key(const CheckFinding& finding)
{
    return QStringLiteral("%1|%2|%3").arg(int(finding.kind)).arg(finding.text, labels(finding).join(QLatin1Char(',')));
}

// The findings of a kind in the second report that the first lacks.
QList<CheckFinding> newFindings(const CheckReport& before, const CheckReport& after, CheckKind kind)
{
    QSet<QString> old;
    for (const CheckFinding& f : before.findings)
        old.insert(key(f));
    QList<CheckFinding> result;
    for (const CheckFinding& f : after.findings) {
        if (f.kind == kind && !old.contains(key(f)))
            result.append(f);
    }
    return result;
}

struct Fault
{
    const char* name;
    const char* network;
    ParamicsVariant variant;
    std::function<void(const QString& directory)> editFiles;  // in a copy of the network
    std::function<void(CVModel& model)> editModel;           // after the import
    CheckKind kind;
    QStringList objects;  // of each new finding of the kind, one list per finding
    double trips;
    ParamicsLengthUnit units = ParamicsLengthUnit::Metric;
    RoadRule rule = RoadRule::KeepRight;
};

const QList<Fault>& faults()
{
    using V = ParamicsVariant;
    static const QList<Fault> table = {
        {"turnings out of a section removed", "quadstone", V::Quadstone, {},
         [](CVModel& m) { removeTurnings(m, [&](const CVTurning* t) { return between(t, linkSection(m, 9, 7), nullptr); }); },
         CheckKind::NoWayOut, {"link 9:7"}, 0.0},
        {"turnings into a section removed", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             const CVSection* target = linkSection(m, 9, 7);
             removeTurnings(m, [target](const CVTurning* t) { return t->getDestination() == target; });
         },
         CheckKind::NoWayIn, {"link 9:7"}, 0.0},
        {"a loop that cannot be left", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             // 2:6, 6:8, 8:3 and 3:2 keep only the turnings round their loop.
             const QList<CVSection*> loop{linkSection(m, 2, 6), linkSection(m, 6, 8), linkSection(m, 8, 3), linkSection(m, 3, 2)};
             removeTurnings(m, [&](const CVTurning* t) {
                 return loop.contains(t->getOrigin()) && !loop.contains(t->getDestination());
             });
         },
         CheckKind::DisconnectedPart, {"link 2:6,link 3:2,link 6:8,link 8:3"}, 0.0},
        {"a zone's connections dropped", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             for (CVObjectConnection* c : findByName<CVCentroid>(m, "CVCentroid", QStringLiteral("C3"))->getConnections())
                 c->setConnectionObject(nullptr);
         },
         CheckKind::ZoneUnconnected, {"zone 3"}, 420.0 + 464.0},
        {"a zone that trips cannot leave", "quadstone", V::Quadstone, {},
         [](CVModel& m) { removeTurnings(m, [&](const CVTurning* t) { return between(t, linkSection(m, 15, 6), nullptr); }); },
         CheckKind::OdWithoutPath, {"zone 2,zone 1,zone 3,zone 4,zone 5,zone 6"}, 172.0},
        {"the turning from a lane removed", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             removeTurnings(m, [&](const CVTurning* t) { return between(t, linkSection(m, 3, 4), linkSection(m, 4, 5)); });
         },
         CheckKind::LaneWithoutTurningOut, {"link 3:4"}, 0.0},
        {"a turning's lanes narrowed", "quadstone", V::Quadstone, {},
         [](CVModel& m) { turningBetween(m, linkSection(m, 9, 7), linkSection(m, 7, 2))->setDestinationLanes(0, 0); },
         CheckKind::LaneWithoutTurningIn, {"link 7:2"}, 0.0},
        {"a turning's lanes moved", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             turningBetween(m, linkSection(m, 1, 2), linkSection(m, 2, 7))->setOriginLanes(0, 0);
             turningBetween(m, linkSection(m, 1, 2), linkSection(m, 2, 6))->setOriginLanes(1, 1);
         },
         CheckKind::TurningsCross, {"turning link 1:2 to link 2:6,turning link 1:2 to link 2:7,link 1:2"}, 0.0},
        {"a movement taken out of its phase", "quadstone", V::Quadstone,
         [](const QString& d) { replaceInFile(d + "/priorities", "from 1 to 7 major\n", ""); }, {},
         CheckKind::MovementWithoutGreen, {"node 2,turning link 1:2 to link 2:7"}, 0.0},
        {"a phase of no time", "quadstone", V::Quadstone,
         // A phase without a time lasts its maximum; without either it lasts nothing.
         [](const QString& d) { replaceInFile(d + "/priorities", "\t26.00\n\tmax 30.00", "\t0.00\n\tmax 0.00"); }, {},
         CheckKind::PhaseWithoutTime, {"node 2"}, 0.0},
        {"phases without red", "quadstone", V::Quadstone,
         [](const QString& d) {
             replaceInFile(d + "/priorities", "red phase 3.00", "red phase 0.00");
             replaceInFile(d + "/priorities", "red phase 2.00", "red phase 0.00");
         },
         {}, CheckKind::PlanWithoutIntergreen, {"node 2"}, 0.0},
        {"a section cut short", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             CVSection* s = linkSection(m, 7, 9);
             const CVPoint start = s->getPoints().first();
             s->setFromSegment(start, CVPoint(start.x + 3.0, start.y), CVBezierCurve::Segment);
         },
         CheckKind::ShortSection, {"link 7:9"}, 0.0},
        {"a node moved onto another", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             const CVPoint p = node(m, "4")->getPosition();
             node(m, "10")->setPosition(CVPoint(p.x + 0.3, p.y));
         },
         CheckKind::NodesOnTop, {"node 10,node 4"}, 0.0},
        {"a centre line folded back", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             CVSection* s = linkSection(m, 7, 9);
             const CVPoints points = s->getPoints();
             const CVPoint a = points.first(), b = points.last();
             s->setFromPoints(CVPoints({a, b, CVPoint(a.x + 0.5 * (b.x - a.x) + 1.0, a.y + 0.5 * (b.y - a.y))}),
                              CVBezierCurve::PointList);
         },
         CheckKind::CentreLineFolds, {"link 7:9"}, 0.0},
        {"a node left out of a route", "quadstone", V::Quadstone,
         [](const QString& d) { replaceInFile(d + "/busroutes", "node 9\n", ""); }, {},
         CheckKind::LineGap, {"line \"22\",link 4:3,link 7:2"}, 0.0},
        {"a stop moved past its section", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             auto* stop = findByName<CVBusStop>(m, "CVBusStop", QStringLiteral("\"SouthfieldsParade\""));
             stop->setPosition(float(dynamic_cast<CVSection*>(stop->getSection())->length2D()));
         },
         CheckKind::StopBeyondSection, {"stop \"SouthfieldsParade\",link 9:7"}, 0.0},
        {"two route names cut to one", "quadstone", V::Quadstone,
         [](const QString& d) {
             replaceInFile(d + "/busroutes", "number \"10\"", "number \"22 A\"");
             replaceInFile(d + "/busroutes", "number \"22\"", "number \"22 B\"");
         },
         {}, CheckKind::LinesShareName, {"line \"22"}, 0.0},
        {"a line renamed as another", "quadstone", V::Quadstone, {},
         [](CVModel& m) { findByName<CVPublicLine>(m, "CVPublicLine", QStringLiteral("\"10\""))->setName(QStringLiteral("\"22\"")); },
         CheckKind::LinesShareName, {"line \"22\",line \"22\""}, 0.0},
        {"a stop renamed as another", "quadstone", V::Quadstone, {},
         [](CVModel& m) {
             findByName<CVBusStop>(m, "CVBusStop", QStringLiteral("\"SouthRoad\""))->setName(QStringLiteral("\"StationRoad\""));
         },
         CheckKind::StopsShareName, {"stop \"StationRoad\",stop \"StationRoad\""}, 0.0},
        {"Sias read as Quadstone", "sias", V::Quadstone, {}, {}, CheckKind::OtherVariant, {""}, 0.0},
        {"Quadstone read as Sias", "quadstone", V::Sias, {}, {}, CheckKind::OtherVariant, {""}, 0.0},
        {"metric files read as feet", "quadstone", V::Quadstone, {}, {}, CheckKind::OtherUnit, {"", "", ""}, 0.0,
         ParamicsLengthUnit::Feet},
        {"a configuration for the other rule", "sias", V::Sias, {}, {}, CheckKind::ConfigurationNotApplied, {""}, 0.0,
         ParamicsLengthUnit::Feet, RoadRule::KeepLeft},
    };
    return table;
}

}  // namespace

class TestModelCheck : public QObject
{
    Q_OBJECT

private slots:
    void untouchedNetworksGiveTheDocumentedCounts_data();
    void untouchedNetworksGiveTheDocumentedCounts();
    void injectedFaultGivesThatFinding_data();
    void injectedFaultGivesThatFinding();
    void everyKindHasAFault();
    void unitOfTheFiles_data();
    void unitOfTheFiles();
};

void TestModelCheck::untouchedNetworksGiveTheDocumentedCounts_data()
{
    QTest::addColumn<QString>("network");
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("counts");  // kind=count, the kinds found, in the report's order
    QTest::newRow("quadstone") << "quadstone" << int(ParamicsVariant::Quadstone)
                               << "no-way-out=1 od-without-path=6 stops-share-name=2";
    QTest::newRow("sias") << "sias" << int(ParamicsVariant::Sias)
                          << "no-way-out=1 od-without-path=6 stops-share-name=1";
    QTest::newRow("escenario2") << "escenario2" << int(ParamicsVariant::Quadstone)
                                << "no-way-out=1 no-way-in=1 zone-unconnected=1 movement-without-green=21 "
                                   "phase-without-time=1 plan-without-intergreen=1 short-section=5 "
                                   "stop-beyond-section=5 stops-share-name=10 configuration-not-applied=1";
}

void TestModelCheck::untouchedNetworksGiveTheDocumentedCounts()
{
    QFETCH(QString, network);
    QFETCH(int, variant);
    QFETCH(QString, counts);
    if (network == QLatin1String("escenario2"))
        REQUIRE_SHARED_NETWORK(escenario2);
    const Imported imported = import(networkPath(network), ParamicsVariant(variant),
                                     network == QLatin1String("sias") ? ParamicsLengthUnit::Feet : ParamicsLengthUnit::Metric);
    const CheckReport report = ModelCheck::run(*imported.model, imported.directory);
    QStringList found;
    for (const CheckKindInfo& kind : checkKinds()) {
        if (report.count(kind.kind) > 0)
            found << QStringLiteral("%1=%2").arg(QLatin1String(kind.id)).arg(report.count(kind.kind));
    }
    QCOMPARE(found.join(QLatin1Char(' ')), counts);
}

void TestModelCheck::injectedFaultGivesThatFinding_data()
{
    QTest::addColumn<int>("fault");
    for (int i = 0; i < faults().size(); ++i)
        QTest::newRow(faults()[i].name) << i;
}

void TestModelCheck::injectedFaultGivesThatFinding()
{
    QFETCH(int, fault);
    const Fault& f = faults()[fault];
    const QString original = networkPath(QString::fromLatin1(f.network));
    QTemporaryDir copy;
    copyNetwork(original, copy.path());
    // The baseline: the untouched network read with its own options.
    const bool sias = QLatin1String(f.network) == QLatin1String("sias");
    const Imported before = import(copy.path(), sias ? ParamicsVariant::Sias : ParamicsVariant::Quadstone,
                                   sias ? ParamicsLengthUnit::Feet : ParamicsLengthUnit::Metric);
    if (f.editFiles)
        f.editFiles(copy.path());
    if (QTest::currentTestFailed())
        return;
    const Imported after = import(copy.path(), f.variant, f.units, f.rule);
    if (f.editModel)
        f.editModel(*after.model);
    const CheckReport baseline = ModelCheck::run(*before.model, before.directory);
    const CheckReport report = ModelCheck::run(*after.model, after.directory);
    const QList<CheckFinding> found = newFindings(baseline, report, f.kind);
    QStringList objects;
    double trips = 0.0;
    for (const CheckFinding& finding : found) {
        objects << labels(finding).join(QLatin1Char(','));
        trips += finding.trips;
    }
    QCOMPARE(objects, f.objects);
    QCOMPARE(trips, f.trips);
}

// A kind without a fault in the table is a check that nothing tests.
void TestModelCheck::everyKindHasAFault()
{
    QSet<CheckKind> tested;
    for (const Fault& f : faults())
        tested.insert(f.kind);
    QStringList untested;
    for (const CheckKindInfo& kind : checkKinds()) {
        if (!tested.contains(kind.kind))
            untested << QLatin1String(kind.id);
    }
    QCOMPARE(untested, QStringList());
}

void TestModelCheck::unitOfTheFiles_data()
{
    QTest::addColumn<QByteArray>("zones");
    QTest::addColumn<QByteArray>("nodes");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("summary");
    QTest::newRow("no unit words") << QByteArray() << QByteArray() << "Feet" << "Feet";
    QTest::newRow("words agree") << QByteArray("zone 1\nmax 10 m 20 m\n") << QByteArray("Bounding Box 0 m 0 m 1 m 1 m\n")
                                 << "Feet" << "Metric";
    // The nodes file is read last: its unit holds for every later file.
    QTest::newRow("files differ") << QByteArray("zone 1\nmax 10 m 20 m\n") << QByteArray("Bounding Box 0 ft 0 ft 1 ft 1 ft\n")
                                  << "Metric" << "Feet (zones: Metric)";
    QTest::newRow("a comment says nothing") << QByteArray("## max 1 ft\n") << QByteArray() << "Metric" << "Metric";
}

void TestModelCheck::unitOfTheFiles()
{
    QFETCH(QByteArray, zones);
    QFETCH(QByteArray, nodes);
    QFETCH(QString, chosen);
    QFETCH(QString, summary);
    NetworkDir dir;
    dir.write(QStringLiteral("zones"), zones);
    dir.write(QStringLiteral("nodes"), nodes);
    QCOMPARE(InputScan::of(dir.path(), InputScan::Depth::UnitsAndConfiguration).unitsText(chosen), summary);
}

QTEST_MAIN(TestModelCheck)
#include "tst_modelcheck.moc"
