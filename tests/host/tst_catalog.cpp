// The host catalogue: look-ups by id, name, type and external id, and how
// they follow renames and removals.

#include <cvcatalog.h>
#include <cvfolder.h>
#include <cvmodel.h>
#include <cvsection.h>
#include <cvsystem.h>

#include <QtTest>

#include <algorithm>
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
    void idsFarApart_data();
    void idsFarApart();
    void namesDifferingInCase();
    void sharedNameSurvivesRemovalOfAny_data();
    void sharedNameSurvivesRemovalOfAny();
    void dataValuesSetAndReplaced();
    void freedObjectsMakeRoomForNewOnes();
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
    QCOMPARE(folders->ids(), made);
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
    QCOMPARE(folders->ids(), expected);
    QCOMPARE(catalog->size(folderType), expected.size());
}

// A model file may hold any ids: ones far past the number of objects must
// be found, listed in order and removed like the dense ones.
void TestCatalog::idsFarApart_data()
{
    QTest::addColumn<QVector<unsigned int>>("ids");

    QTest::newRow("one far id") << QVector<unsigned int>{4000000000u};
    QTest::newRow("far, then dense") << QVector<unsigned int>{3000000u, 200, 201};
    QTest::newRow("dense, far, between") << QVector<unsigned int>{300, 90000000u, 20000, 301};
    QTest::newRow("largest id") << QVector<unsigned int>{0xFFFFFFFFu, 150};
}

void TestCatalog::idsFarApart()
{
    QFETCH(QVector<unsigned int>, ids);

    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    const CVType* folderType = model->getType(QStringLiteral("CVFolder"));
    const int before = catalog->size();
    QVector<CVObject*> folders;
    for (unsigned int id : ids) {
        CVObject* folder = folderType->create(model.get());
        folder->setId(id);
        catalog->add(folder);
        folders << folder;
    }
    // Many new objects after them: the id array grows past some of the ids.
    for (int i = 0; i < 5000; ++i)
        CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get(), 1000 + i);
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(catalog->find(ids[i]), folders[i]);
    QCOMPARE(catalog->size(), before + ids.size() + 5000);

    const QList<CVObject*> all = catalog->allObjects();
    QCOMPARE(all.size(), catalog->size());
    QVERIFY(std::is_sorted(all.begin(), all.end(),
                           [](const CVObject* a, const CVObject* b) { return a->getId() < b->getId(); }));
    const QList<unsigned int> folderIds = catalog->getObjectsByType(folderType)->ids();
    QVERIFY(std::is_sorted(folderIds.begin(), folderIds.end()));

    // A taken id is refused; a removed one is gone from every list.
    CVObject* twin = folderType->create(model.get());
    twin->setId(ids.first());
    catalog->add(twin);
    QCOMPARE(catalog->find(ids.first()), folders.first());
    delete twin;
    catalog->remove(folders.first());
    QCOMPARE(catalog->find(ids.first()), nullptr);
    QVERIFY(!catalog->allObjects().contains(folders.first()));
    QVERIFY(!catalog->getObjectsByType(folderType)->ids().contains(ids.first()));
}

// Names that differ in case only: a case-sensitive look-up finds the exact
// one even when another has a lower id; ignoring case finds the lowest id.
void TestCatalog::namesDifferingInCase()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    CVObject* upper = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    CVObject* lower = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
    upper->setName(QStringLiteral("Ring Road"));
    lower->setName(QStringLiteral("ring road"));
    QCOMPARE(catalog->find(QStringLiteral("ring road")), lower);
    QCOMPARE(catalog->find(QStringLiteral("Ring Road")), upper);
    QCOMPARE(catalog->find(QStringLiteral("RING ROAD")), nullptr);
    QCOMPARE(catalog->find(QStringLiteral("RING ROAD"), nullptr, Qt::CaseInsensitive), upper);
    upper->setName(QStringLiteral("Bypass"));
    QCOMPARE(catalog->find(QStringLiteral("RING ROAD"), nullptr, Qt::CaseInsensitive), lower);
    QCOMPARE(catalog->find(QStringLiteral("Ring Road")), nullptr);
}

// Three objects under one folded name: whichever goes (removed or renamed),
// the others stay findable, and ignoring case finds the lowest survivor.
void TestCatalog::sharedNameSurvivesRemovalOfAny_data()
{
    QTest::addColumn<int>("gone");
    QTest::addColumn<bool>("renamed");  // else removed from the catalogue
    for (int gone = 0; gone < 3; ++gone) {
        QTest::addRow("object %d removed", gone) << gone << false;
        QTest::addRow("object %d renamed", gone) << gone << true;
    }
}

void TestCatalog::sharedNameSurvivesRemovalOfAny()
{
    QFETCH(int, gone);
    QFETCH(bool, renamed);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    const QStringList names{QStringLiteral("Depot"), QStringLiteral("DEPOT"), QStringLiteral("depot")};
    QList<CVObject*> objects;
    for (const QString& name : names) {
        objects.append(CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get()));
        objects.last()->setName(name);
    }
    if (renamed)
        objects[gone]->setName(QStringLiteral("Yard"));
    else
        catalog->remove(objects[gone]);

    CVObject* lowest = objects[gone == 0 ? 1 : 0];
    QCOMPARE(catalog->find(QStringLiteral("dEpOt"), nullptr, Qt::CaseInsensitive), lowest);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(catalog->find(names[i]), i == gone ? nullptr : objects[i]);
    QCOMPARE(catalog->find(QStringLiteral("yard"), nullptr, Qt::CaseInsensitive), renamed ? objects[gone] : nullptr);
    // The survivors go too: nothing of the name is left.
    for (int i = 0; i < 3; ++i) {
        if (i != gone)
            catalog->remove(objects[i]);
    }
    QCOMPARE(catalog->find(QStringLiteral("depot"), nullptr, Qt::CaseInsensitive), nullptr);
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

// Objects freed while others live: the new objects take the freed memory
// and every object keeps its own fields.
void TestCatalog::freedObjectsMakeRoomForNewOnes()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVCatalog* catalog = model->getCatalog();
    QVector<CVObject*> kept;
    for (int i = 0; i < 3000; ++i) {
        CVObject* folder = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
        folder->setName(QStringLiteral("folder %1").arg(i));
        if (i % 2)
            catalog->remove(folder);
        else
            kept << folder;
    }
    const CVColumn* speed = CVSection::speedColumn();
    QVector<CVObject*> sections;
    for (int i = 0; i < 3000; ++i) {
        CVObject* section = CVSystem::getSystem().newObject(QStringLiteral("CVSection"), model.get());
        section->setName(QStringLiteral("section %1").arg(i));
        section->setDataValue(speed, double(i));
        sections << section;
        CVObject* folder = CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), model.get());
        folder->setExternalId(QString::number(i));
        kept << folder;
    }
    for (int i = 0; i < 1500; ++i)
        QCOMPARE(kept[i]->getName(), QStringLiteral("folder %1").arg(2 * i));
    for (int i = 0; i < 3000; ++i) {
        QCOMPARE(sections[i]->getName(), QStringLiteral("section %1").arg(i));
        QCOMPARE(sections[i]->getDataValueDouble(speed), double(i));
        QCOMPARE(kept[1500 + i]->getExternalId(), QString::number(i));
        QCOMPARE(catalog->findObjectByExternalId(QString::number(i)), kept[1500 + i]);
    }
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
