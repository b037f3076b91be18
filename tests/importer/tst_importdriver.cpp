// The import driver: which files an import tries, in which order, how it
// reports progress, and how it finds or makes its centroid configuration
// and network layer.

#include "importerprobe.h"
#include "testsupport.h"

#include "reader/containers/splitwork.h"

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvfolder.h>
#include <cvgeomodel.h>
#include <cvlayer.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>
#include <cvnode.h>
#include <cvsystem.h>
#include <cvtask.h>
#include <cvtext.h>

#include <QtTest>

#include <memory>

namespace {

QStringList fileNamesOf(const QStringList& warnings, const QString& directory)
{
    QStringList names;
    const QString prefix = QStringLiteral("File: ") + directory + QLatin1Char('/');
    const QString suffix = QStringLiteral(". File not found");
    for (const QString& warning : warnings) {
        if (warning.startsWith(prefix) && warning.endsWith(suffix))
            names << warning.mid(prefix.size(), warning.size() - prefix.size() - suffix.size());
        else
            names << QStringLiteral("<unexpected: %1>").arg(warning);
    }
    return names;
}

}  // namespace

class TestImportDriver : public QObject
{
    Q_OBJECT

private slots:
    void workSharedBetweenThreadsChangesNothing_data();
    void workSharedBetweenThreadsChangesNothing();
    void emptyDirectoryWarnsOncePerFile_data();
    void emptyDirectoryWarnsOncePerFile();
    void demandsFilesAfterTheStoppingOneAreStillOpened();
    void phasesBuildInImportOrder();
    void readingReportsEighteenSteps();
    void quadstoneLeavesConfigurationValuesAtZero();
    void existingConfigurationIsReused_data();
    void existingConfigurationIsReused();
    void freshModelGetsConfigurationAndLayer();
    void activeLayerIsRenamed();
    void unitsSetTheFactor_data();
    void unitsSetTheFactor();
    void unitWordsHoldForLaterFiles_data();
    void unitWordsHoldForLaterFiles();
    void linksFilesEndAtTheFirstGap();
};

void TestImportDriver::emptyDirectoryWarnsOncePerFile_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("demandFiles");
    QTest::addColumn<QStringList>("expected");

    const QStringList before = {"zones", "categories", "centres", "nodes", "links", "nextlanes", "junctions", "priorities"};
    const QStringList after = {"profile", "matrix", "busstops", "busroutes", "vehicles", "detectors", "beacons", "annotation"};

    QTest::newRow("quadstone, one demands file") << "Quadstone" << 1 << before + QStringList{"demands"} + after;
    QTest::newRow("sias reads the configuration first")
        << "Sias" << 1 << QStringList{"configuration"} + before + QStringList{"demands"} + after;
    QTest::newRow("three numbered demands files")
        << "Quadstone" << 3 << before + QStringList{"demands.1", "demands.2", "demands.3"} + after;
    QTest::newRow("no demands file") << "Quadstone" << 0 << before + after;
    QTest::newRow("negative count reads none") << "Quadstone" << -2 << before + after;
    // Any other variant reads neither priorities nor profile.
    QStringList other = before + QStringList{"demands"} + after;
    other.removeAll("priorities");
    other.removeAll("profile");
    QTest::newRow("unknown variant") << "quadstone" << 1 << other;
}

void TestImportDriver::emptyDirectoryWarnsOncePerFile()
{
    QFETCH(QString, version);
    QFETCH(int, demandFiles);
    QFETCH(QStringList, expected);

    NetworkDir dir;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const int objectsBefore = model->getCatalog()->size();
    {
        ParamicsImporter importer;
        importer.setModel(model.get());
        importer.setConfiguration();
        importer.setNetworkLayer();
        importer.setUnits(QStringLiteral("Metric"));
        importer.setRightHandDrive(true);
        importer.setNbDemandsFile(demandFiles);
        importer.setVersion(version);
        importer.netImport(dir.path());
    }
    QCOMPARE(fileNamesOf(model->getLog()->warnings(), dir.path()), expected);
    // Only the configuration, its folders, the layer and the (empty) control
    // plan with its folder, and the public lines folder are new: no network.
    QCOMPARE(model->getCatalog()->size() - objectsBefore, 7);
    QCOMPARE(model->getCatalog()->size(model->getType(QStringLiteral("CVSection"))), 0);
}

void TestImportDriver::workSharedBetweenThreadsChangesNothing_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<ParamicsVariant>("variant");
    QTest::addColumn<int>("sharedTurningsAtLeast");

    // A generated city is large enough for every step that shares its work
    // to do so; the examples take the Sias priorities and the left-hand
    // traffic through the threads that read beside the sections.
    QTest::newRow("generated city") << QString() << ParamicsVariant::Quadstone << 20000;
    QTest::newRow("sias example") << examplesDir(QStringLiteral("sias")) << ParamicsVariant::Sias << 1;
    QTest::newRow("quadstone example") << examplesDir(QStringLiteral("quadstone")) << ParamicsVariant::Quadstone << 1;
}

// Whatever the threads do, the model, its ids and its log are those of the
// plan walked on one thread, to the byte.
void TestImportDriver::workSharedBetweenThreadsChangesNothing()
{
    QFETCH(QString, directory);
    QFETCH(ParamicsVariant, variant);
    QFETCH(int, sharedTurningsAtLeast);

    QTemporaryDir generated;
    if (directory.isEmpty()) {
        directory = generated.filePath(QStringLiteral("city"));
        QProcess generator;
        generator.start(QStringLiteral("python3"),
                        {QStringLiteral(GENERATOR), "--size", "city", "--seed", "5", directory});
        QVERIFY(generator.waitForFinished(120000) && generator.exitCode() == 0);
    }
    const auto importJson = [&directory, variant](bool shared) {
        workSharingAllowed() = shared;
        std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get(), variant);
        importer.netImport(directory);
        workSharingAllowed() = true;
        return std::pair(model->getCatalog()->size(model->getType(QStringLiteral("CVTurning"))),
                         CVModelWriter::toJson(*model));
    };
    const auto [sharedTurnings, shared] = importJson(true);
    const auto [aloneTurnings, alone] = importJson(false);
    QVERIFY2(sharedTurnings >= sharedTurningsAtLeast, "too few turnings for the work to be shared");
    QCOMPARE(sharedTurnings, aloneTurnings);
    QVERIFY(shared == alone);
}

// A matrix above the declared count in demands.1 ends the demand reading,
// yet demands.2 and demands.3 are still opened (and warned about).
void TestImportDriver::demandsFilesAfterTheStoppingOneAreStillOpened()
{
    NetworkDir dir;
    dir.write(QStringLiteral("demands.1"), "matrix count 1 matrix 1 from 1 5 matrix 2 from 1 6");
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    configureLikeTheDialog(importer, model.get());
    importer.setNbDemandsFile(3);
    probe.readFiles(dir.path());
    const QStringList opened = fileNamesOf(model->getLog()->warnings(), dir.path());
    QVERIFY(opened.contains("demands.2") && opened.contains("demands.3"));
    QCOMPARE(probe.demands().size(), 1);
}

// Each phase makes its host objects after the one before: the first object
// of each kind, and the last vehicle type, come in the phases' order.
void TestImportDriver::phasesBuildInImportOrder()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    configureLikeTheDialog(importer, model.get());
    importer.netImport(examplesDir(QStringLiteral("quadstone")));
    QMap<QString, unsigned int> firstId;
    unsigned int lastVehicle = 0;
    for (const CVObject* object : model->getCatalog()->allObjects()) {
        const QString type = object->getTypeName();
        if (!firstId.contains(type) || object->getId() < firstId.value(type))
            firstId.insert(type, object->getId());
        if (type == QLatin1String("CVVehicle"))
            lastVehicle = std::max(lastVehicle, object->getId());
    }
    const QStringList order = {"CVControlPlanSignal", "CVSection", "CVControlPlan", "CVODMatrix", "CVBusStop",
                               "CVPublicLine", "CVDetector", "CVVMS", "CVText"};
    for (int i = 1; i < order.size(); ++i) {
        QVERIFY2(firstId.value(order[i - 1]) > 0 && firstId.value(order[i - 1]) < firstId.value(order[i]),
                 qPrintable(order[i - 1] + " before " + order[i]));
    }
    QVERIFY(firstId.value("CVControlPlan") < lastVehicle && lastVehicle < firstId.value("CVODMatrix"));
}

void TestImportDriver::readingReportsEighteenSteps()
{
    NetworkDir dir;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    QVector<int> steps;
    QString taskName;
    int totalSteps = 0;
    bool ended = false;
    auto connection = connect(&CVSystem::getSystem(), &CVSystem::taskCreated, this, [&](CVTask* task) {
        connect(task, &CVTask::stepped, this, [&](CVTask* t, int step) {
            steps << step;
            taskName = t->getName();
            totalSteps = t->getTotalSteps();
        });
        connect(task, &CVTask::ended, this, [&](CVTask*) { ended = true; });
    });
    ParamicsImporter importer;
    importer.setModel(model.get());
    importer.setVersion(QStringLiteral("Quadstone"));
    importer.netImport(dir.path());
    disconnect(connection);

    QVector<int> expected;
    for (int i = 1; i <= 18; ++i)
        expected << i;
    QCOMPARE(steps, expected);
    QCOMPARE(taskName, QStringLiteral("Reading Files"));
    QCOMPARE(totalSteps, 18);
    QVERIFY(ended);
}

void TestImportDriver::quadstoneLeavesConfigurationValuesAtZero()
{
    NetworkDir dir;
    dir.write(QStringLiteral("configuration"), "stop delay 3\nto red time 2\n");
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    importer.setModel(model.get());
    importer.setVersion(QStringLiteral("Quadstone"));
    probe.readFiles(dir.path());
    QCOMPARE(probe.stopDelay(), 0.0f);
    QCOMPARE(probe.toRedTime(), 0.0f);

    ParamicsImporter sias;
    ParamicsImporterProbe siasProbe(sias);
    sias.setModel(model.get());
    sias.setVersion(QStringLiteral("Sias"));
    siasProbe.readFiles(dir.path());
    QCOMPARE(siasProbe.stopDelay(), 3.0f);
    QCOMPARE(siasProbe.toRedTime(), 2.0f);
}

// The configuration is found by name, in any case, whatever its type: an
// object of another type under that name leaves the import without one,
// and the import still builds its centroids and matrices.
void TestImportDriver::existingConfigurationIsReused_data()
{
    QTest::addColumn<QString>("type");
    QTest::newRow("a configuration") << "CVCentroidConfiguration";
    QTest::newRow("a folder") << "CVFolder";
}

void TestImportDriver::existingConfigurationIsReused()
{
    QFETCH(QString, type);
    const bool configuration = type == QLatin1String("CVCentroidConfiguration");
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVObject* existing = CVSystem::getSystem().newObject(type, model.get());
    existing->setName(QStringLiteral("PARAMICS configuration"));
    const int objectsBefore = model->getCatalog()->size();

    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    importer.setModel(model.get());
    importer.setConfiguration();
    QCOMPARE(static_cast<CVObject*>(probe.centroidConfiguration()), configuration ? existing : nullptr);
    QCOMPARE(model->getCatalog()->size(), objectsBefore);  // no folder, no new configuration
    QCOMPARE(existing->getName(), QStringLiteral("PARAMICS configuration"));

    configureLikeTheDialog(importer, model.get());
    importer.netImport(examplesDir(QStringLiteral("quadstone")));
    const CVType* configurations = model->getType(QStringLiteral("CVCentroidConfiguration"));
    QCOMPARE(model->getCatalog()->size(configurations), configuration ? 1 : 0);
    QVERIFY(model->getCatalog()->size(model->getType(QStringLiteral("CVCentroid"))) > 0);
    QVERIFY(model->getCatalog()->size(model->getType(QStringLiteral("CVODMatrix"))) > 0);
}

void TestImportDriver::freshModelGetsConfigurationAndLayer()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    importer.setModel(model.get());
    importer.setConfiguration();
    importer.setNetworkLayer();

    CVCentroidConfiguration* configuration = probe.centroidConfiguration();
    QVERIFY(configuration);
    QCOMPARE(configuration->getName(), QStringLiteral("Paramics Configuration"));
    CVFolder* folder = model->getCreateRootFolder()->findFolder(QStringLiteral("CVModel::centroidsConf"));
    QVERIFY(folder && folder->contains(configuration));
    QCOMPARE(model->getActiveCentroidConfiguration(), configuration);

    CVLayer* layer = probe.layer();
    QVERIFY(layer);
    QCOMPARE(layer->getName(), QStringLiteral("Network"));
    QCOMPARE(layer->getLevel(), 100);
    QCOMPARE(layer->getInternalName(), QStringLiteral("Default_CORVIA"));
    QCOMPARE(model->getGeoModel()->getLayers(), QVector<CVLayer*>{layer});
    QCOMPARE(model->getCatalog()->find(QStringLiteral("Network"), model->getType(QStringLiteral("CVLayer"))), layer);
}

void TestImportDriver::activeLayerIsRenamed()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* existing = static_cast<CVLayer*>(CVSystem::getSystem().newObject(QStringLiteral("CVLayer"), model.get()));
    existing->setName(QStringLiteral("Base map"));
    existing->setLevel(7);
    model->getGeoModel()->add(nullptr, existing);

    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    importer.setModel(model.get());
    importer.setNetworkLayer();
    QCOMPARE(probe.layer(), existing);
    QCOMPARE(existing->getName(), QStringLiteral("Network"));
    QCOMPARE(existing->getLevel(), 7);
    QCOMPARE(model->getGeoModel()->getLayers().size(), 1);
}

void TestImportDriver::unitsSetTheFactor_data()
{
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<double>("factor");
    QTest::newRow("default is metres") << QStringList{} << 1.0;
    QTest::newRow("feet") << QStringList{"Feet"} << 0.3;
    QTest::newRow("metric after feet") << QStringList{"Feet", "Metric"} << 1.0;
    QTest::newRow("unknown text keeps the factor") << QStringList{"Feet", "yards"} << 0.3;
}

void TestImportDriver::unitsSetTheFactor()
{
    QFETCH(QStringList, calls);
    QFETCH(double, factor);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    for (const QString& units : calls)
        importer.setUnits(units);
    QCOMPARE(probe.unitFactor(), factor);
}

// The unit word of the zones file's "max", of the centres file's "at" and
// of the nodes file's "Box" sets the length unit for that file and every
// file read after it, over the dialog's choice; node 1 at (100, 200) and an
// annotation at (10, 20) show the unit in force when each is read.
void TestImportDriver::unitWordsHoldForLaterFiles_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("zones");    // unit word of "max", empty for no zones file
    QTest::addColumn<QString>("centres");  // unit word of "at"
    QTest::addColumn<QString>("box");      // unit word of "Box", before the nodes
    QTest::addColumn<double>("factor");

    QTest::newRow("dialog's feet") << "Feet" << "" << "" << "" << 0.3;
    QTest::newRow("zones in feet over metres") << "Metric" << "ft" << "" << "" << 0.3;
    QTest::newRow("zones in metres over feet") << "Feet" << "m" << "" << "" << 1.0;
    QTest::newRow("centres after zones") << "Metric" << "ft" << "m," << "" << 1.0;
    QTest::newRow("nodes' box after zones and centres") << "Metric" << "m" << "m" << "ft" << 0.3;
}

void TestImportDriver::unitWordsHoldForLaterFiles()
{
    QFETCH(QString, dialog);
    QFETCH(QString, zones);
    QFETCH(QString, centres);
    QFETCH(QString, box);
    QFETCH(double, factor);
    NetworkDir dir;
    if (!zones.isEmpty())
        dir.write(QStringLiteral("zones"), QStringLiteral("Zone Count 1\nzone 1\nmax 10 %1 10 %1\n").arg(zones).toLatin1());
    if (!centres.isEmpty())
        dir.write(QStringLiteral("centres"), QStringLiteral("Control Points 1\n#1 at 5 %1 5 %1\n").arg(centres).toLatin1());
    QByteArray nodes = "node 1 at 100 m 200 m 0 m junction\n";
    if (!box.isEmpty())
        nodes.prepend(QStringLiteral("Bounding Box 0 %1 0 %1 500 %1 500 %1\n").arg(box).toLatin1());
    dir.write(QStringLiteral("nodes"), nodes);
    dir.write(QStringLiteral("annotation"), "text colour 7 (10.0 ,20.0 ,0.0) \"A\"\n");

    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    {
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get(), ParamicsVariant::Quadstone,
                               dialog == QLatin1String("Feet") ? ParamicsLengthUnit::Feet : ParamicsLengthUnit::Metric);
        importer.netImport(dir.path());
    }
    const auto* node = dynamic_cast<const CVNode*>(model->getCatalog()->find(QStringLiteral("1"), model->getType(QStringLiteral("CVNode"))));
    QVERIFY(node);
    QCOMPARE(node->getPosition(), CVPoint(100 * factor, 200 * factor, 0));
    const auto* labels = model->getCatalog()->getObjectsByType(model->getType(QStringLiteral("CVText")));
    QVERIFY(labels && labels->size() == 1);
    QCOMPARE(dynamic_cast<const CVText*>(*labels->begin())->getPosition(), CVPoint(10 * factor, 20 * factor, 0));
}

// The links files are links.0 (or links), links.1 and so on up to the
// first one missing: a file after the gap is never read.
void TestImportDriver::linksFilesEndAtTheFirstGap()
{
    NetworkDir dir;
    dir.write(QStringLiteral("nodes"), "node 1 at 0 m 0 m 0 m junction\nnode 2 at 100 m 0 m 0 m junction\n"
                                       "node 3 at 200 m 0 m 0 m junction\n");
    dir.write(QStringLiteral("links.0"), "link 1 2\n");
    dir.write(QStringLiteral("links.1"), "link 2 3\n");
    dir.write(QStringLiteral("links.3"), "link 3 1\n");
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    {
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get());
        importer.netImport(dir.path());
    }
    const QStringList tried = fileNamesOf(model->getLog()->warnings(), dir.path()).filter(QStringLiteral("links"));
    QCOMPARE(tried, QStringList{QStringLiteral("links.2")});
    CVCatalog* catalog = model->getCatalog();
    QCOMPARE(catalog->size(model->getType(QStringLiteral("CVSection"))), 2);
    QVERIFY(catalog->find(QStringLiteral("N1_N2")));
    QVERIFY(catalog->find(QStringLiteral("N2_N3")));
    QVERIFY(!catalog->find(QStringLiteral("N3_N1")));
}

QTEST_GUILESS_MAIN(TestImportDriver)
#include "tst_importdriver.moc"
