// Lists that keep their first elements inside their owner: order and
// values across growth past the inline room, every element made and
// destroyed exactly once, copies independent of their source.

#include "reader/containers/paramicsinlinelist.h"

#include <QtTest>

#include <map>

namespace {

// An element that accounts for its own life: every live element is in
// `alive` (by address), so a missed destruction, a second destruction or
// a move that forgets its source shows in the counts.
struct Tracked
{
    explicit Tracked(int v) : value(v) { live(); }
    Tracked(const Tracked& other) : value(other.value) { live(); }
    Tracked(Tracked&& other) noexcept : value(other.value) { live(); other.value = -1; }
    Tracked& operator=(const Tracked&) = delete;
    ~Tracked()
    {
        if (alive.erase(this) == 0)
            ++strayDestructions;
    }

    void live() { alive[this] = value; }

    int value;
    static inline std::map<const Tracked*, int> alive;
    static inline int strayDestructions = 0;
};

using List = ParamicsInlineList<Tracked, 3>;

QList<int> values(const List& list)
{
    QList<int> out;
    for (const Tracked& t : list)
        out.append(t.value);
    return out;
}

QList<int> upTo(int count)
{
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out.append(10 * i + 1);
    return out;
}

}  // namespace

class TestInlineList : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Tracked::alive.clear();
        Tracked::strayDestructions = 0;
    }

    void keepsOrderAcrossGrowth_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("onHeap");
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("one") << 1 << false;
        QTest::newRow("inline room exactly") << 3 << false;
        QTest::newRow("one past the room") << 4 << true;
        QTest::newRow("grown several times") << 25 << true;
    }
    void keepsOrderAcrossGrowth()
    {
        QFETCH(int, count);
        QFETCH(bool, onHeap);
        {
            List list;
            for (int v : upTo(count))
                list.emplaceBack(v);
            QCOMPARE(values(list), upTo(count));
            QCOMPARE(list.size(), qsizetype(count));
            QCOMPARE(list.onHeap(), onHeap);
            QVERIFY(list.capacity() >= list.size());
            // Only the list's own elements are alive: the moved-from
            // elements of each growth were destroyed.
            QCOMPARE(int(Tracked::alive.size()), count);
            if (count > 0)
                QCOMPARE(list.at(count - 1).value, upTo(count).last());
        }
        QVERIFY(Tracked::alive.empty());
        QCOMPARE(Tracked::strayDestructions, 0);
    }

    // An element of the list appended to it while the list must grow: the
    // copy is made before the elements move.
    void appendsItsOwnElementWhileGrowing()
    {
        {
            List list;
            for (int v : upTo(3))
                list.emplaceBack(v);
            list.append(list[0]);
            list.append(list[2]);
            QCOMPARE(values(list), (QList<int>{1, 11, 21, 1, 21}));
        }
        QVERIFY(Tracked::alive.empty());
        QCOMPARE(Tracked::strayDestructions, 0);
    }

    void copiesAreIndependent_data()
    {
        QTest::addColumn<int>("sourceCount");
        QTest::addColumn<int>("targetCount");  // what the target held before an assignment; -1: copy-constructed
        QTest::newRow("inline copied") << 2 << -1;
        QTest::newRow("grown copied") << 7 << -1;
        QTest::newRow("grown assigned over inline") << 7 << 2;
        QTest::newRow("inline assigned over grown") << 2 << 9;
        QTest::newRow("empty assigned over grown") << 0 << 5;
    }
    void copiesAreIndependent()
    {
        QFETCH(int, sourceCount);
        QFETCH(int, targetCount);
        {
            List source;
            for (int v : upTo(sourceCount))
                source.emplaceBack(v);
            List target;
            if (targetCount < 0) {
                List copy(source);
                target = copy;
            } else {
                for (int i = 0; i < targetCount; ++i)
                    target.emplaceBack(-100 - i);
                target = source;
            }
            QCOMPARE(values(target), upTo(sourceCount));
            target.emplaceBack(999);
            QCOMPARE(values(source), upTo(sourceCount));
            if (sourceCount > 0)
                QVERIFY(&source[0] != &target[0]);
            QCOMPARE(int(Tracked::alive.size()), 2 * sourceCount + 1);
        }
        QVERIFY(Tracked::alive.empty());
        QCOMPARE(Tracked::strayDestructions, 0);
    }

    // Reserved room takes the elements to the heap at once; no append
    // within it moves them again (pointers to elements stay valid).
    void reservedRoomKeepsElementsInPlace()
    {
        {
            List list;
            list.emplaceBack(1);
            list.reserve(10);
            QVERIFY(list.onHeap());
            const Tracked* first = &list[0];
            for (int v = 2; v <= 10; ++v)
                list.emplaceBack(v);
            QCOMPARE(&list[0], first);
            QCOMPARE(list.size(), qsizetype(10));
            list.clear();
            QVERIFY(list.isEmpty());
            QVERIFY(Tracked::alive.empty());
            list.emplaceBack(5);
            QCOMPARE(values(list), QList<int>{5});
        }
        QVERIFY(Tracked::alive.empty());
        QCOMPARE(Tracked::strayDestructions, 0);
    }
};

QTEST_APPLESS_MAIN(TestInlineList)
#include "tst_inlinelist.moc"
