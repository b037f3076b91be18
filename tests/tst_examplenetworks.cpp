#include "readerfixture.h"

#include <cvcatalog.h>

#include <QtTest>

// Reads the bundled example networks through readFiles and checks what the
// network readers made of them, against values worked out from the files.
class TestExampleNetworks : public QObject
{
    Q_OBJECT

private:
    static void readExample(ReaderFixture& f, const QString& variant, const QString& units)
    {
        f.importer.setConfiguration();
        f.importer.setNetworkLayer();
        f.importer.setUnits(units);
        f.importer.setRightHandDrive(true);
        f.importer.setNbDemandsFile(1);
        f.importer.setVersion(variant == "quadstone" ? "Quadstone" : "Sias");
        f.probe.readFiles(examplesDir(variant));
    }

    static int barredLinks(ReaderFixture& f)
    {
        int count = 0;
        for (const ParamicsLink* link : f.probe.links())
            count += link->barred ? 1 : 0;
        return count;
    }

    static int turningCount(ReaderFixture& f)
    {
        int count = 0;
        for (const ParamicsLink* link : f.probe.links())
            count += link->turningCount();
        return count;
    }

    static QStringList rangesOf(ReaderFixture& f, const QString& linkName)
    {
        QStringList ranges;
        for (const ParamicsTurning& t : f.link(linkName)->turnings)
            ranges << laneRanges(t);
        return ranges;
    }

    static const ParamicsTurning* turning(ReaderFixture& f, const QString& from, const QString& at, const QString& to)
    {
        ParamicsLink* link = f.link(ParamicsLink::linkName(from, at));
        return link ? link->findTurning(ParamicsLink::linkName(at, to)) : nullptr;
    }

    static int signalObjects(ReaderFixture& f)
    {
        return f.model->getCatalog()->size(f.model->getType("CVControlPlanSignal"));
    }

private slots:
    void quadstoneAreaFiles()
    {
        ReaderFixture f;
        readExample(f, "quadstone", "Metric");
        QCOMPARE(f.model->getLog()->warnings(), QStringList{"File: " + examplesDir("quadstone") + "/links.2. File not found"});

        QCOMPARE(f.probe.zoneNumbers(), (QMap<int, int>{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}));
        QCOMPARE(f.probe.zoneRenumbering(), (QMap<int, int>{{101, 1}, {102, 2}, {103, 3}, {104, 4}}));
        const ParamicsZone* millLane = f.probe.zones().value(1);
        QCOMPARE(millLane->maxX, 140.0);
        QCOMPARE(millLane->maxY, 400.0);
        QCOMPARE(millLane->minY, 250.0);
        QCOMPARE(millLane->centroidPoint, CVPoint(90, 370, 0));

        QCOMPARE(f.probe.categories().keys(), (QList<int>{1, 2, 3, 4, 5, 6}));
        const ParamicsCategory* lane = f.probe.categories().value(1);
        QCOMPARE(lane->speed, 48.0);  // 30 mph
        QCOMPARE(lane->width, 3.6);   // 12 ft
        QCOMPARE(lane->cost, 1.2);
        const ParamicsCategory* motorway = f.probe.categories().value(4);
        QCOMPARE(motorway->lanes, 2);
        QCOMPARE(motorway->speed, 112.0);
        QCOMPARE(motorway->width, 7.2);
        QCOMPARE(motorway->median, 3.0);
        QCOMPARE(motorway->type, QStringLiteral("highway"));

        QCOMPARE(f.probe.centres().keys(), (QList<int>{1, 2}));
        QCOMPARE(f.probe.centres().value(2)->x, 400.2);
        QCOMPARE(f.probe.centres().value(2)->radius, 200.0);
    }

    void quadstoneNetworkFiles()
    {
        ReaderFixture f;
        readExample(f, "quadstone", "Metric");
        QCOMPARE(f.probe.unitFactor(), 1.0);
        QCOMPARE(f.probe.boundingBox().getMin(), CVPoint(-100, -500, 0));
        QCOMPARE(f.probe.boundingBox().getMax(), CVPoint(900, 450, 0));

        QCOMPARE(f.probe.nodes().size(), 16);
        QCOMPARE(f.node("3")->type, int(ParamicsNode::Roundabout));
        QCOMPARE(f.node("13")->type, int(ParamicsNode::Other));
        QCOMPARE(f.node("6")->position, CVPoint(200, 200, 1.5));
        QVERIFY(f.node("13")->intermediate);
        QCOMPARE(f.node("2")->outLinks.size(), 4);

        QCOMPARE(f.probe.links().size(), 36);
        QCOMPARE(barredLinks(f), 4);
        QCOMPARE(f.link("1:2")->lanes, 2);
        QCOMPARE(f.link("6:2")->width, 7.2);
        QCOMPARE(f.link("7:2")->width, 7.2);  // 24 ft
        QCOMPARE(f.link("4:10")->speed, 32.0);  // 20 mph
        QCOMPARE(f.link("11:12")->roadType, QStringLiteral("Freeway"));
        QCOMPARE(f.link("8:6")->arcCentre, 1);
        QCOMPARE(f.link("12:11")->ramps.size(), 1);
        QCOMPARE(f.link("12:11")->ramps[0].node, QStringLiteral("13"));
        QCOMPARE(f.link("12:11")->ramps[0].length, 120.0);

        QCOMPARE(f.turningOrder("1:2"), (QStringList{"2:7", "2:3", "2:6", "2:1"}));
        QCOMPARE(f.turningOrder("4:3"), (QStringList{"3:8", "3:2", "3:9", "3:4"}));
        QCOMPARE(signalObjects(f), turningCount(f));
        // Next lanes alone, and next lanes overridden by the junctions file.
        const QString none = QStringLiteral("10000-0/10000-0");
        QCOMPARE(rangesOf(f, "4:3"), (QStringList{"1-1/1-1", "1-2/1-2", "3-3/1-1", none}));
        QCOMPARE(rangesOf(f, "1:2"), (QStringList{"1-1/10000-0", "1-2/10000-0", "2-2/10000-0", none}));
    }

    void quadstonePriorities()
    {
        ReaderFixture f;
        readExample(f, "quadstone", "Metric");
        const QVector<ParamicsPhase>& phases = f.node("2")->priorities;
        QCOMPARE(phases.size(), 3);
        QCOMPARE(phases[0].offset, 12.0);
        QCOMPARE(phases[0].time, 32.0);
        QCOMPARE(phases[0].maxTime, 40.0);
        QCOMPARE(phases[0].red, 3.0);
        QCOMPARE(phases[0].movements.size(), 6);
        QCOMPARE(phases[0].movements.first(), (QPair<QString, QString>("1", "3")));
        QCOMPARE(phases[2].time, 10.0);  // max below the phase time
        QCOMPARE(phases[2].red, 2.0);
        for (const ParamicsNode* node : f.probe.nodes()) {
            if (node->id != "2")
                QVERIFY2(node->priorities.isEmpty(), qPrintable(node->id));
        }
        QCOMPARE(turning(f, "2", "3", "9")->warningIndicator, 2);
        QCOMPARE(turning(f, "3", "4", "16")->warningIndicator, 1);
        QVERIFY(turning(f, "3", "4", "10")->barred);
        QVERIFY(!turning(f, "3", "4", "5")->barred);
    }

    void siasFiles()
    {
        ReaderFixture f;
        readExample(f, "sias", "Feet");
        QCOMPARE(f.model->getLog()->warnings(), QStringList{"File: " + examplesDir("sias") + "/links.1. File not found"});
        QCOMPARE(f.probe.stopDelay(), 2.5f);
        QCOMPARE(f.probe.toRedTime(), 2.0f);
        QCOMPARE(f.probe.unitFactor(), 0.3);

        QCOMPARE(f.probe.zones().size(), 6);
        QCOMPARE(f.probe.zoneRenumbering().size(), 5);
        QCOMPARE(f.probe.zones().value(4)->id, 5);
        QCOMPARE(f.probe.zones().value(0)->maxX, 60.0);  // 200 ft
        QCOMPARE(f.probe.categories().size(), 6);
        QCOMPARE(f.probe.categories().value(4)->speed, 112.0);  // 70 MPH
        QCOMPARE(f.probe.categories().value(4)->width, 10.8);
        QCOMPARE(f.probe.categories().value(4)->toll, 1.5);
        QCOMPARE(f.probe.categories().value(6)->width, 10.5);
        QCOMPARE(f.probe.centres().size(), 3);
        QCOMPARE(f.probe.centres().value(1)->y, 99.0);

        QCOMPARE(f.probe.nodes().size(), 18);
        QCOMPARE(f.node("17")->position, CVPoint(480, -396, -1.95));
        QCOMPARE(f.node("17")->toRedTime, 2.0f);
        QVERIFY(f.node("13")->intermediate);
        QVERIFY(f.node("18")->intermediate);
        QCOMPARE(f.probe.links().size(), 40);
        QCOMPARE(barredLinks(f), 5);
        QCOMPARE(f.link("2:3")->speed, 40.0);  // 25 mph
        QCOMPARE(f.link("7:2")->width, 6.6);
        QCOMPARE(f.link("6:2")->width, 6.6);  // 22 ft
        const QVector<ParamicsRamp>& ramps = f.link("17:11")->ramps;
        QCOMPARE(ramps.size(), 2);
        QCOMPARE(ramps[0].node, QStringLiteral("13"));  // nearer the start, though written second
        QCOMPARE(ramps[0].length, 90.0);
        QCOMPARE(ramps[1].node, QStringLiteral("18"));
        QCOMPARE(signalObjects(f), turningCount(f));
        QCOMPARE(rangesOf(f, "11:17").first(), QStringLiteral("1-3/1-3"));
    }

    void siasStagesAndBarring()
    {
        ReaderFixture f;
        readExample(f, "sias", "Feet");
        const QVector<ParamicsPhase>& marketCross = f.node("2")->priorities;
        QCOMPARE(marketCross.size(), 3);
        QCOMPARE(marketCross[0].offset, 12.0);
        QCOMPARE(marketCross[0].time, 30.0);
        QCOMPARE(marketCross[0].maxTime, 40.0);
        QCOMPARE(marketCross[0].red, 3.0);
        QCOMPARE(marketCross[0].movements.size(), 6);
        QCOMPARE(marketCross[2].barredTurnings.size(), 2);
        QCOMPARE(f.node("4")->priorities.size(), 2);
        QCOMPARE(f.node("4")->priorities[1].offset, 30.0);
        // Barred in every stage, in one stage only, and outside any stage.
        QVERIFY(turning(f, "6", "2", "3")->barred);
        QVERIFY(!turning(f, "1", "2", "6")->barred);
        QVERIFY(turning(f, "3", "4", "10")->barred);
        QVERIFY(turning(f, "3", "9", "16")->barred);
        QCOMPARE(turning(f, "15", "6", "8")->warningIndicator, 1);  // minor ranks as medium
        QCOMPARE(turning(f, "12", "17", "11")->warningIndicator, 0);
    }

    // A real user network, when it is available next to the project.
    void sharedUserNetwork()
    {
        const QString directory = QStringLiteral(SHARED_NETWORKS_DIR "/escenario2");
        if (!QFileInfo::exists(directory)) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                QFAIL("the shared networks are missing");
            QSKIP("the shared networks are not available");
        }
        ReaderFixture f;
        f.importer.setUnits("Metric");
        f.importer.setVersion("Quadstone");
        f.probe.readFiles(directory);
        QCOMPARE(f.probe.zones().size(), 28);
        QCOMPARE(f.probe.categories().size(), 124);
        QCOMPARE(f.probe.centres().size(), 26);
        QCOMPARE(f.probe.nodes().size(), 145);
        QCOMPARE(f.probe.links().size(), 376);
        QCOMPARE(barredLinks(f), 137);
        QCOMPARE(turningCount(f), 1194);
        QCOMPARE(f.node("2")->position, CVPoint(-69289.75, -732083.94, 0));
        QCOMPARE(f.link("9:84")->arcCentre, 191);
        QCOMPARE(f.link("20:130")->width, 15.0);
        int phases = 0;
        for (const ParamicsNode* node : f.probe.nodes())
            phases += node->priorities.size();
        // 73 phase headers, one of them "yellow phase"; the last phase of
        // the file is not stored.
        QCOMPARE(phases, 73);
    }
};

QTEST_GUILESS_MAIN(TestExampleNetworks)
#include "tst_examplenetworks.moc"
