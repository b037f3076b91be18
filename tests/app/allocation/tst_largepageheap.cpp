// The programs' heap on large pages: blocks of every size the model uses,
// made on the main thread and on others, lie in memory marked for large
// pages.

#include "largepagemarks.h"

#include <QtTest>

#include <sys/resource.h>

#include <memory>
#include <thread>
#include <vector>

using namespace LargePageMarks;

class TestLargePageHeap : public QObject
{
    Q_OBJECT

private slots:
    void blocksLieInLargePageMemory_data();
    void blocksLieInLargePageMemory();
};

void TestLargePageHeap::blocksLieInLargePageMemory_data()
{
    QTest::addColumn<int>("blockBytes");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<bool>("otherThread");
    // Names and points, lane lists, object tables of a few hundred
    // kilobytes; the first small blocks come from the segment mapped while
    // the libraries were loaded.
    QTest::newRow("small") << 48 << 400000 << false;
    QTest::newRow("medium") << 6000 << 8000 << false;
    QTest::newRow("large") << 400000 << 120 << false;
    QTest::newRow("small, other thread") << 48 << 400000 << true;
    QTest::newRow("large, other thread") << 400000 << 120 << true;
}

void TestLargePageHeap::blocksLieInLargePageMemory()
{
    QFETCH(int, blockBytes);
    QFETCH(int, blocks);
    QFETCH(bool, otherThread);
    rlimit limit{};
    QVERIFY(getrlimit(RLIMIT_AS, &limit) == 0);
    if (!kernelMarksLargePages())
        QSKIP("this kernel has no transparent large pages");
    QVERIFY2(limit.rlim_cur == RLIM_INFINITY, "run without a limit on the address space: under one the heap is left as it is");

    std::vector<std::unique_ptr<char[]>> made(static_cast<std::size_t>(blocks));
    const auto make = [&] {
        for (auto& block : made) {
            block.reset(new char[static_cast<std::size_t>(blockBytes)]);
            block[0] = 1;
        }
    };
    if (otherThread)
        std::thread(make).join();
    else
        make();

    const std::vector<Mapping> all = mappings();
    int outside = 0;
    for (const auto& block : made)
        outside += markedForLargePages(all, block.get()) ? 0 : 1;
    QCOMPARE(outside, 0);
}

QTEST_APPLESS_MAIN(TestLargePageHeap)
#include "tst_largepageheap.moc"
