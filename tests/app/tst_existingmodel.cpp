// An import into a model that already holds objects, with the importer
// driven directly (the import dialog refuses a model that has sections; a
// program using the importer has no such guard): every object that was
// there stays as it was, new objects get ids of their own, and only the
// object the import looks up by name (the centroid configuration) is used.

#include "testsupport.h"

#include "importerprobe.h"

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvcentroidconfiguration.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QJsonDocument>
#include <QtTest>

#include <memory>

namespace {

// An object as the model file would write it: id, type, name, fields.
QByteArray snapshot(const CVObject* object)
{
    QJsonObject json = object->fieldsJson();
    json.insert(QStringLiteral("id"), qint64(object->getId()));
    json.insert(QStringLiteral("name"), object->getName());
    json.insert(QStringLiteral("externalId"), object->getExternalId());
    json.insert(QStringLiteral("data"), object->dataValuesJson());
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

}  // namespace

class TestExistingModel : public QObject
{
    Q_OBJECT

private slots:
    void importKeepsExistingObjects_data();
    void importKeepsExistingObjects();
};

void TestExistingModel::importKeepsExistingObjects_data()
{
    QTest::addColumn<QString>("variant");
    // The type of the object named like the centroid configuration: a
    // configuration is taken over, anything else leaves the import without
    // one.
    QTest::addColumn<QString>("configurationType");
    QTest::newRow("quadstone, a configuration of that name") << QStringLiteral("Quadstone") << QStringLiteral("CVCentroidConfiguration");
    QTest::newRow("quadstone, a node of that name") << QStringLiteral("Quadstone") << QStringLiteral("CVNode");
    QTest::newRow("sias, a configuration of that name") << QStringLiteral("Sias") << QStringLiteral("CVCentroidConfiguration");
    QTest::newRow("sias, a node of that name") << QStringLiteral("Sias") << QStringLiteral("CVNode");
}

void TestExistingModel::importKeepsExistingObjects()
{
    QFETCH(QString, variant);
    QFETCH(QString, configurationType);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVSystem& system = CVSystem::getSystem();
    auto make = [&](const QString& type, const QString& name) {
        CVObject* object = system.newObject(type, model.get(), -1, true);
        object->setName(name);
        return object;
    };
    // Objects named as the import names its own: a section, its nodes and a
    // turning between two sections of the network, a zone's centroid (with
    // the zone number as external id).
    auto* section = static_cast<CVSection*>(make(QStringLiteral("CVSection"), QStringLiteral("N1_N2")));
    section->setDataValue(CVSection::nbLanesColumn(), 3);
    auto* node = static_cast<CVNode*>(make(QStringLiteral("CVNode"), QStringLiteral("1")));
    section->setOrigin(node);
    auto* onward = static_cast<CVSection*>(make(QStringLiteral("CVSection"), QStringLiteral("N2_N3")));
    auto* turning = static_cast<CVTurning*>(make(QStringLiteral("CVTurning"), QStringLiteral("N1_N2 N2_N3")));
    turning->setSections(section, onward);
    turning->setNode(static_cast<CVNode*>(make(QStringLiteral("CVNode"), QStringLiteral("2"))));
    // Lanes its sections have: the turning repair clamps the lane ranges of
    // every turning of the model, those that were there included.
    turning->setOriginLanes(1, 2);
    CVObject* centroid = make(QStringLiteral("CVCentroid"), QStringLiteral("C1"));
    centroid->setExternalId(QStringLiteral("1"));
    // What the import takes by name, whatever the case of the letters: the
    // centroid configuration.
    CVObject* configuration = make(configurationType, QStringLiteral("PARAMICS configuration"));

    const CVCatalog* catalog = model->getCatalog();
    QMap<unsigned int, QByteArray> before;
    unsigned int highestBefore = 0;
    for (CVObject* object : catalog->allObjects()) {
        before.insert(object->getId(), snapshot(object));
        highestBefore = std::max(highestBefore, object->getId());
    }

    {
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get(), *variantFromName(variant));
        importer.netImport(examplesDir(variant.toLower()));
    }
    QVERIFY(catalog->size(model->getType(QStringLiteral("CVSection"))) > 10);

    // Every object that was there is as it was, but the configuration that
    // the import filled.
    const bool configurationTaken = configurationType == QLatin1String("CVCentroidConfiguration");
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const CVObject* object = catalog->find(it.key());
        QVERIFY2(object, qPrintable(QStringLiteral("object %1 was removed").arg(it.key())));
        if (object != configuration || !configurationTaken)
            QCOMPARE(snapshot(object), it.value());
    }

    // New objects have ids above every existing one; the import's own
    // section N1_N2, turnings and centroid C1 exist beside the old ones.
    QVERIFY(catalog->size() > before.size());
    int sectionsNamed = 0, centroidsNamed = 0, newTurnings = 0, configurations = 0;
    for (CVObject* object : catalog->allObjects()) {
        QVERIFY(before.contains(object->getId()) || object->getId() > highestBefore);
        sectionsNamed += object->getName() == QLatin1String("N1_N2");
        centroidsNamed += object->getName() == QLatin1String("C1");
        newTurnings += dynamic_cast<CVTurning*>(object) && object != turning;
        configurations += dynamic_cast<CVCentroidConfiguration*>(object) != nullptr;
    }
    QCOMPARE(sectionsNamed, 2);
    QCOMPARE(centroidsNamed, 2);
    QVERIFY(newTurnings > 0);

    // The configuration of that name is the import's, and no other is made;
    // an object of another type in its place leaves the import without one.
    QCOMPARE(configurations, configurationTaken ? 1 : 0);
    if (configurationTaken) {
        const auto* taken = static_cast<CVCentroidConfiguration*>(configuration);
        QVERIFY(taken->getCentroidIds().size() > 1);
        QVERIFY(!taken->getCentroidIds().contains(centroid->getId()));
        QVERIFY(!taken->getODMatrixIds().isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestExistingModel)
#include "tst_existingmodel.moc"
