// Records kept by name: walked in name order, found through the hash beside
// the ordered map, and replaced with the superseded record deleted.

#include "reader/containers/paramicsrecordmap.h"

#include <QtTest>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Tagged
{
    explicit Tagged(int tag) : tag(tag) {}
    ~Tagged() { ++deleted; }
    int tag;
    static int deleted;
};
int Tagged::deleted = 0;

struct Counted
{
    Counted() { ++made; }
    ~Counted() { ++destroyed; }
    static inline int made = 0;
    static inline int destroyed = 0;
};

}  // namespace

class TestNamedRecords : public QObject
{
    Q_OBJECT

private slots:
    void replaceKeepsOrderAndLookUpsInStep_data();
    void replaceKeepsOrderAndLookUpsInStep();
    void walksInTheOrderOfAnOrderedMap_data();
    void walksInTheOrderOfAnOrderedMap();
    void namesFoundInEveryForm_data();
    void namesFoundInEveryForm();
    void recordsMadeHereAreDestroyedOnce();
    void replacedAndFoundWhileTheTableGrows();
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
    QTest::newRow("names alike in their first four characters")
        << QStringList{"1234:9", "1234:10", "1234", "123"} << QStringList{"123", "1234", "1234:10", "1234:9"}
        << QList<int>{3, 2, 1, 0} << 0;
    QTest::newRow("names alike in their first eight characters")
        << QStringList{"12345:678", "12345:67", "12345:6789", "12345:68", "12345:6"}
        << QStringList{"12345:6", "12345:67", "12345:678", "12345:6789", "12345:68"} << QList<int>{4, 1, 0, 2, 3}
        << 0;
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

// Names added a few at a time, walked between the additions: keys and
// records come back in the order of QMap, whatever the characters.
void TestNamedRecords::walksInTheOrderOfAnOrderedMap_data()
{
    QTest::addColumn<QStringList>("names");
    QStringList linkNames;
    for (int i = 0; i < 300; ++i)
        linkNames << QStringLiteral("%1:%2").arg((i * 7919) % 211).arg((i * 104729) % 97);
    QTest::newRow("link names, some twice") << linkNames;
    QStringList odd;
    for (const char16_t* name : {u"\uffff", u"\U0001F600", u"\U0001F600a", u"\u00e9", u"e", u"E", u"a", u"ab",
                                 u"aaaa\uffff", u"aaaa\u0001", u"aaa", u"aaaa", u"\u8000", u"\u7fff", u"",
                                 u"\uffff\uffff\uffff\uffff\uffff", u"aaaaaaa", u"aaaaaaaa", u"aaaaaaaa\u0001",
                                 u"aaaa\uffffaaa", u"aaaaaaa\uffff", u"aaaaaab\u0001", u"aaaaaa"})
        odd << QString::fromUtf16(name);
    odd << QStringView(u"a\u0000b", 3).toString() << QStringView(u"a\u0000", 2).toString()
        << QStringView(u"aaaaaaa\u0000", 8).toString() << QStringView(u"aaaaaaa\u0000b", 9).toString();
    QTest::newRow("characters past ASCII, surrogates and nulls") << odd;
}

void TestNamedRecords::walksInTheOrderOfAnOrderedMap()
{
    QFETCH(QStringList, names);
    QMap<QString, int> expected;
    ParamicsNamedRecords<int> records;
    std::vector<std::unique_ptr<int>> tags;
    for (int i = 0; i < names.size(); ++i) {
        tags.push_back(std::make_unique<int>(i));
        records.insert(names.at(i), tags.back().get());
        expected.insert(names.at(i), i);
        if (i % 7 != 0 && i + 1 != names.size())
            continue;
        QCOMPARE(records.keys(), expected.keys());
        QList<int> walked;
        for (auto it = records.cbegin(); it != records.cend(); ++it) {
            QCOMPARE(*records.value(it.key()), *it.value());
            walked << **it;
        }
        QCOMPARE(walked, expected.values());
    }
}

// A name is found from its text, from its Latin-1 bytes and, split at any
// of its colons, as a link's two node ids; names that differ are not.
void TestNamedRecords::namesFoundInEveryForm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("others");  // stored too, never found for name

    QTest::newRow("link name") << "12:13" << QStringList{"12:1", "12:133", "1:213", "13:12", "12", "13"};
    QTest::newRow("colons in ids") << "a:b:c" << QStringList{"a:bc", "ab:c", "a:b", "b:c", "a:b:c:"};
    QTest::newRow("past ASCII") << QString::fromLatin1("caf\xe9:\xff") << QStringList{"cafe:y", QString::fromLatin1("caf\xe9")};
    QTest::newRow("past Latin-1") << QString::fromUtf8("\xe2\x82\xac:1") << QStringList{"\xac:1", ":1"};
    QTest::newRow("empty") << "" << QStringList{":", " ", "0"};
    // Names of digits and colons are found by their packed form up to 15
    // characters, by their characters beyond.
    QTest::newRow("digits at the longest packed length")
        << "123456789:12345" << QStringList{"123456789:1234", "123456789:123456", "023456789:12345", "12345678::12345"};
    QTest::newRow("digits one past the packed length")
        << "123456789:123456" << QStringList{"123456789:12345", "123456789:1234567", "123456789:123457"};
    QTest::newRow("differing only past the packed length")
        << "1234567890:1234567" << QStringList{"1234567890:1234568", "1234567890:123456"};
    QTest::newRow("leading zeros") << "012:3" << QStringList{"12:3", "0012:3", "012:03", "01:23"};
    QTest::newRow("digits and a letter") << "12:3a" << QStringList{"12:3", "12:3b", "12:a3"};
}

void TestNamedRecords::namesFoundInEveryForm()
{
    QFETCH(QString, name);
    QFETCH(QStringList, others);
    ParamicsNamedRecords<int> records;
    std::vector<std::unique_ptr<int>> tags;
    for (int i = 0; i < others.size(); ++i) {
        tags.push_back(std::make_unique<int>(i + 1));
        records.insert(others.at(i), tags.back().get());
    }
    int found = 0;
    records.insert(name, &found);

    QCOMPARE(records.value(name), &found);
    QCOMPARE(records.value(ParamicsName(QStringView(name))), &found);
    const QByteArray latin1 = name.toLatin1();
    if (QString::fromLatin1(latin1) == name)
        QCOMPARE(records.value(ParamicsName(ParamicsNamePart(latin1.constData(), latin1.size()))), &found);
    int splits = 0;
    for (qsizetype colon = name.indexOf(u':'); colon >= 0; colon = name.indexOf(u':', colon + 1), ++splits) {
        const QString from = name.left(colon);
        const QByteArray to = name.mid(colon + 1).toLatin1();
        const ParamicsName link = QString::fromLatin1(to) == name.mid(colon + 1)
                                      ? ParamicsName::link(from, ParamicsNamePart(to.constData(), to.size()))
                                      : ParamicsName::link(from, QStringView(name).mid(colon + 1));
        QCOMPARE(link.toString(), name);
        QCOMPARE(records.value(link), &found);
    }
    QCOMPARE(splits, name.count(u':'));
    for (int i = 0; i < others.size(); ++i)
        QCOMPARE(*records.value(others.at(i)), i + 1);
    QCOMPARE(records.value(name + u'x'), nullptr);
}

// Records made in the records' own memory are theirs: replacing one keeps
// it until the end, and deleting all destroys each record exactly once,
// those made elsewhere too.
void TestNamedRecords::recordsMadeHereAreDestroyedOnce()
{
    {
        ParamicsNamedRecords<Counted> records;
        records.reserve(3);
        for (int i = 0; i < 200; ++i)  // past the first block
            ParamicsRecords::replace(records, QString::number(i % 150), records.make());
        Counted* unstored = records.make();
        QVERIFY(records.ownsMemoryOf(unstored));
        ParamicsRecords::replace(records, QStringLiteral("outside"), new Counted);
        QVERIFY(!records.ownsMemoryOf(records.value(QStringLiteral("outside"))));
        QCOMPARE(Counted::made, 202);
        QCOMPARE(Counted::destroyed, 0);
        QCOMPARE(records.size(), 151);
        records.deleteAll();
        QCOMPARE(Counted::destroyed, 202);
        QVERIFY(records.isEmpty());
        records.make();
    }
    QCOMPARE(Counted::destroyed, 203);
}

// Names of every kind added one at a time, past many regrowths of the
// table, some replaced before and after one: every look-up finds the
// latest record, and the walk, in name order, gives it too.
void TestNamedRecords::replacedAndFoundWhileTheTableGrows()
{
    ParamicsNamedRecords<int> records;
    std::vector<std::unique_ptr<int>> tags;
    QMap<QString, int*> expected;
    const auto put = [&](const QString& name, int tag) {
        tags.push_back(std::make_unique<int>(tag));
        records.insert(name, tags.back().get());
        expected.insert(name, tags.back().get());
    };
    const auto nameOf = [](int i) {
        switch (i % 4) {
        case 0: return QString::number(i);                                    // a node id
        case 1: return QStringLiteral("%1:%2").arg(i).arg(i * 7 % 1000);        // a link name
        case 2: return QStringLiteral("N%1").arg(i);                            // not digits
        default: return QStringLiteral("%1:%2").arg(i).arg(1000000000000LL + i); // digits, too long to pack
        }
    };
    records.reserve(10);
    for (int i = 0; i < 3000; ++i) {
        put(nameOf(i), i);
        if (i % 97 == 0 && i > 0)
            put(nameOf(i / 2), -i);  // an earlier name, maybe before the last regrowth
    }
    QCOMPARE(records.size(), expected.size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(records.value(it.key()), it.value());
    QCOMPARE(records.keys(), expected.keys());
    auto want = expected.cbegin();
    for (auto it = records.cbegin(); it != records.cend(); ++it, ++want) {
        QCOMPARE(it.key(), want.key());
        QCOMPARE(it.value(), want.value());
    }
    QCOMPARE(records.value(QStringLiteral("3000")), nullptr);
    QCOMPARE(records.value(QStringLiteral("N3000")), nullptr);
}

QTEST_GUILESS_MAIN(TestNamedRecords)
#include "tst_namedrecords.moc"
