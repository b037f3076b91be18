#pragma once

// Whether memory is marked for large pages (the "hg" flag of its mapping in
// /proc/self/smaps). Whether the system then gives large pages is its own
// choice, so tests read the marking, not the pages.

#include <sys/mman.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace LargePageMarks {

struct Mapping
{
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    bool largePages = false;
};

inline std::vector<Mapping> mappings()
{
    std::vector<Mapping> all;
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    while (std::getline(smaps, line)) {
        unsigned long from = 0;
        unsigned long to = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> from >> dash >> to && dash == '-') {
            all.push_back({from, to, false});
        } else if (line.rfind("VmFlags:", 0) == 0 && !all.empty()) {
            std::istringstream flags(line.substr(8));
            std::string flag;
            while (flags >> flag)
                all.back().largePages = all.back().largePages || flag == "hg";
        }
    }
    return all;
}

// Whether this kernel marks memory for large pages at all (it has no
// transparent large pages without CONFIG_TRANSPARENT_HUGEPAGE).
inline bool kernelMarksLargePages()
{
    const std::size_t size = std::size_t(4) << 20;
    void* scratch = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (scratch == MAP_FAILED)
        return false;
    const bool marked = madvise(scratch, size, MADV_HUGEPAGE) == 0;
    munmap(scratch, size);
    return marked;
}

inline bool markedForLargePages(const std::vector<Mapping>& all, const void* block)
{
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    for (const Mapping& mapping : all)
        if (address >= mapping.start && address < mapping.end)
            return mapping.largePages;
    return false;
}

}  // namespace LargePageMarks
