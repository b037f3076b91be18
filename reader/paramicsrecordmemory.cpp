#include "reader/paramicsrecordmemory.h"

#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace ParamicsMemory {

namespace {

#ifdef Q_OS_LINUX
constexpr std::size_t HugePage = std::size_t(2) << 20;

std::size_t mappedSize(std::size_t bytes)
{
    return (bytes + HugePage - 1) / HugePage * HugePage;
}
#endif

}  // namespace

void* allocate(std::size_t bytes)
{
    if (bytes == 0)
        bytes = 1;
#ifdef Q_OS_LINUX
    if (bytes >= LargeBlock) {
        // Mapped with a huge page's worth to spare, then trimmed, so that
        // the block starts on a huge page boundary and every whole huge page
        // of it can be one.
        const std::size_t size = mappedSize(bytes);
        void* mapped = mmap(nullptr, size + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + HugePage - 1) / HugePage * HugePage;
        if (aligned > start)
            munmap(mapped, aligned - start);
        if (aligned + size < start + size + HugePage)
            munmap(reinterpret_cast<void*>(aligned + size), start + size + HugePage - (aligned + size));
        void* block = reinterpret_cast<void*>(aligned);
        // Only advice: without huge pages the block is mapped page by page.
        madvise(block, size, MADV_HUGEPAGE);
        return block;
    }
#endif
    void* block = std::calloc(1, bytes);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void release(void* block, std::size_t bytes) noexcept
{
    if (!block)
        return;
    if (bytes == 0)
        bytes = 1;
#ifdef Q_OS_LINUX
    if (bytes >= LargeBlock) {
        munmap(block, mappedSize(bytes));
        return;
    }
#endif
    std::free(block);
}

}  // namespace ParamicsMemory
