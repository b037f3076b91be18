// The programs' heap on large pages: blocks of every size the model uses,
// made on the main thread and on others, lie in memory marked for large
// pages. Whether the system then gives large pages is its own choice, so
// the test reads the marking (the "hg" flag of the mapping), not the pages.

#include <QtTest>

#include <sys/mman.h>
#include <sys/resource.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Mapping
{
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    bool largePages = false;
};

std::vector<Mapping> mappings()
{
    std::vector<Mapping> all;
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    while (std::getline(smaps, line)) {
        unsigned long from = 0;
        unsigned long to = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> from >> dash >> to && dash == '-') {
            all.push_back({from, to, false});
        } else if (line.rfind("VmFlags:", 0) == 0 && !all.empty()) {
            std::istringstream flags(line.substr(8));
            std::string flag;
            while (flags >> flag)
                all.back().largePages = all.back().largePages || flag == "hg";
        }
    }
    return all;
}

// Whether this kernel marks memory for large pages at all (it has no
// transparent large pages without CONFIG_TRANSPARENT_HUGEPAGE).
bool kernelMarksLargePages()
{
    const std::size_t size = std::size_t(4) << 20;
    void* scratch = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (scratch == MAP_FAILED)
        return false;
    const bool marked = madvise(scratch, size, MADV_HUGEPAGE) == 0;
    munmap(scratch, size);
    return marked;
}

bool markedForLargePages(const std::vector<Mapping>& all, const void* block)
{
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    for (const Mapping& mapping : all)
        if (address >= mapping.start && address < mapping.end)
            return mapping.largePages;
    return false;
}

}  // namespace

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
