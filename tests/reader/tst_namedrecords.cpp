// Records kept by name: walked in name order, found through the hash beside
// the ordered map, and replaced with the superseded record deleted.

#include "reader/paramicsrecordmap.h"

#include <QtTest>

namespace {

struct Tagged
{
    explicit Tagged(int tag) : tag(tag) {}
    ~Tagged() { ++deleted; }
    int tag;
    static int deleted;
};
int Tagged::deleted = 0;

}  // namespace

class TestNamedRecords : public QObject
{
    Q_OBJECT

private slots:
    void replaceKeepsOrderAndLookUpsInStep_data();
    void replaceKeepsOrderAndLookUpsInStep();
};

void TestNamedRecords::replaceKeepsOrderAndLookUpsInStep_data()
{
    QTest::addColumn<QStringList>("names");  // one new record per name, tagged by its position
    QTest::addColumn<QStringList>("order");  // the names walked, in order
    QTest::addColumn<QList<int>>("tags");    // the tag found under each name of order
    QTest::addColumn<int>("deleted");

    QTest::newRow("distinct names come back sorted")
        << QStringList{"7:3", "10:2", "1:9"} << QStringList{"10:2", "1:9", "7:3"} << QList<int>{1, 2, 0} << 0;
    QTest::newRow("a name read twice keeps its place, the later record wins")
        << QStringList{"b", "a", "b"} << QStringList{"a", "b"} << QList<int>{1, 2} << 1;
    QTest::newRow("names differing in case only are different records")
        << QStringList{"N1", "n1", "N1"} << QStringList{"N1", "n1"} << QList<int>{2, 1} << 1;
    QTest::newRow("the empty name is a name")
        << QStringList{"", "x", ""} << QStringList{"", "x"} << QList<int>{2, 1} << 1;
}

void TestNamedRecords::replaceKeepsOrderAndLookUpsInStep()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, order);
    QFETCH(QList<int>, tags);
    QFETCH(int, deleted);

    Tagged::deleted = 0;
    ParamicsNamedRecords<Tagged> records;
    for (int i = 0; i < names.size(); ++i)
        ParamicsRecords::replace(records, names.at(i), new Tagged(i));
    QCOMPARE(Tagged::deleted, deleted);

    QCOMPARE(records.keys(), order);
    QCOMPARE(records.size(), order.size());
    QList<int> walked;
    for (const Tagged* record : records)
        walked << record->tag;
    QCOMPARE(walked, tags);
    for (int i = 0; i < order.size(); ++i) {
        QVERIFY(records.contains(order.at(i)));
        QCOMPARE(records.value(order.at(i))->tag, tags.at(i));
    }
    QCOMPARE(records.value(QStringLiteral("missing")), nullptr);

    // Putting the same record back under its own name deletes nothing.
    Tagged* first = records.value(order.first());
    ParamicsRecords::replace(records, order.first(), first);
    QCOMPARE(Tagged::deleted, deleted);
    qDeleteAll(records);
}

QTEST_GUILESS_MAIN(TestNamedRecords)
#include "tst_namedrecords.moc"
