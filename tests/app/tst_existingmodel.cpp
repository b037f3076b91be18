// An import into a model that already holds objects, with the importer
// driven directly (the import dialog refuses a model that has sections; a
// program using the importer has no such guard): every object that was
// there stays as it was, new objects get ids of their own, and only the
// objects the import looks up by name are reused.

#include "testsupport.h"

#include "importerprobe.h"

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsystem.h>

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
    QTest::newRow("quadstone") << QStringLiteral("Quadstone");
    QTest::newRow("sias") << QStringLiteral("Sias");
}

void TestExistingModel::importKeepsExistingObjects()
{
    QFETCH(QString, variant);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVSystem& system = CVSystem::getSystem();
    auto make = [&](const char* type, const QString& name) {
        CVObject* object = system.newObject(QLatin1String(type), model.get(), -1, true);
        object->setName(name);
        return object;
    };
    // Objects named as the import names its own: a section and node of the
    // network, a zone's centroid (with the zone number as external id), and
    // a node that bears the centroid configuration's name.
    auto* section = static_cast<CVSection*>(make("CVSection", QStringLiteral("N1_N2")));
    section->setDataValue(CVSection::nbLanesColumn(), 3);
    auto* node = static_cast<CVNode*>(make("CVNode", QStringLiteral("1")));
    section->setOrigin(node);
    CVObject* centroid = make("CVCentroid", QStringLiteral("C1"));
    centroid->setExternalId(QStringLiteral("1"));
    make("CVNode", QStringLiteral("Paramics Configuration"));

    QMap<unsigned int, QByteArray> before;
    unsigned int highestBefore = 0;
    for (CVObject* object : model->getCatalog()->allObjects()) {
        before.insert(object->getId(), snapshot(object));
        highestBefore = std::max(highestBefore, object->getId());
    }

    {
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get(), variant);
        importer.netImport(examplesDir(variant.toLower()));
    }
    const int added = model->getCatalog()->size() - before.size();
    QVERIFY(model->getCatalog()->size(model->getType(QStringLiteral("CVSection"))) > 10);

    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const CVObject* object = model->getCatalog()->find(it.key());
        QVERIFY2(object, qPrintable(QStringLiteral("object %1 was removed").arg(it.key())));
        QCOMPARE(snapshot(object), it.value());
    }
    // New objects have ids above every existing one; the import's own
    // section N1_N2 and centroid C1 exist beside the old ones.
    const CVCatalog* catalog = model->getCatalog();
    QVERIFY(added > 0);
    for (CVObject* object : catalog->allObjects())
        QVERIFY(before.contains(object->getId()) || object->getId() > highestBefore);
    int sectionsNamed = 0, centroidsNamed = 0;
    for (CVObject* object : catalog->allObjects()) {
        sectionsNamed += object->getName() == QLatin1String("N1_N2");
        centroidsNamed += object->getName() == QLatin1String("C1");
    }
    QCOMPARE(sectionsNamed, 2);
    QCOMPARE(centroidsNamed, 2);
}

QTEST_GUILESS_MAIN(TestExistingModel)
#include "tst_existingmodel.moc"
