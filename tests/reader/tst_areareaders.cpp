#include "readerfixture.h"

#include <QtTest>

// Zones, categories and centres.
class TestAreaReaders : public QObject
{
    Q_OBJECT

private:
    static QList<int> zoneIds(ReaderFixture& f)
    {
        QList<int> ids;
        for (const ParamicsZone* zone : f.zones)
            ids << zone->id;
        return ids;
    }

private slots:
    void zonesStopAboveTheCount_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<int>>("ids");

        QTest::newRow("fourth of three stops") << QByteArray("Zone Count 3\nzone 1 4\nzone 2 4\nzone 3 4\nzone 4 4\n")
                                               << QList<int>{1, 2, 3};
        QTest::newRow("file order, not number order") << QByteArray("zone count 9\nzone 7\nzone 2\nzone 5\n")
                                                       << QList<int>{7, 2, 5};
        QTest::newRow("no count accepts only zone 0") << QByteArray("zone 0\nzone 1\nzone 0\n") << QList<int>{0};
        QTest::newRow("renumbered by lookup") << QByteArray("zone count 2\nlookup 1 101 2 102\nzone 101\nzone 102\nzone 3\n")
                                              << QList<int>{1, 2};
        QTest::newRow("number not in lookup used as written")
            << QByteArray("zone count 5\nlookup 1 101\nzone 101\nzone 4\n") << QList<int>{1, 4};
        QTest::newRow("lookup right before zone") << QByteArray("zone count 2 lookup zone 2") << QList<int>{2};
    }

    void zonesStopAboveTheCount()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, ids);
        ReaderFixture f;
        f.readZones(content);
        QCOMPARE(zoneIds(f), ids);
        QCOMPARE(f.zones.keys(), f.zoneNumbers.keys());
        for (auto it = f.zones.cbegin(); it != f.zones.cend(); ++it) {
            QCOMPARE(it.value()->index, it.key());
            QCOMPARE(f.zoneNumbers.value(it.key()), it.value()->id);
        }
    }

    void zoneBoxAndCentroidWithUnits()
    {
        ReaderFixture f;
        f.unitFactor = 1.0;
        f.readZones("Zone Count 2\n"
                                          // Before any zone: skipped, the unit untouched.
                                          "min 5 m 5 m\n"
                                          "max 7 ft 7 ft\n"
                                          "zone 1 4\n"
                                          "-10 m -20 m\n"
                                          "min 0 m 0 m\n"
                                          "centroid 5 m 10 m\n"
                                          "max 10 m 20 m\n"
                                          "zone 2 4\n"
                                          "max 1000 ft 2000 ft\n"
                                          "min 100 m 200 m\n"
                                          "centroid 500 m 1000 m\n");
        QCOMPARE(f.zones.size(), 2);
        const ParamicsZone* first = f.zones.value(0);
        QCOMPARE(first->minX, 0.0);
        QCOMPARE(first->maxX, 10.0);
        QCOMPARE(first->maxY, 20.0);
        QCOMPARE(first->centroidPoint, CVPoint(5, 10, 0));
        QVERIFY(first->contains(CVPoint(10, 0, 7)));
        QVERIFY(!first->contains(CVPoint(10.01, 0)));
        // "max" in feet sets 0.3 for the lines after it, whatever their unit word.
        const ParamicsZone* second = f.zones.value(1);
        QCOMPARE(second->maxX, 300.0);
        QCOMPARE(second->maxY, 600.0);
        QCOMPARE(second->minX, 30.0);
        QCOMPARE(second->centroidPoint.x, 150.0);
        QCOMPARE(second->centroidPoint.y, 300.0);
        QCOMPARE(f.unitFactor, 0.3);
    }

    void lookupAtTheEndOfTheFile()
    {
        ReaderFixture f;
        f.readZones("zone count 1\nlookup 1 101 2");
        QCOMPARE(f.zoneRenumbering.value(101), 1);
        // The pair cut short by the end pairs 2 with the end marker's value.
        QCOMPARE(f.zoneRenumbering.value(0), 2);
        QVERIFY(f.zones.isEmpty());
    }

    void categoryAttributes_data()
    {
        QTest::addColumn<QByteArray>("attributes");
        QTest::addColumn<int>("lanes");
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("width");
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("median");

        QTest::newRow("defaults") << QByteArray("") << 1 << 50.0 << 3.0 << "urban" << 0.0;
        QTest::newRow("full line") << QByteArray("lanes 2 speed 60 kph width 7.3 m colour 0x0000ff00 type urban major "
                                                 "median width 1.5 m headway factor 1.000 curve speed factor 0.0 "
                                                 "toll 0.000 cost factor 0.800 signpost 250.0 m,1.0 m")
                                   << 2 << 60.0 << 7.3 << "urban" << 1.5;
        QTest::newRow("mph") << QByteArray("speed 30 mph") << 1 << 48.0 << 3.0 << "urban" << 0.0;
        QTest::newRow("MPH") << QByteArray("speed 30 MPH") << 1 << 48.0 << 3.0 << "urban" << 0.0;
        QTest::newRow("speed factor is no speed") << QByteArray("speed factor 2") << 1 << 50.0 << 3.0 << "urban" << 0.0;
        QTest::newRow("width in feet") << QByteArray("width 12 ft") << 1 << 50.0 << 3.6 << "urban" << 0.0;
        QTest::newRow("median in feet") << QByteArray("median width 10 ft") << 1 << 50.0 << 3.0 << "urban" << 3.0;
        QTest::newRow("highway in the type word") << QByteArray("highwaytype x") << 1 << 50.0 << 3.0 << "Freeway" << 0.0;
        QTest::newRow("urban in the type word") << QByteArray("urbantype x") << 1 << 50.0 << 3.0 << "Urban Road" << 0.0;
        QTest::newRow("type names the type") << QByteArray("type motorway lanes 4") << 4 << 50.0 << 3.0 << "motorway" << 0.0;
    }

    void categoryAttributes()
    {
        QFETCH(QByteArray, attributes);
        QFETCH(int, lanes);
        QFETCH(double, speed);
        QFETCH(double, width);
        QFETCH(QString, type);
        QFETCH(double, median);
        ReaderFixture f;
        f.readCategories("categories 1 to 5\ncategory 4 " + attributes + "\n");
        QCOMPARE(f.categories.keys(), QList<int>{4});
        const ParamicsCategory* category = f.categories.value(4);
        QCOMPARE(category->id, 4);
        QCOMPARE(category->lanes, lanes);
        QCOMPARE(category->speed, speed);
        QVERIFY(qFuzzyCompare(category->width, width));
        QCOMPARE(category->type, type);
        QVERIFY(qFuzzyCompare(1.0 + category->median, 1.0 + median));
    }

    void categoriesStopAboveTheLimit()
    {
        ReaderFixture f;
        f.readCategories("lanes 5\n"  // no category yet: skipped
                                                    "categories 1 to 3\n"
                                                    "category 1 lanes 2\ncategory 3 lanes 3\n"
                                                    "category 4 lanes 4\ncategory 2 lanes 9\n");
        QCOMPARE(f.categories.keys(), (QList<int>{1, 3}));
        QCOMPARE(f.categories.value(3)->lanes, 3);
    }

    void repeatedCategoryReplacesTheEarlier()
    {
        ReaderFixture f;
        f.readCategories("to 2 category 1 lanes 2 speed 30 kph category 1 lanes 3");
        QCOMPARE(f.categories.keys(), QList<int>{1});
        QCOMPARE(f.categories.value(1)->lanes, 3);
        QCOMPARE(f.categories.value(1)->speed, 50.0);
    }

    // A position before the first centre only sets the unit; a repeated
    // centre number replaces the earlier centre.
    void centresEarlyPositionAndRepeatedNumber()
    {
        ReaderFixture f;
        f.readCentres("at 10 ft 20 ft Control Points 3 #2 radius 10 m #1 at 1 m 1 m radius 2 #1 at 5 m 6 m");
        QCOMPARE(f.centres.keys(), (QList<int>{1, 2}));
        QCOMPARE(f.centres.value(2)->x, 0.0);
        QCOMPARE(f.centres.value(2)->radius, 3.0);
        QCOMPARE(f.centres.value(1)->x, 5.0);
        QCOMPARE(f.centres.value(1)->radius, 0.0);
    }

    void centresStopRule_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<int>>("ids");

        QTest::newRow("few centres above the count") << QByteArray("Control Points 2\n#1\n#2\n#7\n") << QList<int>{1, 2, 7};
        QTest::newRow("stop drops the centre being read")
            << QByteArray("Control Points 2\n#5\n#6\n#7\n#8\n#9\n#10\n") << QList<int>{5, 6, 7};
        QTest::newRow("no count") << QByteArray("#3 #4 #5") << QList<int>{3};
    }

    void centresStopRule()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, ids);
        ReaderFixture f;
        f.readCentres(content);
        QCOMPARE(f.centres.keys(), ids);
    }

    void centrePositionAndRadius()
    {
        ReaderFixture f;
        f.readCentres("Control Points 810\nArc Centre\n"
                                              "#28 at -69396.3 m -731721.9 m radius 37.1 m\n"
                                              "#29 at 100 ft 200 ft radius 10 ft\n"
                                              "#30 radius 5\n");
        QCOMPARE(f.centres.size(), 3);
        const ParamicsCentre* first = f.centres.value(28);
        QCOMPARE(first->x, -69396.3);
        QCOMPARE(first->y, -731721.9);
        QCOMPARE(first->radius, 37.1);
        const ParamicsCentre* feet = f.centres.value(29);
        QCOMPARE(feet->x, 30.0);
        QCOMPARE(feet->y, 60.0);
        QCOMPARE(feet->radius, 3.0);
        const ParamicsCentre* noPosition = f.centres.value(30);
        QCOMPARE(noPosition->x, 0.0);
        QCOMPARE(noPosition->radius, 1.5);  // feet still in force
        QCOMPARE(f.unitFactor, 0.3);
    }
};

QTEST_GUILESS_MAIN(TestAreaReaders)
#include "tst_areareaders.moc"
