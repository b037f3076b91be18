#include "readerfixture.h"

#include <QtTest>

// Both priorities dialects on the crossroads: at node 10, "from 13 to 12"
// is the right turn of link 13:10, its turning 0.
class TestPrioritiesReaders : public QObject
{
    Q_OBJECT

private:
    static void readPriorities(ReaderFixture& f, bool sias, const QByteArray& priorities)
    {
        f.dir.write("categories", "to 1 category 1 lanes 2");
        f.dir.write("nodes", crossroadsNodes);
        f.dir.write("links", crossroadsLinks);
        f.dir.write("priorities", priorities);
        f.readCategories();
        f.readNodes();
        f.readLinks();
        if (sias)
            f.readPrioritiesSias();
        else
            f.readPriorities();
    }

    // "offset/time/max/red from>to ... | barred turnings as link:index".
    static QString describe(ReaderFixture& f, const ParamicsPhase& phase)
    {
        QStringList parts{QStringLiteral("%1/%2/%3/%4").arg(phase.offset).arg(phase.time).arg(phase.maxTime).arg(phase.red)};
        for (const auto& movement : phase.movements)
            parts << movement.first + ">" + movement.second;
        for (const ParamicsTurning* t : phase.barredTurnings) {
            for (const ParamicsLink* link : f.links) {
                for (int i = 0; i < link->turningCount(); ++i) {
                    if (&link->turnings[i] == t)
                        parts << QStringLiteral("barred %1#%2").arg(link->name).arg(i);
                }
            }
        }
        return parts.join(' ');
    }

    static QStringList phasesOf(ReaderFixture& f, const QString& nodeId)
    {
        QStringList phases;
        for (const ParamicsPhase& phase : f.node(nodeId)->priorities)
            phases << describe(f, phase);
        return phases;
    }

    static ParamicsTurning& rightTurnFromSouth(ReaderFixture& f) { return f.link("13:10")->turning(0); }

private slots:
    void ranksOutsidePhases_data()
    {
        QTest::addColumn<bool>("sias");
        QTest::addColumn<QByteArray>("rank");
        QTest::addColumn<int>("warningIndicator");
        QTest::addColumn<bool>("barred");

        QTest::newRow("quadstone major") << false << QByteArray("major") << 0 << false;
        QTest::newRow("quadstone medium") << false << QByteArray("medium") << 1 << false;
        QTest::newRow("quadstone minor") << false << QByteArray("minor") << 2 << false;
        QTest::newRow("quadstone MINOR") << false << QByteArray("MINOR") << 2 << false;
        QTest::newRow("quadstone barred") << false << QByteArray("barred") << 0 << true;
        QTest::newRow("sias medium") << true << QByteArray("medium") << 1 << false;
        QTest::newRow("sias minor") << true << QByteArray("minor") << 1 << false;
        QTest::newRow("sias barred outside a stage") << true << QByteArray("barred") << 0 << true;
    }

    void ranksOutsidePhases()
    {
        QFETCH(bool, sias);
        QFETCH(QByteArray, rank);
        QFETCH(int, warningIndicator);
        QFETCH(bool, barred);
        ReaderFixture f;
        readPriorities(f, sias, "actions 10\nfrom 14 to 11 medium\nfrom 13 to 12 " + rank + "\n");
        const ParamicsTurning& t = rightTurnFromSouth(f);
        QCOMPARE(t.warningIndicator, warningIndicator);
        QCOMPARE(t.barred, barred);
        QCOMPARE(f.link("14:10")->findTurning("10:11")->warningIndicator, 1);
        QVERIFY(f.node("10")->priorities.isEmpty());
    }

    // Which turning a rank word applies to when a movement names no turning.
    void currentMovement_data()
    {
        QTest::addColumn<QByteArray>("priorities");
        QTest::addColumn<int>("warningIndicator");

        QTest::newRow("missing link keeps the previous turning") << QByteArray("actions 10 from 13 to 12 major from 99 to 12 minor")
                                                                  << 2;
        QTest::newRow("missing turning clears it") << QByteArray("actions 10 from 13 to 12 major from 13 to 99 minor") << 0;
        QTest::newRow("turning carries into the next junction") << QByteArray("actions 10 from 13 to 12 major actions 11 minor")
                                                                << 2;
        QTest::newRow("unknown junction keeps it") << QByteArray("actions 10 from 13 to 12 actions 77 from 13 to 12 medium")
                                                   << 1;
    }

    void currentMovement()
    {
        QFETCH(QByteArray, priorities);
        QFETCH(int, warningIndicator);
        ReaderFixture f;
        readPriorities(f, false, priorities);
        QCOMPARE(rightTurnFromSouth(f).warningIndicator, warningIndicator);
    }

    // Words skipped after "all", "actions signals" and a Sias "barred"
    // after an unknown junction, seen on the right turn from the south and
    // on the phases of node 10.
    void skippedWordsAndJunctionLines_data()
    {
        QTest::addColumn<bool>("sias");
        QTest::addColumn<QByteArray>("priorities");
        QTest::addColumn<int>("warningIndicator");
        QTest::addColumn<bool>("barred");
        QTest::addColumn<QStringList>("phases");

        QTest::newRow("quadstone all takes three words") << false << QByteArray("actions 10 from 13 to 12 all x barred medium")
                                                         << 1 << false << QStringList{};
        QTest::newRow("sias all takes two words") << true << QByteArray("actions 10 from 13 to 12 all barred medium") << 1
                                                  << false << QStringList{};
        QTest::newRow("sias min takes its value, even a keyword")
            << true << QByteArray("actions 10 stage 1 30 min max 20 stage 2 10 actions 11") << 0 << false
            << QStringList{"0/30/0/0", "0/10/0/0"};
        QTest::newRow("sias barred after an unknown junction does nothing")
            << true << QByteArray("actions 10 from 13 to 12 actions 99 barred") << 0 << false << QStringList{};
        QTest::newRow("quadstone actions signals keeps the junction")
            << false << QByteArray("actions 10 phase 1 30 actions signals phase 2 40 from 13 to 12 major actions 11") << 0
            << false << QStringList{"0/30/0/0", "0/40/0/0 13>12"};
    }

    void skippedWordsAndJunctionLines()
    {
        QFETCH(bool, sias);
        QFETCH(QByteArray, priorities);
        QFETCH(int, warningIndicator);
        QFETCH(bool, barred);
        QFETCH(QStringList, phases);
        ReaderFixture f;
        readPriorities(f, sias, priorities);
        QCOMPARE(rightTurnFromSouth(f).warningIndicator, warningIndicator);
        QCOMPARE(rightTurnFromSouth(f).barred, barred);
        QCOMPARE(phasesOf(f, "10"), phases);
    }

    void quadstonePhases()
    {
        ReaderFixture f;
        readPriorities(f, false,
                       "actions 10\n"
                       "phase offset 12.00 sec\n"
                       "phase 1\n\t30.00\n\tmax 20.00\nred phase 4.00\nall barred except\n"
                       "from 13 to 12 major\nfrom 13 to 12 major\nfrom 11 to 14 medium\nfrom 13 to 99 minor\n"
                       "phase 2\n\t25.00\n\tmax 40.00\nred phase 3.00\nall barred except\nfrom 14 to 12 barred\n"
                       "\nactions 11\nfrom 10 to 10 minor\n"
                       "actions 12\nphase 1 10 max 12\n"
                       "actions 13\nphase offset 5\nphase 1 50\nphase 2 60\n");
        // Both phases of node 10 are stored, the first by the second's header.
        QCOMPARE(phasesOf(f, "10"), (QStringList{"12/20/20/4 13>12 11>14 13>99", "12/25/40/3"}));
        QVERIFY(f.link("14:10")->findTurning("10:12")->barred);
        QVERIFY(phasesOf(f, "11").isEmpty());
        // The offset holds across junctions until the next offset entry.
        QCOMPARE(phasesOf(f, "12"), QStringList{"12/10/12/0"});
        // The last phase of the file is not stored.
        QCOMPARE(phasesOf(f, "13"), QStringList{"5/50/0/0"});
    }

    void phaseWithoutJunctionIsNeverStored()
    {
        ReaderFixture f;
        readPriorities(f, false, "phase 1 30 from 13 to 12 major actions 77 phase 1 20 actions 10 phase 1 40 phase 2 50");
        QCOMPARE(phasesOf(f, "10"), QStringList{"0/40/0/0"});
        for (const ParamicsNode* node : f.nodes) {
            if (node->id != "10")
                QVERIFY(node->priorities.isEmpty());
        }
    }

    void siasStages()
    {
        ReaderFixture f;
        readPriorities(f, true,
                       "actions 12\nfrom 10 to 10 barred\n"
                       "actions signals fixed time 10\n"
                       "stage offset 8\n"
                       "stage 1 30 min 5 max 25 red stage 2 all barred\n"
                       "from 13 to 12 barred from 13 to 11 major from 14 to 11 minor\n"
                       "stage 2 20 max 30 all barred from 13 to 12 barred from 13 to 14 BARRED from 13 to 12 barred\n"
                       "stage 3 10\n"
                       "actions 11\nfrom 10 to 10 barred\n");
        QCOMPARE(phasesOf(f, "10"), (QStringList{"8/25/25/2 13>11 14>11 barred 13:10#0",
                                                 "8/20/30/0 barred 13:10#0 barred 13:10#2 barred 13:10#0",
                                                 "8/10/0/0"}));
        // A barred movement within a stage is only listed; outside one it is barred.
        QVERIFY(!rightTurnFromSouth(f).barred);
        QVERIFY(f.link("10:12")->findTurning("12:10")->barred);
        // A new junction block is outside any stage.
        QVERIFY(f.link("10:11")->findTurning("11:10")->barred);
        f.checkBarredTurnings();
        QVERIFY(!rightTurnFromSouth(f).barred);  // stage 3 lets it go
    }

    void siasBarredInEveryStage()
    {
        ReaderFixture f;
        readPriorities(f, true,
                       "actions 10 stage 1 30 from 13 to 12 barred from 13 to 14 barred\n"
                       "stage 2 30 from 13 to 12 barred\nactions 11\n");
        f.checkBarredTurnings();
        QVERIFY(rightTurnFromSouth(f).barred);
        QVERIFY(!f.link("13:10")->findTurning("10:14")->barred);
    }

    void siasStageWithoutJunctionIsIgnored()
    {
        ReaderFixture f;
        readPriorities(f, true,
                       "actions 10 stage 1 30 max 20\n"
                       "actions 77 stage 1 40 max 5 from 13 to 12 major stage 2 45\n"
                       "actions 10 stage 2 15\nactions 11\n");
        // At "actions 77" the stage of node 10 is stored; the headers without
        // a junction make no stage and the movement joins none.
        QCOMPARE(phasesOf(f, "10"), (QStringList{"0/20/20/0", "0/15/0/0"}));
    }

    void siasSignalsNamingAnUnknownNode()
    {
        ReaderFixture f;
        readPriorities(f, true, "actions signals a b 77 stage 1 30 actions 10 stage 1 20 actions 11");
        QCOMPARE(phasesOf(f, "10"), QStringList{"0/20/0/0"});
    }

    void missingFileChangesNothing()
    {
        ReaderFixture f;
        readPriorities(f, false, "");
        QFile::remove(f.dir.path() + "/priorities");
        f.readPriorities();
        QVERIFY(f.node("10")->priorities.isEmpty());
        QVERIFY(f.model->getLog()->warnings().last().endsWith("/priorities. File not found"));
    }
};

QTEST_GUILESS_MAIN(TestPrioritiesReaders)
#include "tst_prioritiesreaders.moc"
