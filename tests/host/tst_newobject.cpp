// Making an object by a type looked up once gives what making it by the
// type's name gives: the same class, id and catalogue entry, in two models
// that start alike.

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvsection.h>
#include <cvsystem.h>
#include <cvturning.h>

#include <QtTest>

#include <memory>

class TestNewObject : public QObject
{
    Q_OBJECT

private slots:
    void byTypeMatchesByName_data();
    void byTypeMatchesByName();
    void nothingWithoutTypeOrModel();
    void modelWithFarApartIdsDeletedWhole();
};

void TestNewObject::byTypeMatchesByName_data()
{
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("registered");
    QTest::newRow("turning, new id") << "CVTurning" << -1 << true;
    QTest::newRow("section, given id") << "CVSection" << 5000 << true;
    QTest::newRow("signal, outside the catalogue") << "CVControlPlanSignal" << -1 << false;
    QTest::newRow("node, given id, outside the catalogue") << "CVNode" << 77 << false;
}

void TestNewObject::byTypeMatchesByName()
{
    QFETCH(QString, typeName);
    QFETCH(int, id);
    QFETCH(bool, registered);
    CVSystem& system = CVSystem::getSystem();
    std::unique_ptr<CVModel> byName(system.createModel());
    std::unique_ptr<CVModel> byType(system.createModel());
    const CVType* type = byType->getType(typeName);
    QVERIFY(type);

    // A few in a row, so that ids handed out in turn are compared too.
    for (int i = 0; i < 3; ++i) {
        const int wanted = id < 0 ? -1 : id + i;
        CVObject* expected = system.newObject(typeName, byName.get(), wanted, registered);
        CVObject* made = system.newObject(type, byType.get(), wanted, registered);
        QVERIFY(expected && made);
        QCOMPARE(made->getType(), type);
        QCOMPARE(made->getTypeName(), typeName);
        QCOMPARE(typeid(*made).name(), typeid(*expected).name());
        QCOMPARE(made->getId(), expected->getId());
        QCOMPARE(made->getModel(), byType.get());
        QCOMPARE(byType->getCatalog()->find(made->getId()) == made, registered);
        QCOMPARE(byType->getCatalog()->size(type), byName->getCatalog()->size(type));
        if (!registered) {
            delete expected;
            delete made;
        }
    }
    QCOMPARE(byType->getCatalog()->size(), byName->getCatalog()->size());
}

void TestNewObject::nothingWithoutTypeOrModel()
{
    CVSystem& system = CVSystem::getSystem();
    std::unique_ptr<CVModel> model(system.createModel());
    const int before = model->getCatalog()->size();
    const CVType* noType = nullptr;
    QVERIFY(!system.newObject(noType, model.get()));
    QVERIFY(!system.newObject(model->getType(QStringLiteral("CVTurning")), nullptr));
    QVERIFY(!system.newObject(QStringLiteral("NoSuchType"), model.get()));
    QCOMPARE(model->getCatalog()->size(), before);
}

// A model whose ids are far apart keeps some in its sparse index; deleting
// the model must delete those objects as well as the dense ones, each once
// (the sanitizer build reports a leak or a double delete).
void TestNewObject::modelWithFarApartIdsDeletedWhole()
{
    CVSystem& system = CVSystem::getSystem();
    for (const bool farApart : {false, true}) {
        std::unique_ptr<CVModel> model(system.createModel());
        const CVType* type = model->getType(QStringLiteral("CVSection"));
        const int before = model->getCatalog()->size();
        const QList<int> ids = farApart ? QList<int>{2000000000, 10, 1500000000, 11} : QList<int>{10, 11, 12};
        for (int id : ids)
            QVERIFY(system.newObject(type, model.get(), id));
        QCOMPARE(model->getCatalog()->size(), before + int(ids.size()));
        for (int id : ids)
            QVERIFY(model->getCatalog()->find(unsigned(id)));
        model.reset();
    }
}

QTEST_GUILESS_MAIN(TestNewObject)
#include "tst_newobject.moc"
