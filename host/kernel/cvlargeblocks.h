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
