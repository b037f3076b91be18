// The host catalogue: look-ups by id, name, type and external id, and how
// they follow renames and removals.

#include <cvcatalog.h>
#include <cvfolder.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>
#include <cvsystem.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <memory>

class TestCatalog : public QObject
{
    Q_OBJECT

private slots:
    void newModelHoldsDefaults();
    void findByName_data();
    void findByName();
    void renameMovesTheIndexEntry();
    void externalIdLookupFollowsChanges();
    void objectsByTypeInAscendingId();
    void removeForgetsTheObject();
    void idsAreNeverReused();
    void createFolderReusesByName();
    void writerListsObjectsInIdOrder();
};

void TestCatalog::newModelHoldsDefaults()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const CVType* roadType = model->getType(QStringLiteral("CVRoadType"));
    const CVType* vehicle = model->getType(QStringLiteral("CVVehicle"));
    QCOMPARE(model->getCatalog()->size(roadType), 3);
    QCOMPARE(model->getCatalog()->size(vehicle), 2);
    for (const char* name : {"Freeway", "Urban Road", "Arterial"})
        QVERIFY2(model->getCatalog()->find(QString::fromLatin1(name), roadType), name);
    for (const char* name : {"car", "bus"})
        QVERIFY2(model->getCatalog()->find(QString::fromLatin1(name), vehicle), name);
}

void TestCatalog::findByName_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("typeName");  // empty: any type
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("expectedName");  // empty: nothing found

    QTest::newRow("exact name, any type") << "Urban Road" << "" << true << "Urban Road";
    QTest::newRow("other case, case-sensitive") << "urban road" << "" << true << "";
    QTest::newRow("other case, ignoring case") << "URBAN road" << "" << false << "Urban Road";
    QTest::newRow("right name, wrong type") << "Freeway" << "CVVehicle" << true << "";
    QTest::newRow("right name and type") << "bus" << "CVVehicle" << true << "bus";
    QTest::newRow("unknown name") << "Motorway" << "" << false << "";
}

void TestCatalog::findByName()
{
    QFETCH(QString, query);
    QFETCH(QString, typeName);
    QFETCH(bool, caseSensitive);
    QFETCH(QString, expectedName);

    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const CVType* type = typeName.isEmpty() ? nullptr : model->getType(typeName);
    CVObject* found = model->getCatalog()->find(query, type, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    QCOMPARE(found ? found->getName() : QString(), expectedName);
}

void TestCatalog::renameMovesTheIndexEntry()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVObject* folder = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    folder->setName(QStringLiteral("Old"));
    folder->setName(QStringLiteral("New"));
    QCOMPARE(model->getCatalog()->find(QStringLiteral("Old")), nullptr);
    QCOMPARE(model->getCatalog()->find(QStringLiteral("old"), nullptr, Qt::CaseInsensitive), nullptr);
    QCOMPARE(model->getCatalog()->find(QStringLiteral("NEW"), nullptr, Qt::CaseInsensitive), folder);
}

void TestCatalog::externalIdLookupFollowsChanges()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVObject* a = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    CVObject* b = CVSystem::getSystem().newObject(QStringLiteral("CVLayer"), model.get());
    a->setExternalId(QStringLiteral("7"));
    b->setExternalId(QStringLiteral("7"));
    QCOMPARE(model->getCatalog()->findObjectByExternalId(QStringLiteral("7")), a);  // lowest id first
    QCOMPARE(model->getCatalog()->findObjectByExternalId(QStringLiteral("7"), model->getType(QStringLiteral("CVLayer"))), b);
    a->setExternalId(QStringLiteral("8"));
    QCOMPARE(model->getCatalog()->findObjectByExternalId(QStringLiteral("7")), b);
    QCOMPARE(model->getCatalog()->findObjectByExternalId(QStringLiteral("8")), a);
}

void TestCatalog::objectsByTypeInAscendingId()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const CVType* folderType = model->getType(QStringLiteral("CVFolder"));
    QCOMPARE(model->getCatalog()->getObjectsByType(folderType), nullptr);
    QVector<unsigned int> made;
    for (int i = 0; i < 5; ++i)
        made << CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get())->getId();
    const CVCatalog::ObjectsById* folders = model->getCatalog()->getObjectsByType(folderType);
    QVERIFY(folders);
    QCOMPARE(QVector<unsigned int>(folders->keyBegin(), folders->keyEnd()), made);
}

void TestCatalog::removeForgetsTheObject()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVObject* folder = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    folder->setName(QStringLiteral("Gone"));
    const unsigned int id = folder->getId();
    model->getCatalog()->remove(folder);
    QCOMPARE(model->getCatalog()->find(id), nullptr);
    QCOMPARE(model->getCatalog()->find(QStringLiteral("Gone")), nullptr);
    QCOMPARE(model->getCatalog()->size(model->getType(QStringLiteral("CVFolder"))), 0);
}

void TestCatalog::idsAreNeverReused()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVObject* first = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    const unsigned int firstId = first->getId();
    model->getCatalog()->remove(first);
    CVObject* second = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    QVERIFY(second->getId() > firstId);
    QCOMPARE(CVSystem::getSystem().newObject(QStringLiteral("NoSuchType"), model.get()), nullptr);
}

void TestCatalog::createFolderReusesByName()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVFolder* root = model->getCreateRootFolder();
    bool created = false;
    CVFolder* a = CVSystem::getSystem().createFolder(root, QStringLiteral("CVModel::controlPlans"), false, &created);
    QVERIFY(created);
    CVFolder* b = CVSystem::getSystem().createFolder(root, QStringLiteral("CVModel::controlPlans"), false, &created);
    QVERIFY(!created);
    QCOMPARE(a, b);
    QCOMPARE(root->getMembers().size(), 1);
}

void TestCatalog::writerListsObjectsInIdOrder()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVFolder* folder = CVSystem::getSystem().createFolder(model->getCreateRootFolder(), QStringLiteral("F"));
    const QJsonObject root = QJsonDocument::fromJson(CVModelWriter::toJson(*model)).object();
    QCOMPARE(root.value("format").toString(), QStringLiteral("corvia-model"));
    QCOMPARE(root.value("version").toInt(), CVModelWriter::FormatVersion);
    const QJsonArray objects = root.value("objects").toArray();
    QCOMPARE(objects.size(), model->getCatalog()->size());
    qint64 previous = 0;
    for (const QJsonValue& value : objects) {
        const qint64 id = value.toObject().value("id").toInteger();
        QVERIFY(id > previous);
        previous = id;
    }
    const QJsonObject last = objects.last().toObject();
    QCOMPARE(last.value("id").toInteger(), qint64(folder->getId()));
    QCOMPARE(last.value("type").toString(), QStringLiteral("CVFolder"));
    QCOMPARE(last.value("name").toString(), QStringLiteral("F"));
}

QTEST_GUILESS_MAIN(TestCatalog)
#include "tst_catalog.moc"
