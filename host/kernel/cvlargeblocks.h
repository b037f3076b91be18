#pragma once

#include "cvexport.h"

#include <cstddef>
#include <new>

// The project's one allocator for memory of many megabytes: the pairs of a
// large OD matrix, the readers' record tables and pools. A fresh 4 KiB page
// costs a page fault (on a virtual machine, several microseconds: more than
// filling it), so blocks from a size on come straight from the system,
// aligned for large pages and marked to use them where the system allows
// it: filling one then costs a page fault every 2 MiB instead of every
// 4 KiB. Smaller blocks come from the ordinary heap.
namespace CVLargeBlocks {

// The size of a large page, and the size from which blocks come from the
// system unless the caller chooses another.
constexpr std::size_t LargePage = std::size_t(2) << 20;

// A block of the given size: from the system, zeroed, when it is at least
// `fromSystem` bytes, otherwise from the heap. Throws std::bad_alloc when
// there is no memory. Give it back with release() and the same two sizes.
CRVKERNEL_EXPORT void* allocate(std::size_t bytes, std::size_t fromSystem = LargePage);
CRVKERNEL_EXPORT void release(void* block, std::size_t bytes, std::size_t fromSystem = LargePage) noexcept;

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

// The allocator of containers that grow large: blocks of at least
// FromSystem bytes from the system, smaller ones from the heap.
template <class T, std::size_t FromSystem = CVLargeBlocks::LargePage>
struct CVLargeBlockAllocator
{
    using value_type = T;
    template <class U>
    struct rebind
    {
        using other = CVLargeBlockAllocator<U, FromSystem>;
    };

    CVLargeBlockAllocator() = default;
    template <class U>
    CVLargeBlockAllocator(const CVLargeBlockAllocator<U, FromSystem>&) noexcept
    {
    }

    T* allocate(std::size_t count) { return static_cast<T*>(CVLargeBlocks::allocate(count * sizeof(T), FromSystem)); }
    void deallocate(T* block, std::size_t count) noexcept
    {
        CVLargeBlocks::release(block, count * sizeof(T), FromSystem);
    }

    template <class U>
    bool operator==(const CVLargeBlockAllocator<U, FromSystem>&) const noexcept
    {
        return true;
    }
    template <class U>
    bool operator!=(const CVLargeBlockAllocator<U, FromSystem>&) const noexcept
    {
        return false;
    }
};
