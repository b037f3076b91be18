// The object pool hands out blocks that never overlap and are aligned as
// operator new promises, across many chunks and more than one region of
// address space, in memory marked for large pages, and gives a released
// block to the next object of its size.

#include "largepagemarks.h"

#include <cvobjectpool.h>

#include <QRandomGenerator>
#include <QtTest>

#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define POOL_OFF_IN_THIS_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define POOL_OFF_IN_THIS_BUILD 1
#endif
#endif

namespace {

struct Block
{
    unsigned char* data;
    std::size_t size;
    unsigned char fill;
};

bool holdsFill(const Block& block)
{
    for (std::size_t i = 0; i < block.size; ++i) {
        if (block.data[i] != block.fill)
            return false;
    }
    return true;
}

}  // namespace

class TestObjectPool : public QObject
{
    Q_OBJECT

private slots:
    void blocksStayApartAndAligned_data();
    void blocksStayApartAndAligned();
    void releasedBlockServesTheNextOfItsSize();
    void blocksLieInLargePageMemory();
};

void TestObjectPool::blocksStayApartAndAligned_data()
{
    QTest::addColumn<int>("smallest");
    QTest::addColumn<int>("largest");
    QTest::addColumn<int>("megabytes");
    QTest::newRow("one size, a few chunks") << 336 << 336 << 1;
    QTest::newRow("mixed sizes, past one region") << 1 << 512 << 40;
    // Above the pooled sizes the global allocator takes over.
    QTest::newRow("pooled and not pooled") << 400 << 2000 << 4;
}

void TestObjectPool::blocksStayApartAndAligned()
{
    QFETCH(int, smallest);
    QFETCH(int, largest);
    QFETCH(int, megabytes);
    QRandomGenerator random(17);
    std::vector<Block> blocks;
    std::size_t total = 0;
    while (total < std::size_t(megabytes) << 20) {
        const std::size_t size = std::size_t(random.bounded(smallest, largest + 1));
        auto* data = static_cast<unsigned char*>(CVObjectPool::allocate(size));
        QVERIFY(data);
        QCOMPARE(reinterpret_cast<std::uintptr_t>(data) % __STDCPP_DEFAULT_NEW_ALIGNMENT__, std::uintptr_t(0));
        const auto fill = static_cast<unsigned char>(blocks.size() % 251 + 1);
        std::memset(data, fill, size);
        blocks.push_back(Block{data, size, fill});
        total += size;
    }
    // A block that overlapped another would have been overwritten by it.
    for (const Block& block : blocks)
        QVERIFY2(holdsFill(block), qPrintable(QStringLiteral("block of %1 bytes overwritten").arg(block.size)));
    for (const Block& block : blocks)
        CVObjectPool::release(block.data, block.size);
}

void TestObjectPool::releasedBlockServesTheNextOfItsSize()
{
#ifdef POOL_OFF_IN_THIS_BUILD
    QSKIP("the pool hands every size to the global allocator in sanitizer builds");
#endif
    std::vector<void*> blocks;
    for (int i = 0; i < 1000; ++i)
        blocks.push_back(CVObjectPool::allocate(200));
    void* const freed = blocks[500];
    CVObjectPool::release(freed, 200);
    // Another size class keeps its own blocks.
    void* const other = CVObjectPool::allocate(64);
    QVERIFY(other != freed);
    void* const again = CVObjectPool::allocate(200);
    QCOMPARE(again, freed);
    blocks[500] = again;
    CVObjectPool::release(other, 64);
    for (void* block : blocks)
        CVObjectPool::release(block, 200);
}

// An import writes hundreds of thousands of objects into fresh memory;
// page by page, each first touch is a fault (on a virtual machine, a trip
// to the hypervisor).
void TestObjectPool::blocksLieInLargePageMemory()
{
#ifdef POOL_OFF_IN_THIS_BUILD
    QSKIP("the pool hands every size to the global allocator in sanitizer builds");
#endif
    if (!LargePageMarks::kernelMarksLargePages())
        QSKIP("this kernel has no transparent large pages");
    // The sizes of signals, turnings and sections, past one region.
    const std::size_t sizes[] = {88, 296, 472};
    std::vector<std::pair<void*, std::size_t>> blocks;
    for (std::size_t total = 0; total < std::size_t(40) << 20;) {
        const std::size_t size = sizes[blocks.size() % 3];
        blocks.emplace_back(CVObjectPool::allocate(size), size);
        total += size;
    }
    const std::vector<LargePageMarks::Mapping> all = LargePageMarks::mappings();
    int outside = 0;
    for (const auto& [block, size] : blocks)
        outside += LargePageMarks::markedForLargePages(all, block) ? 0 : 1;
    for (const auto& [block, size] : blocks)
        CVObjectPool::release(block, size);
    QCOMPARE(outside, 0);
}

QTEST_GUILESS_MAIN(TestObjectPool)
#include "tst_objectpool.moc"
