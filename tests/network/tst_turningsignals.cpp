// The turnings' signal objects, made after the turnings are configured.

#include "networkfixture.h"

#include "network/turningsignalbuilder.h"

#include <cvcontrolplansignal.h>

#include <QtTest>

class TestTurningSignals : public QObject
{
    Q_OBJECT

private slots:
    // One signal of its own per turning, numbered in link name order and
    // then turning order (the order the saved model's ids follow), whatever
    // order the links were added in; a turning that has one keeps it.
    void oneSignalPerTurningInLinkNameOrder()
    {
        NetworkFixture f;
        ParamicsLink* second = f.bareLink("2", "3");
        ParamicsLink* first = f.bareLink("1", "2");
        f.turning(second, "3:4");
        f.turning(first, "2:3");
        f.turning(first, "2:5");
        ParamicsTurning& kept = f.turning(second, "3:5");
        auto* existing = CVSystem::getSystem().newObject(QStringLiteral("CVControlPlanSignal"), f.model);
        kept.signal = existing;

        TurningSignalBuilder(f.model, f.links).build();

        QCOMPARE(kept.signal, existing);
        QVector<unsigned int> ids;
        for (const ParamicsLink* link : {first, second}) {
            for (const ParamicsTurning& turning : link->turnings) {
                QVERIFY(dynamic_cast<CVControlPlanSignal*>(turning.signal));
                QCOMPARE(f.model->getCatalog()->find(turning.signal->getId()), turning.signal);
                if (turning.signal != existing)
                    ids.append(turning.signal->getId());
            }
        }
        QCOMPARE(ids.size(), 3);
        QVERIFY(ids[0] < ids[1] && ids[1] < ids[2]);
        QVERIFY(ids[0] > existing->getId());
    }

    void withoutModelNothingIsMade()
    {
        NetworkFixture f;
        ParamicsLink* link = f.bareLink("1", "2");
        f.turning(link, "2:3");
        TurningSignalBuilder(nullptr, f.links).build();
        QVERIFY(!link->turning(0).signal);
    }
};

QTEST_GUILESS_MAIN(TestTurningSignals)
#include "tst_turningsignals.moc"
