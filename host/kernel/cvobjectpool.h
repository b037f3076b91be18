#pragma once

#include "cvexport.h"

#include <cstddef>

// Memory for host objects. A model holds hundreds of thousands of objects
// of a handful of sizes, made one after the other by an import and freed
// together with the model. Blocks of each size are cut from large chunks,
// one after the other, and a freed block goes to its size's free list for
// the next object of that size: no search and no header per object, and an
// import's objects lie side by side in memory. Chunks stay with the
// process for the next model. Sizes above the pooled ones, and every size
// in sanitizer builds (so that they still see each object's bounds and
// lifetime), go to the global allocator.
class CRVKERNEL_EXPORT CVObjectPool
{
public:
    static void* allocate(std::size_t size);
    static void release(void* block, std::size_t size) noexcept;
};
