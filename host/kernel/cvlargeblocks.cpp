#include "cvlargeblocks.h"

#include <QtGlobal>

#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t LargePage = std::size_t(2) << 20;

std::size_t mappedSize(std::size_t bytes)
{
    return (bytes + LargePage - 1) / LargePage * LargePage;
}

}  // namespace

void* CVLargeBlocks::allocate(std::size_t bytes)
{
#ifdef Q_OS_LINUX
    if (bytes >= LargePage) {
        const std::size_t size = mappedSize(bytes);
        // One large page more than needed, so that an aligned block fits;
        // what lies before and after it goes back at once.
        void* mapped = mmap(nullptr, size + LargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + LargePage - 1) / LargePage * LargePage;
        if (aligned > start)
            munmap(mapped, aligned - start);
        if (const std::size_t after = start + size + LargePage - (aligned + size))
            munmap(reinterpret_cast<void*>(aligned + size), after);
        madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
        return reinterpret_cast<void*>(aligned);
    }
#endif
    return ::operator new(bytes);
}

void CVLargeBlocks::release(void* block, std::size_t bytes) noexcept
{
    if (!block)
        return;
#ifdef Q_OS_LINUX
    if (bytes >= LargePage) {
        munmap(block, mappedSize(bytes));
        return;
    }
#endif
    ::operator delete(block);
}
