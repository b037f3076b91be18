#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <thread>

// Whether work may be shared between threads at all: switched off, every
// share runs on the calling thread, which is how the tests check that
// sharing changes nothing.
inline std::atomic<bool>& workSharingAllowed()
{
    static std::atomic<bool> allowed{true};
    return allowed;
}

// Runs work(begin, end) over [0, count) in two halves, the second on a
// thread of its own, when the count is worth a thread; for work whose
// items touch nothing but themselves and data no one changes meanwhile.
// What a half throws is thrown here once both have ended.
template <typename Work>
void splitWorkInTwo(std::size_t count, std::size_t worthAThread, Work work)
{
    if (count < worthAThread || !workSharingAllowed().load(std::memory_order_relaxed)) {
        work(std::size_t(0), count);
        return;
    }
    const std::size_t middle = count / 2;
    std::exception_ptr failure;
    std::thread second([&] {
        try {
            work(middle, count);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    try {
        work(std::size_t(0), middle);
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (failure)
        std::rethrow_exception(failure);
}
