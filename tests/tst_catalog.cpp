// The host catalogue: look-ups by id, name, type and external id, and how
// they follow renames and removals.

#include <cvcatalog.h>
#include <cvfolder.h>
#include <cvmodel.h>
#include <cvsection.h>
#include <cvsystem.h>

#include <QtTest>

#include <memory>
#include <vector>

class TestCatalog : public QObject
{
    Q_OBJECT

private slots:
    void findByName_data();
    void findByName();
    void indexFollowsRenameAndRemove();
    void externalIdLookupFollowsChanges();
    void objectsByTypeInAscendingId();
    void objectsAddedOutOfIdOrder_data();
    void objectsAddedOutOfIdOrder();
    void dataValuesSetAndReplaced();
    void createFolderReusesByName();
};

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

void TestCatalog::indexFollowsRenameAndRemove()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    CVObject* folder = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    folder->setName(QStringLiteral("Old"));
    folder->setName(QStringLiteral("New"));
    QCOMPARE(catalog->find(QStringLiteral("old"), nullptr, Qt::CaseInsensitive), nullptr);
    QCOMPARE(catalog->find(QStringLiteral("NEW"), nullptr, Qt::CaseInsensitive), folder);

    const unsigned int id = folder->getId();
    catalog->remove(folder);
    QCOMPARE(catalog->find(id), nullptr);
    QCOMPARE(catalog->find(QStringLiteral("New")), nullptr);
    QCOMPARE(catalog->size(model->getType(QStringLiteral("CVFolder"))), 0);
    // Ids are never reused; an unknown type makes nothing.
    QVERIFY(CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get())->getId() > id);
    QCOMPARE(CVSystem::getSystem().newObject(QStringLiteral("NoSuchType"), model.get()), nullptr);
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

// Objects read from a model file come with their saved ids, in any order;
// an id already taken is refused and the object stays with its creator.
void TestCatalog::objectsAddedOutOfIdOrder_data()
{
    QTest::addColumn<QVector<int>>("ids");
    QTest::addColumn<QVector<unsigned int>>("expected");

    // Above the ids of the objects every new model holds.
    QTest::newRow("ascending") << QVector<int>{103, 105, 109} << QVector<unsigned int>{103, 105, 109};
    QTest::newRow("descending") << QVector<int>{109, 105, 103} << QVector<unsigned int>{103, 105, 109};
    QTest::newRow("one in the middle") << QVector<int>{102, 108, 105, 110}
                                       << QVector<unsigned int>{102, 105, 108, 110};
    QTest::newRow("id taken twice") << QVector<int>{104, 107, 104} << QVector<unsigned int>{104, 107};
}

void TestCatalog::objectsAddedOutOfIdOrder()
{
    QFETCH(QVector<int>, ids);
    QFETCH(QVector<unsigned int>, expected);

    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    const CVType* folderType = model->getType(QStringLiteral("CVFolder"));
    std::vector<std::unique_ptr<CVObject>> refused;
    for (int id : ids) {
        CVObject* folder = folderType->create(model.get());
        folder->setId(unsigned(id));
        catalog->add(folder);
        if (catalog->find(unsigned(id)) != folder)
            refused.emplace_back(folder);
    }
    QCOMPARE(int(refused.size()), ids.size() - expected.size());
    const CVCatalog::ObjectsById* folders = catalog->getObjectsByType(folderType);
    QVERIFY(folders);
    QCOMPARE(QVector<unsigned int>(folders->keyBegin(), folders->keyEnd()), expected);
    QCOMPARE(catalog->size(folderType), expected.size());
}

void TestCatalog::dataValuesSetAndReplaced()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVObject* section = CVSystem::getSystem().newObject(QStringLiteral("CVSection"), model.get());
    const CVColumn* speed = CVSection::speedColumn();
    const CVColumn* laneWidth = CVSection::laneWidthColumn();
    QVERIFY(!section->getDataValue(speed).isValid());

    section->setDataValue(speed, 50.0);
    section->setDataValue(laneWidth, 3.5);
    section->setDataValue(speed, 80.0);
    section->setDataValue(nullptr, 1);
    QCOMPARE(section->getDataValueDouble(speed), 80.0);
    QCOMPARE(section->getDataValueDouble(laneWidth), 3.5);
    // Each column once in the saved values, with its last value.
    const QJsonObject saved = section->dataValuesJson();
    QCOMPARE(saved.size(), 2);
    QCOMPARE(saved.value(speed->getName()).toDouble(), 80.0);
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

QTEST_GUILESS_MAIN(TestCatalog)
#include "tst_catalog.moc"
