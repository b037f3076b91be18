#include "readerfixture.h"

#include <cvcatalog.h>

#include <QtTest>

#include <cmath>

// Links, their turnings in angular order, ramps, and Sias barring.
class TestLinksReader : public QObject
{
    Q_OBJECT

private:
    static void readNetwork(ReaderFixture& f, const QByteArray& nodes, const QByteArray& links,
                            const QByteArray& categories = "categories 1 to 9\ncategory 1 lanes 2\ncategory 2 lanes 3\n")
    {
        f.dir.write("categories", categories);
        f.dir.write("nodes", nodes);
        f.dir.write("links", links);
        f.readCategories();
        f.readNodes();
        f.readLinks();
    }

private slots:
    void linkAttributes_data()
    {
        QTest::addColumn<QByteArray>("attributes");
        QTest::addColumn<int>("lanes");
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("width");
        QTest::addColumn<QString>("roadType");
        QTest::addColumn<int>("arcCentre");
        QTest::addColumn<bool>("barred");

        QTest::newRow("category lanes") << QByteArray("category 2") << 3 << 0.0 << 0.0 << "" << -1 << false;
        QTest::newRow("own lanes kept") << QByteArray("category 2 lanes 1") << 1 << 0.0 << 0.0 << "" << -1 << false;
        QTest::newRow("lanes needs a number") << QByteArray("category 2 lanes x") << 3 << 0.0 << 0.0 << "" << -1 << false;
        QTest::newRow("unknown category") << QByteArray("category 7") << 0 << 0.0 << 0.0 << "" << -1 << false;
        QTest::newRow("mph") << QByteArray("speed 30 mph") << 0 << 48.0 << 0.0 << "" << -1 << false;
        QTest::newRow("MPH is not mph") << QByteArray("speed 30 MPH") << 0 << 30.0 << 0.0 << "" << -1 << false;
        QTest::newRow("width feet") << QByteArray("width 10 ft") << 0 << 0.0 << 3.0 << "" << -1 << false;
        QTest::newRow("width metres comma") << QByteArray("width 3.5 m,") << 0 << 0.0 << 3.5 << "" << -1 << false;
        QTest::newRow("highway") << QByteArray("type highway") << 0 << 0.0 << 0.0 << "Freeway" << -1 << false;
        QTest::newRow("other type") << QByteArray("type urban") << 0 << 0.0 << 0.0 << "Urban Road" << -1 << false;
        QTest::newRow("arc centre") << QByteArray("arc centre #191 left") << 0 << 0.0 << 0.0 << "" << 191 << false;
        QTest::newRow("barred") << QByteArray("barred category 1") << 2 << 0.0 << 0.0 << "" << -1 << true;
        QTest::newRow("bus lane words skipped") << QByteArray("category 1 bus lane 1 bus lane 2") << 2 << 0.0 << 0.0 << ""
                                                << -1 << false;
    }

    void linkAttributes()
    {
        QFETCH(QByteArray, attributes);
        QFETCH(int, lanes);
        QFETCH(double, speed);
        QFETCH(double, width);
        QFETCH(QString, roadType);
        QFETCH(int, arcCentre);
        QFETCH(bool, barred);
        ReaderFixture f;
        readNetwork(f, "node 1 at 0 m, 0 m, 0 m junction\nnode 2 at 100 m, 0 m, 0 m junction\n",
                    "link 1 2 " + attributes + "\n");
        const ParamicsLink* link = f.link("1:2");
        QVERIFY(link);
        QCOMPARE(link->from, QStringLiteral("1"));
        QCOMPARE(link->to, QStringLiteral("2"));
        QCOMPARE(link->lanes, lanes);
        QCOMPARE(link->speed, speed);
        QVERIFY(qFuzzyCompare(1.0 + link->width, 1.0 + width));
        QCOMPARE(link->roadType, roadType);
        QCOMPARE(link->arcCentre, arcCentre);
        QCOMPARE(link->barred, barred);
    }

    // Node ids are found as the link lines write them, whatever the file's
    // encoding; the link's texts are the nodes' ids and the link is one
    // record however often its line comes.
    void linkBetweenNodesNamedAnyWay_data()
    {
        QTest::addColumn<QByteArray>("from");  // as written in both files
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("name");

        QTest::newRow("numbers") << QByteArray("10") << QByteArray("200") << "10:200";
        QTest::newRow("letters and digits") << QByteArray("N1a") << QByteArray("n1A") << "N1a:n1A";
        QTest::newRow("UTF-8 past ASCII") << QByteArray("caf\xc3\xa9") << QByteArray("\xc3\xa9") << QString::fromUtf8("caf\xc3\xa9:\xc3\xa9");
        QTest::newRow("Latin-1 file") << QByteArray("caf\xe9") << QByteArray("\xff") << QString::fromLatin1("caf\xe9:\xff");
        QTest::newRow("hashes stripped") << QByteArray("#7") << QByteArray("8#") << "7:8";
        QTest::newRow("colons inside ids") << QByteArray("a:b") << QByteArray("c") << "a:b:c";
    }

    void linkBetweenNodesNamedAnyWay()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, name);
        ReaderFixture f;
        readNetwork(f, "node " + from + " at 0 m, 0 m, 0 m junction\nnode " + to + " at 100 m, 0 m, 0 m junction\n",
                    "link " + from + " " + to + " lanes 2\nlink " + to + " " + from + "\nlink " + from + " " + to +
                        " speed 50 kph\n");
        QCOMPARE(f.links.size(), 2);
        const ParamicsLink* link = f.links.value(name);
        QVERIFY(link);
        const ParamicsNode* start = f.nodes.value(link->from);
        const ParamicsNode* end = f.nodes.value(link->to);
        QVERIFY(start && end && start != end);
        QCOMPARE(link->name, name);
        QCOMPARE(link->from + QLatin1Char(':') + link->to, name);
        QCOMPARE(link->lanes, 2);
        QCOMPARE(link->speed, 50.0);
        // The link line read twice is listed twice at each of its nodes,
        // as every line is.
        QCOMPARE(start->outLinks.size(), 2);
        QCOMPARE(start->outLinks.at(0).name(), name);
        QCOMPARE(end->inLinks.at(1).name(), name);
        QCOMPARE(start->inLinks.size(), 1);
    }

    void linksAcrossNumberedFiles()
    {
        ReaderFixture f;
        f.dir.write("nodes", crossroadsNodes);
        f.dir.write("links.0", "link 11 10\nlink 10 11\n");
        f.dir.write("links.1", "speed 40 kph\nlink 12 10 lanes 2\nlink 11 10 lanes 4\n");
        f.readNodes();
        f.readLinks({"links.0", "links.1"});
        QCOMPARE(f.links.keys(), (QStringList{"10:11", "11:10", "12:10"}));
        // Words before a file's first link belong to the last link of the previous file.
        QCOMPARE(f.link("10:11")->speed, 40.0);
        // Reading a link again reopens the same record and lists it again at its nodes.
        QCOMPARE(f.link("11:10")->lanes, 4);
        QCOMPARE(f.node("10")->inLinks.size(), 3);
        QCOMPARE(f.node("11")->outLinks.size(), 2);
    }

    // A junction with more arms than most: its lists and each approach's
    // turnings keep every arm in reading order, however many there are.
    void busyJunctionKeepsEveryArm_data()
    {
        QTest::addColumn<int>("arms");
        QTest::newRow("four arms") << 4;
        QTest::newRow("five arms") << 5;
        QTest::newRow("eleven arms") << 11;
    }
    void busyJunctionKeepsEveryArm()
    {
        QFETCH(int, arms);
        QByteArray nodeText = "node 0 at 0 m, 0 m, 0 m junction\n";
        QByteArray linkText;
        QStringList outNames, inNames;
        for (int i = 1; i <= arms; ++i) {
            const double angle = 2.0 * M_PI * i / arms;
            nodeText += QStringLiteral("node %1 at %2 m, %3 m, 0 m junction\n")
                            .arg(i)
                            .arg(100.0 * std::cos(angle))
                            .arg(100.0 * std::sin(angle))
                            .toUtf8();
            // Arms listed in a mixed order, both directions apart.
            const int arm = (i * 7) % arms + 1;
            linkText += QStringLiteral("link 0 %1\n").arg(arm).toUtf8();
            outNames << QStringLiteral("0:%1").arg(arm);
        }
        for (int i = arms; i >= 1; --i) {
            linkText += QStringLiteral("link %1 0\n").arg(i).toUtf8();
            inNames << QStringLiteral("%1:0").arg(i);
        }
        ReaderFixture f;
        readNetwork(f, nodeText, linkText);
        const auto names = [](const ParamicsSectionList& entries) {
            QStringList out;
            for (const Section& entry : entries)
                out << entry.name();
            return out;
        };
        QCOMPARE(names(f.node("0")->outLinks), outNames);
        QCOMPARE(names(f.node("0")->inLinks), inNames);
        for (int i = 1; i <= arms; ++i) {
            QStringList turnings = f.turningOrder(QStringLiteral("%1:0").arg(i));
            QCOMPARE(turnings.size(), arms);
            turnings.sort();
            QStringList expected = outNames;
            expected.sort();
            QCOMPARE(turnings, expected);
            QCOMPARE(f.node(QString::number(i))->inLinks.size(), qsizetype(1));
        }
    }

    void linkWithUnknownNodeDropsItsAttributes()
    {
        ReaderFixture f;
        readNetwork(f, "node 1 at 0 m, 0 m, 0 m junction\nnode 2 at 100 m, 0 m, 0 m junction\n",
                    "link 1 2 lanes 1\nlink 1 9 lanes 5 barred\nlink 2 1\n");
        QCOMPARE(f.links.keys(), (QStringList{"1:2", "2:1"}));
        QCOMPARE(f.link("1:2")->lanes, 1);
        QVERIFY(!f.link("1:2")->barred);
        QCOMPARE(f.node("1")->outLinks.size(), 1);
    }

    void missingLinksFilesLeaveNoLinks()
    {
        ReaderFixture f;
        f.readLinks();
        QVERIFY(f.links.isEmpty());
        QCOMPARE(f.model->getLog()->warnings(), QStringList{"File: " + f.dir.path() + "/links. File not found"});
    }

    void turningOrder_data()
    {
        QTest::addColumn<bool>("rightHand");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QStringList>("order");

        QTest::newRow("right-hand from south") << true << "13:10" << QStringList{"10:12", "10:11", "10:14", "10:13"};
        QTest::newRow("right-hand from west") << true << "14:10" << QStringList{"10:13", "10:12", "10:11", "10:14"};
        QTest::newRow("left-hand from south") << false << "13:10" << QStringList{"10:14", "10:11", "10:12", "10:13"};
        QTest::newRow("left-hand from east") << false << "12:10" << QStringList{"10:13", "10:14", "10:11", "10:12"};
        QTest::newRow("arm link ends at an arm") << true << "10:11" << QStringList{"11:10"};
    }

    void turningOrder()
    {
        QFETCH(bool, rightHand);
        QFETCH(QString, link);
        QFETCH(QStringList, order);
        ReaderFixture f;
        f.rightHandDrive = rightHand;
        readNetwork(f, crossroadsNodes, crossroadsLinks);
        QCOMPARE(f.turningOrder(link), order);
    }

    // Exits in nearside order; exits at the same angle (arms laid on top of
    // each other) keep the order the node lists them in, however many.
    void exitsSortedByAngle_data()
    {
        QTest::addColumn<bool>("rightHand");
        QTest::addColumn<QList<double>>("angles");  // of exits "e0", "e1", ... in the node's order
        QTest::addColumn<QList<int>>("order");

        QTest::newRow("right-hand ascending") << true << QList<double>{3.0, 1.0, 2.0} << QList<int>{1, 2, 0};
        QTest::newRow("left-hand descending") << false << QList<double>{3.0, 1.0, 2.0} << QList<int>{0, 2, 1};
        QTest::newRow("ties keep their order, right-hand")
            << true << QList<double>{2.0, 1.0, 2.0, 1.0, 2.0} << QList<int>{1, 3, 0, 2, 4};
        QTest::newRow("ties keep their order, left-hand")
            << false << QList<double>{2.0, 1.0, 2.0, 1.0, 2.0} << QList<int>{0, 2, 4, 1, 3};
        QTest::newRow("one exit") << true << QList<double>{5.0} << QList<int>{0};
        QList<double> many;
        QList<int> manyOrder;
        for (int i = 0; i < 40; ++i)
            many << double((i * 7) % 5);  // 0 2 4 1 3 0 2 ...: eight exits at each angle
        for (int angle = 0; angle < 5; ++angle) {
            for (int i = 0; i < 40; ++i) {
                if (many.at(i) == angle)
                    manyOrder << i;
            }
        }
        QTest::newRow("forty exits in five bundles") << true << many << manyOrder;
    }

    void exitsSortedByAngle()
    {
        QFETCH(bool, rightHand);
        QFETCH(QList<double>, angles);
        QFETCH(QList<int>, order);
        QVector<AngledSection> sections;
        for (int i = 0; i < angles.size(); ++i)
            sections.append(AngledSection{ParamicsLinkName(QStringLiteral("e%1").arg(i)), angles.at(i)});
        TurningConfiguration::sortSections(sections, rightHand);
        QStringList names;
        for (const AngledSection& section : std::as_const(sections))
            names << section.name.toString();
        QStringList expected;
        for (const int i : order)
            expected << QStringLiteral("e%1").arg(i);
        QCOMPARE(names, expected);
    }

    // Node ids holding ":" can give two links one name ("a" to "b:c" and
    // "a:b" to "c" are both "a:b:c"): the later header reuses the first
    // link, and a turning is still named after the node it leaves and the
    // node the link it enters ends at.
    void turningsNamedByNodesWhenLinkNamesCollide()
    {
        ReaderFixture f;
        readNetwork(f,
                    "node x at 0 m, 0 m, 0 m junction\nnode a at 10 m, 0 m, 0 m junction\n"
                    "node a:b at 0 m, 10 m, 0 m junction\nnode b:c at 20 m, 0 m, 0 m junction\n"
                    "node c at 0 m, 20 m, 0 m junction\n",
                    "link x a\nlink x a:b\nlink a b:c\nlink a:b c\n");
        QCOMPARE(f.turningOrder("x:a"), QStringList{"a:b:c"});
        QCOMPARE(f.turningOrder("x:a:b"), QStringList{"a:b:b:c"});
    }

    // Reading fills records only: the turnings' signal objects are the
    // builders' (tests/network/tst_turningsignals.cpp).
    void turningsMakeNoHostObjects()
    {
        ReaderFixture f;
        const int objectsBefore = f.model->getCatalog()->size();
        readNetwork(f, crossroadsNodes, crossroadsLinks);
        int turnings = 0;
        for (const ParamicsLink* link : f.links) {
            for (const ParamicsTurning& t : link->turnings) {
                ++turnings;
                QVERIFY(!t.signal);
                QCOMPARE(t.warningIndicator, 0);
                QVERIFY(!t.barred);
            }
        }
        QCOMPARE(turnings, 4 * 4 + 4);
        QCOMPARE(f.model->getCatalog()->size(), objectsBefore);
    }

    void rampEntries_data()
    {
        QTest::addColumn<QByteArray>("ramps");
        QTest::addColumn<QStringList>("nodes");
        QTest::addColumn<QList<double>>("lengths");

        QTest::newRow("sorted by distance from the start")
            << QByteArray("on-ramp count 3\nramp from 3 length 30.0 m left\nramp from 4 length 25 m\n"
                          "ramp from 5 length 10 m\n")
            << QStringList{"4", "5", "3"} << QList<double>{25, 10, 30};
        QTest::newRow("count limits the entries") << QByteArray("count 2 from 3 length 1 m from 4 length 2 m from 5 length 3 m")
                                                  << QStringList{"4", "3"} << QList<double>{2, 1};
        QTest::newRow("no count, no entries") << QByteArray("ramp from 3 length 30 m") << QStringList{}
                                              << QList<double>{};
        QTest::newRow("unknown node skipped but counted")
            << QByteArray("count 2 from 99 length 5 m from 4 length 6 m from 5 length 7 m") << QStringList{"4"}
            << QList<double>{6};
        QTest::newRow("equal distance keeps reading order")
            << QByteArray("count 2 from 6 length 1 m from 4 length 2 m") << QStringList{"6", "4"} << QList<double>{1, 2};
    }

    // Link 1:2 runs east from the origin; nodes 3, 4, 5 and 6 lie 80, 20,
    // 50 and 20 m from its start.
    void rampEntries()
    {
        QFETCH(QByteArray, ramps);
        QFETCH(QStringList, nodes);
        QFETCH(QList<double>, lengths);
        ReaderFixture f;
        readNetwork(f,
                    "node 1 at 0 m, 0 m, 0 m junction\nnode 2 at 100 m, 0 m, 0 m junction\n"
                    "node 3 at 80 m, -10 m, 0 m junction\nnode 4 at 20 m, 0 m, 0 m junction\n"
                    "node 5 at 50 m, -5 m, 0 m junction\nnode 6 at 0 m, 20 m, 0 m junction\n",
                    "link 1 2 category 1\n" + ramps + "\nlink 2 1\n");
        const ParamicsLink* link = f.link("1:2");
        QStringList rampNodes;
        QList<double> rampLengths;
        for (const ParamicsRamp& ramp : link->ramps) {
            rampNodes << ramp.node;
            rampLengths << ramp.length;
            QCOMPARE(ramp.position, f.node(ramp.node)->position);
            QVERIFY(f.node(ramp.node)->intermediate);
        }
        QCOMPARE(rampNodes, nodes);
        QCOMPARE(rampLengths, lengths);
        QCOMPARE(link->hasRamps(), !nodes.isEmpty());
        QVERIFY(!f.link("2:1")->hasRamps());
    }

    void barredInEveryStageOnly()
    {
        ReaderFixture f;
        readNetwork(f, crossroadsNodes, crossroadsLinks);
        ParamicsLink* south = f.link("13:10");
        ParamicsTurning* right = &south->turning(0);
        ParamicsTurning* straight = &south->turning(1);
        ParamicsTurning* left = &south->turning(2);
        ParamicsPhase first, second, third;
        first.barredTurnings = {right, left, left};
        second.barredTurnings = {left};
        third.barredTurnings = {straight, left};
        ParamicsNode* node = f.node("10");
        node->priorities = {first, second};
        f.node("11")->priorities = {third};
        f.checkBarredTurnings();
        QVERIFY(!right->barred);
        QVERIFY(left->barred);
        QVERIFY(straight->barred);  // barred in the only stage of node 11
    }
};

QTEST_GUILESS_MAIN(TestLinksReader)
#include "tst_linksreader.moc"
