#include "cvobjectpool.h"

#include "cvlargeblocks.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define CV_OBJECT_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CV_OBJECT_POOL_OFF 1
#endif
#endif

namespace {

// Blocks come in multiples of the alignment that operator new promises.
constexpr std::size_t Granule = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
constexpr std::size_t LargestPooled = 512;
constexpr std::size_t ClassCount = LargestPooled / Granule;
constexpr std::size_t ChunkBytes = 64 * 1024;

struct FreeBlock
{
    FreeBlock* next;
};

// Chunks are cut one after the other from large regions of address space
// on large pages (2 MiB), which the size classes share; only the pages
// touched take memory. On a virtual machine the first touch of each small
// page is a trip to the hypervisor, however the kernel backed it: with small
// pages, writing the objects into fresh memory was half of the network
// phase of an import.
constexpr std::size_t RegionBytes = std::size_t(32) << 20;

struct Region
{
    char* unused = nullptr;
    char* end = nullptr;
};

struct SizeClass
{
    FreeBlock* freeBlocks = nullptr;
    char* unused = nullptr;  // the part of the newest chunk not handed out yet
    char* unusedEnd = nullptr;
};

struct Pools
{
    std::mutex mutex;
    Region region;
    SizeClass classes[ClassCount];
};

// Never destroyed: objects of a model that outlives the static
// destructors must still be freed into it.
Pools& pools()
{
    static Pools* instance = new Pools;
    return *instance;
}

bool pooled(std::size_t size)
{
#ifdef CV_OBJECT_POOL_OFF
    (void)size;
    return false;
#else
    return size > 0 && size <= LargestPooled;
#endif
}

std::size_t classIndex(std::size_t size)
{
    return (size + Granule - 1) / Granule - 1;
}

// A new region; false when the system has no address space to give.
bool mapRegion(Region& region)
{
    auto* start = static_cast<char*>(CVLargeBlocks::map(RegionBytes, CVLargeBlocks::Pages::Large));
    if (!start)
        return false;
    region.unused = start;
    region.end = start + RegionBytes;
    return true;
}

// Asks the kernel to back a new chunk at once (with the first chunk of each
// large page, the whole page) instead of at its first touch. Only advice: a
// kernel without it (before 5.14) refuses the call and the pages fault in
// as they are touched.
void populate(char* chunk)
{
#if defined(__linux__)
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23;
#endif
    madvise(chunk, ChunkBytes, MADV_POPULATE_WRITE);
#else
    (void)chunk;
#endif
}

char* newChunk(Region& region)
{
    if (std::size_t(region.end - region.unused) < ChunkBytes && !mapRegion(region)) {
        auto* chunk = static_cast<char*>(std::malloc(ChunkBytes));
        if (!chunk)
            throw std::bad_alloc();
        return chunk;
    }
    char* chunk = region.unused;
    region.unused += ChunkBytes;
    populate(chunk);
    return chunk;
}

void* takeBlock(Region& region, SizeClass& sizeClass, std::size_t blockSize)
{
    if (FreeBlock* block = sizeClass.freeBlocks) {
        sizeClass.freeBlocks = block->next;
        return block;
    }
    if (std::size_t(sizeClass.unusedEnd - sizeClass.unused) < blockSize) {
        // The rest of the old chunk, less than one block, is left unused.
        char* chunk = newChunk(region);
        sizeClass.unused = chunk;
        sizeClass.unusedEnd = chunk + ChunkBytes;
    }
    void* block = sizeClass.unused;
    sizeClass.unused += blockSize;
    return block;
}

}  // namespace

void* CVObjectPool::allocate(std::size_t size)
{
    if (!pooled(size))
        return ::operator new(size);
    const std::size_t index = classIndex(size);
    Pools& all = pools();
    std::lock_guard<std::mutex> lock(all.mutex);
    return takeBlock(all.region, all.classes[index], (index + 1) * Granule);
}

void CVObjectPool::release(void* block, std::size_t size) noexcept
{
    if (!block)
        return;
    if (!pooled(size)) {
        ::operator delete(block);
        return;
    }
    Pools& all = pools();
    std::lock_guard<std::mutex> lock(all.mutex);
    SizeClass& sizeClass = all.classes[classIndex(size)];
    sizeClass.freeBlocks = new (block) FreeBlock{sizeClass.freeBlocks};
}
