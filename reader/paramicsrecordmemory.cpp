#include "reader/paramicsrecordmemory.h"

#include <cvlargeblocks.h>

#include <QtGlobal>

#include <cstdlib>

namespace ParamicsMemory {

void* allocate(std::size_t bytes)
{
    if (bytes == 0)
        bytes = 1;
#ifdef Q_OS_LINUX
    // Large blocks start on a huge page boundary, so that every whole huge
    // page of them can be one.
    if (bytes >= LargeBlock) {
        void* block = CVLargeBlocks::map(bytes, CVLargeBlocks::Pages::Large);
        if (!block)
            throw std::bad_alloc();
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
        CVLargeBlocks::unmap(block, bytes);
        return;
    }
#endif
    std::free(block);
}

}  // namespace ParamicsMemory
