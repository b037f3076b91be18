#include "cli/outofmemory.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// Made when the handler is installed: when it runs, the heap may be full.
std::string outOfMemoryLine;
std::terminate_handler previousHandler = nullptr;

// The first thread to report writes the line; the others stay silent.
std::atomic<bool> reported{false};

bool writeLineOnce()
{
    if (reported.exchange(true))
        return false;
    // No stdio buffers and no copy: the heap is what ran out.
    static const char fallback[] = "out of memory\n";
    const bool made = !outOfMemoryLine.empty();
    [[maybe_unused]] const ssize_t written = ::write(2, made ? outOfMemoryLine.data() : fallback,
                                                     made ? outOfMemoryLine.size() : sizeof fallback - 1);
    return true;
}

[[noreturn]] void exitOutOfMemory()
{
    if (writeLineOnce())
        ::_exit(1);
    // Another thread has said it and is ending the program.
    for (;;)
        ::pause();
}

[[noreturn]] void onTerminate()
{
    if (const std::exception_ptr escaped = std::current_exception()) {
        try {
            std::rethrow_exception(escaped);
        } catch (const std::bad_alloc&) {
            exitOutOfMemory();
        } catch (...) {
        }
    }
    if (previousHandler)
        previousHandler();
    std::abort();
}

}  // namespace

void reportOutOfMemory()
{
    writeLineOnce();
}

void exitQuietlyWhenMemoryRunsOut(const char* who)
{
    outOfMemoryLine = std::string(who) + ": out of memory\n";
    previousHandler = std::set_terminate(&onTerminate);
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define CORVIA_THREADS_INTERCEPTED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVIA_THREADS_INTERCEPTED 1
#endif

#ifndef CORVIA_THREADS_INTERCEPTED
// Every thread of the program starts here, Qt's and the libraries' too. A
// thread that cannot start for want of memory ends the program like any
// other allocation that fails: Qt's painting hands its work to threads it
// then waits for, and would wait for ever for one that never started.
// (The sanitizers start threads through their own function of this name.)
extern "C" __attribute__((visibility("default"))) int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    const int result = create(thread, attributes, start, argument);
    if (result == EAGAIN || result == ENOMEM)
        exitOutOfMemory();
    return result;
}
#endif
