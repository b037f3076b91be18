// The signal object that every turning gets: the turnings it groups and its
// node, as saved in the model file.

#include <cvcatalog.h>
#include <cvcontrolplansignal.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QJsonArray>
#include <QtTest>

#include <memory>

class TestControlPlanSignal : public QObject
{
    Q_OBJECT

private slots:
    void holdsEachTurningOnceAndItsNode()
    {
        std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
        CVSystem& system = CVSystem::getSystem();
        auto* signal = dynamic_cast<CVControlPlanSignal*>(system.newObject("CVControlPlanSignal", model.get()));
        QVERIFY(signal);
        QCOMPARE(model->getCatalog()->find(signal->getId()), signal);
        CVObject* first = system.newObject("CVFolder", model.get());
        CVObject* second = system.newObject("CVFolder", model.get());
        signal->addTurning(second);
        signal->addTurning(first);
        signal->addTurning(second);
        signal->addTurning(nullptr);
        signal->addTurningId(0);
        QCOMPARE(signal->getTurningIds(), (QVector<unsigned int>{second->getId(), first->getId()}));
        QVERIFY(signal->hasTurning(first->getId()));
        QCOMPARE(signal->getNodeId(), 0u);
        signal->setNode(first);
        QCOMPARE(signal->getNodeId(), first->getId());

        QJsonObject json;
        signal->writeFields(json);
        QCOMPARE(json.value("turnings").toArray(), (QJsonArray{qint64(second->getId()), qint64(first->getId())}));
        QCOMPARE(json.value("node").toInteger(), qint64(first->getId()));
        signal->setNode(nullptr);
        QCOMPARE(signal->getNodeId(), 0u);
    }
};

QTEST_GUILESS_MAIN(TestControlPlanSignal)
#include "tst_controlplansignal.moc"
