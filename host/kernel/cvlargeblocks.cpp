#include "cvlargeblocks.h"

#include <QtGlobal>

#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

using CVLargeBlocks::LargePage;

std::size_t CVLargeBlocks::mappedSize(std::size_t bytes)
{
    return (bytes + LargePage - 1) / LargePage * LargePage;
}

void* CVLargeBlocks::map(std::size_t bytes, Pages pages)
{
#ifdef Q_OS_LINUX
    const std::size_t size = mappedSize(bytes);
    if (size < bytes || size > std::size_t(-1) - LargePage)
        return nullptr;
    // One large page more than needed, so that an aligned block fits; what
    // lies before and after it goes back at once.
    void* mapped = mmap(nullptr, size + LargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + LargePage - 1) / LargePage * LargePage;
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::size_t after = start + size + LargePage - (aligned + size))
        munmap(reinterpret_cast<void*>(aligned + size), after);
    // Only advice: without large pages the block is mapped page by page.
    if (pages == Pages::Large)
        madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
#else
    Q_UNUSED(bytes);
    Q_UNUSED(pages);
    return nullptr;
#endif
}

void CVLargeBlocks::unmap(void* block, std::size_t bytes) noexcept
{
#ifdef Q_OS_LINUX
    if (block)
        munmap(block, mappedSize(bytes));
#else
    Q_UNUSED(block);
    Q_UNUSED(bytes);
#endif
}

void* CVLargeBlocks::allocate(std::size_t bytes, std::size_t fromSystem)
{
#ifdef Q_OS_LINUX
    if (bytes >= fromSystem) {
        void* block = map(bytes, Pages::Large);
        if (!block)
            throw std::bad_alloc();
        return block;
    }
#endif
    return ::operator new(bytes);
}

void CVLargeBlocks::release(void* block, std::size_t bytes, std::size_t fromSystem) noexcept
{
    if (!block)
        return;
#ifdef Q_OS_LINUX
    if (bytes >= fromSystem) {
        unmap(block, bytes);
        return;
    }
#endif
    ::operator delete(block);
}
