#pragma once

#include "cvexport.h"

#include <cstddef>
#include <new>

// Memory for arrays of many megabytes, such as the pairs of a large OD
// matrix. Blocks of 2 MiB and more come straight from the system, aligned
// for large pages and marked to use them where the system allows it, so
// filling one costs a page fault every 2 MiB instead of every 4 KiB. Smaller
// blocks come from the ordinary heap.
namespace CVLargeBlocks {
CRVKERNEL_EXPORT void* allocate(std::size_t bytes);
CRVKERNEL_EXPORT void release(void* block, std::size_t bytes) noexcept;

// What map() asks the system for: large pages where it allows them, or
// ordinary pages (also for memory that other large pages would crowd out).
enum class Pages { Large, Small };

// A block of at least the given size straight from the system, zeroed and
// aligned to a large page (2 MiB); null when the system gives none (or on
// systems without such mappings). Give it back with unmap() and the same
// size. The pieces of memory the host and the readers keep apart from the
// heap all come from here.
CRVKERNEL_EXPORT void* map(std::size_t bytes, Pages pages);
CRVKERNEL_EXPORT void unmap(void* block, std::size_t bytes) noexcept;
// The size map() really maps for a block of the given size.
CRVKERNEL_EXPORT std::size_t mappedSize(std::size_t bytes);
}  // namespace CVLargeBlocks

template <class T>
struct CVLargeBlockAllocator
{
    using value_type = T;

    CVLargeBlockAllocator() = default;
    template <class U>
    CVLargeBlockAllocator(const CVLargeBlockAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count) { return static_cast<T*>(CVLargeBlocks::allocate(count * sizeof(T))); }
    void deallocate(T* block, std::size_t count) noexcept { CVLargeBlocks::release(block, count * sizeof(T)); }

    template <class U>
    bool operator==(const CVLargeBlockAllocator<U>&) const noexcept
    {
        return true;
    }
    template <class U>
    bool operator!=(const CVLargeBlockAllocator<U>&) const noexcept
    {
        return false;
    }
};
