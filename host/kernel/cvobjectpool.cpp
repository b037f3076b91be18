#include "cvobjectpool.h"

#include <cstdlib>
#include <mutex>
#include <new>

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

struct SizeClass
{
    FreeBlock* freeBlocks = nullptr;
    char* unused = nullptr;  // the part of the newest chunk not handed out yet
    char* unusedEnd = nullptr;
};

struct Pools
{
    std::mutex mutex;
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

void* takeBlock(SizeClass& sizeClass, std::size_t blockSize)
{
    if (FreeBlock* block = sizeClass.freeBlocks) {
        sizeClass.freeBlocks = block->next;
        return block;
    }
    if (std::size_t(sizeClass.unusedEnd - sizeClass.unused) < blockSize) {
        // The rest of the old chunk, less than one block, is left unused.
        auto* chunk = static_cast<char*>(std::malloc(ChunkBytes));
        if (!chunk)
            throw std::bad_alloc();
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
    return takeBlock(all.classes[index], (index + 1) * Granule);
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
