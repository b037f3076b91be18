#include "readerfixture.h"

#include <QtTest>

// Nodes, next lanes and junctions.
class TestNodeReaders : public QObject
{
    Q_OBJECT

private:
    // Reads the crossroads, then the given next-lanes and junctions files.
    static QStringList rangesAfter(ReaderFixture& f, const QByteArray& nextLanes, const QByteArray& junctions)
    {
        f.dir.write("nodes", crossroadsNodes);
        f.dir.write("links", crossroadsLinks);
        f.dir.write("categories", "to 1 category 1 lanes 3");
        f.dir.write("nextlanes", nextLanes);
        f.dir.write("junctions", junctions);
        f.readCategories();
        f.readNodes();
        f.readLinks();
        f.readNextLanes();
        f.readJunctions();
        QStringList ranges;
        for (const ParamicsTurning& t : f.link("13:10")->turnings)
            ranges << laneRanges(t);
        return ranges;
    }

private slots:
    void nodeLayout_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("type");
        QTest::addColumn<CVPoint>("position");

        QTest::newRow("junction") << QByteArray("node 7 at 10 m, 20 m, 3 m junction non blocking 100")
                                  << int(ParamicsNode::Junction) << CVPoint(10, 20, 3);
        QTest::newRow("roundabout") << QByteArray("node 7 at -1.5 m, 2 m, 0 m roundabout")
                                    << int(ParamicsNode::Roundabout) << CVPoint(-1.5, 2, 0);
        QTest::newRow("other type word") << QByteArray("node 7 at 1 m, 2 m, 0 m priority")
                                         << int(ParamicsNode::Other) << CVPoint(1, 2, 0);
        QTest::newRow("cut short by the end") << QByteArray("node 7 at 1 m,") << int(ParamicsNode::Other) << CVPoint(1, 0, 0);
    }

    void nodeLayout()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, type);
        QFETCH(CVPoint, position);
        ReaderFixture f;
        f.toRedTime = 2.5f;
        f.readNodes("## nodes\n" + line + "\n");
        QCOMPARE(f.nodes.keys(), QStringList{"7"});
        const ParamicsNode* node = f.node("7");
        QCOMPARE(node->id, QStringLiteral("7"));
        QCOMPARE(node->type, type);
        QCOMPARE(node->position, position);
        QCOMPARE(node->toRedTime, 2.5f);
        QVERIFY(!node->intermediate);
    }

    void boxUnitHoldsForLaterNodes_data()
    {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<double>("factor");
        QTest::newRow("metres") << QByteArray("Box 0 m 0 m 1000 m 500 m") << 1.0;
        QTest::newRow("metres with comma") << QByteArray("Box 0 m, 0 m, 1000 m, 500 m") << 1.0;
        QTest::newRow("feet") << QByteArray("Box 0 ft 0 ft 1000 ft 500 ft") << 0.3;
        QTest::newRow("any other word") << QByteArray("Box 0 yd 0 m 1000 m 500 m") << 0.3;
    }

    void boxUnitHoldsForLaterNodes()
    {
        QFETCH(QByteArray, box);
        QFETCH(double, factor);
        ReaderFixture f;
        f.unitFactor = 0.3;
        f.readNodes("node 1 at 100 m, 100 m, 0 m junction\n"
                                          "Bounding " + box + "\n"
                                          "node 2 at 100 m, 200 m, 10 m junction\n");
        QCOMPARE(f.unitFactor, factor);
        QCOMPARE(f.node("1")->position.x, 30.0);  // read before the box: the dialog's feet
        QCOMPARE(f.node("2")->position.x, 100 * factor);
        QCOMPARE(f.node("2")->position.y, 200 * factor);
        QCOMPARE(f.node("2")->position.z, 10 * factor);
        QCOMPARE(f.boundingBox.getMax().x, 1000 * factor);
        QCOMPARE(f.boundingBox.getMax().y, 500 * factor);
        QCOMPARE(f.boundingBox.getMin().x, 0.0);
    }

    void laterNodeWithTheSameIdReplaces()
    {
        ReaderFixture f;
        f.readNodes("node 5 at 1 m, 1 m, 0 m junction\n"
                                          "node 6 at 2 m, 2 m, 0 m junction\n"
                                          "node 5 at 3 m, 3 m, 0 m roundabout\n");
        QCOMPARE(f.nodes.size(), 2);
        QCOMPARE(f.node("5")->position, CVPoint(3, 3, 0));
        QCOMPARE(f.node("5")->type, int(ParamicsNode::Roundabout));
    }

    // Turnings of link 13:10 (arriving northwards) with right-hand traffic:
    // right into 10:12, straight into 10:11, left into 10:14, U-turn 10:13.
    void nextLanesAndJunctionsNarrowTurnings_data()
    {
        QTest::addColumn<QByteArray>("nextLanes");
        QTest::addColumn<QByteArray>("junctions");
        QTest::addColumn<QStringList>("ranges");

        const QString none = QStringLiteral("10000-0/10000-0");
        QTest::newRow("nothing recorded") << QByteArray() << QByteArray() << QStringList{none, none, none, none};
        QTest::newRow("zero keeps its position") << QByteArray("link 13:10\nlane 1 next 0 2\n") << QByteArray()
                                                 << QStringList{none, "1-1/2-2", none, none};
        QTest::newRow("hull over lanes")
            << QByteArray("link 13:10\nlane 1 next 1 0 0 0\nlane 3 next 2 0 0 0\nlane 2 next 3 0 0 0\n") << QByteArray()
            << QStringList{"1-3/1-3", none, none, none};
        QTest::newRow("values beyond the turnings ignored") << QByteArray("link 13:10 lane 2 next 1 1 1 1 1 1")
                                                            << QByteArray()
                                                            << QStringList{"2-2/1-1", "2-2/1-1", "2-2/1-1", "2-2/1-1"};
        QTest::newRow("word ends the list") << QByteArray("link 13:10 lane 1 next 1,3 2") << QByteArray()
                                            << QStringList{none, none, none, none};
        QTest::newRow("unknown link skips its values") << QByteArray("link 99:10 lane 1 next 1 1 1 1") << QByteArray()
                                                       << QStringList{none, none, none, none};
        QTest::newRow("lane before any lane line is 0") << QByteArray("link 13:10 next 2") << QByteArray()
                                                        << QStringList{"0-0/2-2", none, none, none};
        QTest::newRow("junction widens origin and drops destination")
            << QByteArray("link 13:10 lane 1 next 0 1 lane 2 next 1 2") << QByteArray("junction 13:10\nout 2 lanes 3\n")
            << QStringList{"2-2/1-1", "1-3/10000-0", none, none};
        QTest::newRow("out 0 selects nothing") << QByteArray() << QByteArray("junction 13:10 out 0 lanes 1 2")
                                               << QStringList{none, none, none, none};
        QTest::newRow("out beyond the exits selects nothing") << QByteArray()
                                                              << QByteArray("junction 13:10 out 5 lanes 1 2")
                                                              << QStringList{none, none, none, none};
        QTest::newRow("lanes without out") << QByteArray() << QByteArray("junction 13:10 lanes 1 2")
                                           << QStringList{none, none, none, none};
        QTest::newRow("junction line keeps the exit")
            << QByteArray() << QByteArray("junction 13:10 out 4 lanes 1 junction 11:10 lanes 3")
            << QStringList{none, none, none, "1-3/10000-0"};
        QTest::newRow("unknown junction then out") << QByteArray()
                                                   << QByteArray("junction 13:10 out 1 junction 9:9 out 1 lanes 2")
                                                   << QStringList{none, none, none, none};
    }

    void nextLanesAndJunctionsNarrowTurnings()
    {
        QFETCH(QByteArray, nextLanes);
        QFETCH(QByteArray, junctions);
        QFETCH(QStringList, ranges);
        ReaderFixture f;
        QCOMPARE(rangesAfter(f, nextLanes, junctions), ranges);
    }
};

QTEST_GUILESS_MAIN(TestNodeReaders)
#include "tst_nodereaders.moc"
