// The heap of the programs that allocate through mimalloc, on large pages.
//
// A model is hundreds of thousands of small heap blocks, hundreds of
// megabytes made in one go. Each fresh 4 KiB page of them costs a page
// fault, and on a virtual machine a fault is a trip to the hypervisor:
// before this, a regional import took 22,000 faults and a fifth of its CPU
// time in the kernel. Memory marked for large pages faults once every
// 2 MiB instead. mimalloc asks the system for ordinary pages (its own
// large-page option is read from the environment before any code of the
// program runs), so the program gives it the memory itself, before main:
//
// - an arena: address space reserved once, marked for large pages and
//   handed to mimalloc, which takes its segments from it before it asks
//   the system for more. Only what the heap touches becomes memory;
// - the mapping that already holds the heap's first segment (mapped while
//   the libraries were loaded) is marked too, so that the part of it not
//   yet touched comes in large pages as well.
//
// The large-block allocator of host/ does the same for single blocks of
// megabytes. Marking is only advice: where the system has no large pages
// for the program, the memory comes page by page as before. Under a limit
// on the address space (ulimit -v) nothing is reserved, so that the
// reservation takes nothing from what the limit leaves the program.

#include <mimalloc.h>

#include <sys/mman.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Address space only: a metropolitan model's heap is under 2 GiB. Past the
// arena, mimalloc takes its memory from the system as usual.
constexpr std::size_t ArenaBytes = std::size_t(16) << 30;
// mimalloc's segments are this size and aligned to it; an arena that does
// not start on such a boundary loses its first segment.
constexpr std::size_t SegmentBytes = std::size_t(32) << 20;

bool addressSpaceLimited()
{
    rlimit limit{};
    return getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
}

void reserveArena()
{
    void* mapped = mmap(nullptr, ArenaBytes + SegmentBytes, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED)
        return;
    const auto address = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (address + SegmentBytes - 1) / SegmentBytes * SegmentBytes;
    if (aligned > address)
        munmap(mapped, aligned - address);
    if (const std::size_t after = address + ArenaBytes + SegmentBytes - (aligned + ArenaBytes))
        munmap(reinterpret_cast<void*>(aligned + ArenaBytes), after);
    void* arena = reinterpret_cast<void*>(aligned);
    madvise(arena, ArenaBytes, MADV_HUGEPAGE);
    // Committed (the system maps pages as they are touched) and zeroed.
    if (!mi_manage_os_memory(arena, ArenaBytes, true, false, true, -1))
        munmap(arena, ArenaBytes);
}

// The private, anonymous mapping that holds `address`, from the process's
// list of mappings; false when there is none.
bool anonymousMappingOf(std::uintptr_t address, std::uintptr_t& start, std::uintptr_t& end)
{
    std::FILE* maps = std::fopen("/proc/self/maps", "re");
    if (!maps)
        return false;
    bool found = false;
    char line[512];
    while (!found && std::fgets(line, sizeof line, maps)) {
        unsigned long from = 0;
        unsigned long to = 0;
        char permissions[5] = {};
        unsigned long offset = 0;
        unsigned long inode = 1;
        int pathAt = 0;
        if (std::sscanf(line, "%lx-%lx %4s %lx %*x:%*x %lu %n", &from, &to, permissions, &offset, &inode, &pathAt) < 5)
            continue;
        if (address < from || address >= to)
            continue;
        const bool named = pathAt > 0 && line[pathAt] != '\0' && line[pathAt] != '\n';
        found = std::strcmp(permissions, "rw-p") == 0 && inode == 0 && !named;
        start = from;
        end = to;
    }
    std::fclose(maps);
    return found;
}

void adviseFirstSegment()
{
    void* probe = std::malloc(16);
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    if (probe && anonymousMappingOf(reinterpret_cast<std::uintptr_t>(probe), start, end))
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    std::free(probe);
}

struct LargePageHeap
{
    LargePageHeap()
    {
        if (addressSpaceLimited())
            return;
        adviseFirstSegment();
        reserveArena();
    }
};

const LargePageHeap largePageHeap;

}  // namespace
