// The bundled example networks and the shared real network imported whole:
// signal control, vehicle types, OD matrices, stops, lines, detectors, signs
// and labels against counts worked out from their files.

#include "importerprobe.h"
#include "testsupport.h"

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvcontroljunction.h>
#include <cvcontrolplan.h>
#include <cvnode.h>
#include <cvodmatrix.h>
#include <cvvehicle.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>
#include <cvsectionobject.h>
#include <cvsystem.h>
#include <cvtext.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <memory>

namespace {

struct Import
{
    std::unique_ptr<CVModel> model{CVSystem::getSystem().createModel()};
    ParamicsImporter importer;
    ParamicsImporterProbe probe{importer};

    Import(const QString& dir, const QString& version, const QString& units)
    {
        configureLikeTheDialog(importer, model.get(), version, units);
        importer.netImport(dir);
    }

    template <typename T>
    QList<T*> objects(const char* typeName) const
    {
        QList<T*> list;
        if (const auto* byId = model->getCatalog()->getObjectsByType(model->getType(typeName))) {
            for (CVObject* object : *byId)
                list.append(dynamic_cast<T*>(object));
        }
        return list;
    }

    // Each line as "name sections/stops/departures".
    QStringList lines() const
    {
        QStringList list;
        for (const CVPublicLine* line : objects<CVPublicLine>("CVPublicLine")) {
            int departures = 0;
            for (const CVPublicLineTimeTable* timeTable : line->getTimeTables()) {
                for (const CVPublicLineTimeTableSchedule* schedule : timeTable->getSchedules())
                    departures += int(schedule->getDepartureTimes().size());
            }
            list << QStringLiteral("%1 %2/%3/%4")
                        .arg(line->getName())
                        .arg(line->getSections().size())
                        .arg(line->getStops().size())
                        .arg(departures);
        }
        return list;
    }

    QList<double> labelHeights() const
    {
        QList<double> heights;
        for (const CVText* label : objects<CVText>("CVText"))
            heights << label->getHeight();
        return heights;
    }

    // Every stop, detector and sign stands on a section and within its lanes.
    bool allOnSections(const char* typeName) const
    {
        for (const CVSectionObject* object : objects<CVSectionObject>(typeName)) {
            if (!object->getSection() || object->getFromLane() < 0 || object->getToLane() < object->getFromLane())
                return false;
        }
        return true;
    }

    QJsonObject savedObject(const char* typeName) const
    {
        const QJsonArray saved = QJsonDocument::fromJson(CVModelWriter::toJson(*model)).object().value("objects").toArray();
        for (const QJsonValue& value : saved) {
            if (value.toObject().value("type").toString() == QLatin1String(typeName))
                return value.toObject();
        }
        return {};
    }
};

}  // namespace

class TestTransitDeviceExamples : public QObject
{
    Q_OBJECT

private slots:
    void examples_data();
    void examples();
    void savedFields();
    void realNetwork();
    void signalsAndDemand_data();
    void signalsAndDemand();
};

void TestTransitDeviceExamples::examples_data()
{
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("units");
    QTest::addColumn<int>("stops");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("detectors");
    QTest::addColumn<int>("signs");
    QTest::addColumn<QList<double>>("labelHeights");
    // Every stop, detector and sign stands on an open link. Quadstone
    // labels read no height from "(x ,y ,z)"; the Sias ones give 80 ft
    // (24 m, raised to 25) and one of 120 ft.
    QTest::newRow("quadstone") << "quadstone" << "Quadstone" << "Metric" << 10
                               << QStringList({"\"10\" 4/4/8", "\"22\" 6/6/6"}) << 6 << 3
                               << QList<double>({25, 25, 25, 25, 25, 25});
    QTest::newRow("sias") << "sias" << "Sias" << "Feet" << 9 << QStringList({"\"10\" 4/4/10", "\"31\" 7/5/4"}) << 6 << 2
                          << QList<double>({25, 25, 25, 36, 25, 25});
}

void TestTransitDeviceExamples::examples()
{
    QFETCH(QString, variant);
    QFETCH(QString, version);
    QFETCH(QString, units);
    QFETCH(int, stops);
    QFETCH(QStringList, lines);
    QFETCH(int, detectors);
    QFETCH(int, signs);
    QFETCH(QList<double>, labelHeights);
    const Import import(examplesDir(variant), version, units);

    QCOMPARE(import.objects<CVBusStop>("CVBusStop").size(), stops);
    QCOMPARE(import.lines(), lines);
    QCOMPARE(import.objects<CVDetector>("CVDetector").size(), detectors);
    QCOMPARE(import.objects<CVVMS>("CVVMS").size(), signs);
    QCOMPARE(import.labelHeights(), labelHeights);
    QVERIFY(import.allOnSections("CVBusStop"));
    QVERIFY(import.allOnSections("CVDetector"));
    QVERIFY(import.allOnSections("CVVMS"));
}

// The model file carries what the builders set.
void TestTransitDeviceExamples::savedFields()
{
    const Import import(examplesDir("quadstone"), "Quadstone", "Metric");
    const QJsonObject line = import.savedObject("CVPublicLine");
    QCOMPARE(line.value("name").toString(), QStringLiteral("\"10\""));
    QCOMPARE(line.value("sections").toArray().size(), 4);
    QCOMPARE(line.value("stops").toArray().size(), 4);
    QCOMPARE(line.value("departures").toArray().first().toString(), QStringLiteral("07:00:00"));
    const QJsonObject stop = import.savedObject("CVBusStop");
    QCOMPARE(stop.value("name").toString(), QStringLiteral("\"WestGate\""));
    QCOMPARE(stop.value("length").toDouble(), 20.0);
    QCOMPARE(stop.value("position").toDouble(), 60.0);
    QVERIFY(stop.value("section").isDouble());
    const QJsonObject label = import.savedObject("CVText");
    QCOMPARE(label.value("text").toString(), QStringLiteral("\"Market Cross\""));
    QCOMPARE(label.value("height").toDouble(), 25.0);
}

void TestTransitDeviceExamples::realNetwork()
{
    const QString dir = QStringLiteral(SHARED_NETWORKS_DIR "/escenario2");
    REQUIRE_SHARED_NETWORK(dir);
    Import import(dir, "Quadstone", "Metric");

    const QList<CVPublicLine*> lines = import.objects<CVPublicLine>("CVPublicLine");
    QCOMPARE(lines.size(), import.probe.busRoutes().size());
    QCOMPARE(lines.size(), 21);
    for (const CVPublicLine* line : lines) {
        const ParamicsBusRoute* route = import.probe.busRoutes().value(line->getName());
        QVERIFY2(route, qPrintable(line->getName()));
        QCOMPARE(line->getTimeTables().size(), 1);
        QCOMPARE(line->getTimeTables().first()->getSchedules().first()->getDepartureTimes().size(),
                 route->releases.size());
    }
    QVERIFY(import.allOnSections("CVBusStop"));
    QVERIFY(import.allOnSections("CVDetector"));
}

void TestTransitDeviceExamples::signalsAndDemand_data()
{
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("units");
    // node:cycle/offset/phases/signals of each control junction
    QTest::addColumn<QStringList>("junctions");
    QTest::addColumn<float>("yellowTime");
    QTest::addColumn<int>("odMatrices");

    // Quadstone: node 2 runs 32+3, 26+3 and 10 (max 10 lowers 12)+2
    // seconds; 12 distinct movements have green. Matrices 1 and 2 follow
    // profiles 1 and 2 of eight non-zero steps, each for two vehicle
    // types (32), and the matrix file's matrix 3 gives coaches one more.
    QTest::newRow("quadstone") << "quadstone" << "Metric" << QStringList{"2:76/12/6/12"} << 0.0f << 33;
    // Sias: a time to red of 2 s joins every red; node 4's two stages.
    // Profile 2 has four steps: 2 x 8 + 2 x 4 + 1.
    QTest::newRow("sias") << "sias" << "Feet" << QStringList{"2:78/12/6/11", "4:56/30/4/8"} << 2.5f << 25;
}

void TestTransitDeviceExamples::signalsAndDemand()
{
    QFETCH(QString, variant);
    QFETCH(QString, units);
    QFETCH(QStringList, junctions);
    QFETCH(float, yellowTime);
    QFETCH(int, odMatrices);

    Import f(examplesDir(variant), variant == "quadstone" ? "Quadstone" : "Sias", units);

    const QList<CVControlPlan*> plans = f.objects<CVControlPlan>("CVControlPlan");
    QCOMPARE(plans.size(), 1);
    QStringList made;
    for (const auto& junction : plans.first()->getJunctions()) {
        const CVObject* node = f.model->getCatalog()->find(junction->getNodeId());
        QVERIFY(node);
        const ParamicsNode* record = nullptr;
        for (const ParamicsNode* n : f.probe.nodes())
            record = n->objectId == node->getId() ? n : record;
        QVERIFY(record);
        made << QStringLiteral("%1:%2/%3/%4/%5")
                    .arg(record->id)
                    .arg(junction->getCycle())
                    .arg(junction->getOffset())
                    .arg(junction->getPhases().size())
                    .arg(dynamic_cast<const CVNode*>(node)->getSignalIds().size());
        QCOMPARE(junction->getYellowTime(), yellowTime);
    }
    QCOMPARE(made, junctions);

    // Seven types of the file (the heading's type without a class makes none).
    int imported = 0;
    for (const CVVehicle* vehicle : f.objects<CVVehicle>("CVVehicle"))
        imported += vehicle->getName().startsWith("Paramics Vehicle") ? 1 : 0;
    QCOMPARE(imported, 7);
    for (const QVector<ParamicsVehicle*>& types : f.probe.vehicles()) {
        for (const ParamicsVehicle* type : types)
            QCOMPARE(bool(type->vehicle), !type->className.isEmpty());
    }
    QCOMPARE(f.objects<CVODMatrix>("CVODMatrix").size(), odMatrices);
    QCOMPARE(f.probe.centroidConfiguration()->getODMatrixIds().size(), odMatrices);
}

QTEST_GUILESS_MAIN(TestTransitDeviceExamples)
#include "tst_transitdeviceexamples.moc"
