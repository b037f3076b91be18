#include "cli/outofmemory.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#include <unistd.h>

namespace {

// Made when the handler is installed: when it runs, the heap may be full.
std::string outOfMemoryLine;
std::terminate_handler previousHandler = nullptr;

[[noreturn]] void onTerminate()
{
    if (const std::exception_ptr escaped = std::current_exception()) {
        try {
            std::rethrow_exception(escaped);
        } catch (const std::bad_alloc&) {
            // No stdio buffers: the heap is what ran out.
            [[maybe_unused]] const ssize_t written = ::write(2, outOfMemoryLine.data(), outOfMemoryLine.size());
            ::_exit(1);
        } catch (...) {
        }
    }
    if (previousHandler)
        previousHandler();
    std::abort();
}

}  // namespace

void exitQuietlyWhenMemoryRunsOut(const char* who)
{
    outOfMemoryLine = std::string(who) + ": out of memory\n";
    previousHandler = std::set_terminate(&onTerminate);
}
