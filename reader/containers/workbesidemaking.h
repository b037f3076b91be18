#pragma once

#include "reader/containers/splitwork.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Work on items that one thread makes one after the other, done on a
// second thread while the maker goes on making: for work whose items touch
// nothing but themselves and data that no one changes meanwhile, and that
// the maker no longer touches once it has handed them over. The maker
// hands each item over with add(); finish() takes what the second thread
// has not reached yet in turns with it, waits for it and throws what it
// threw. Without work sharing (workSharingAllowed) everything is done in
// finish(), on the maker's thread.
template <typename Item, typename Work>
class WorkBesideMaking
{
public:
    // capacity: the most items that will be added (the storage never
    // moves, since the second thread reads it while items are added).
    WorkBesideMaking(std::size_t capacity, Work work) : work(std::move(work))
    {
        items.reserve(capacity);
        storage = items.data();
        if (workSharingAllowed().load(std::memory_order_relaxed))
            second = std::thread([this] { runSecond(); });
    }
    ~WorkBesideMaking() { stop(); }
    WorkBesideMaking(const WorkBesideMaking&) = delete;
    WorkBesideMaking& operator=(const WorkBesideMaking&) = delete;

    // Adds an item; false (and nothing added) once the capacity is used up.
    bool add(Item item)
    {
        if (items.size() == items.capacity())
            return false;
        items.push_back(item);
        added.store(items.size(), std::memory_order_release);
        if (items.size() % Batch == 0) {
            // Taken and let go, so that the second thread is either about
            // to look at the count or already waiting for this call.
            { std::lock_guard<std::mutex> lock(mutex); }
            wake.notify_one();
        }
        return true;
    }

    void finish()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            made = true;
        }
        wake.notify_one();
        workShares();
        stop();
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    // Items are taken this many at a time, and the second thread woken as
    // often.
    static constexpr std::size_t Batch = 64;

    // Takes and works shares of the items added so far; false when none
    // was left.
    bool workShares()
    {
        bool worked = false;
        for (;;) {
            const std::size_t available = added.load(std::memory_order_acquire);
            std::size_t begin = taken.load(std::memory_order_relaxed);
            do {
                if (begin >= available)
                    return worked;
            } while (!taken.compare_exchange_weak(begin, std::min(begin + Batch, available), std::memory_order_relaxed));
            const std::size_t end = std::min(begin + Batch, available);
            for (std::size_t i = begin; i < end; ++i)
                work(storage[i]);
            worked = true;
        }
    }

    void runSecond()
    {
        // Nothing may leave the thread: a failure waits for finish.
        try {
            for (;;) {
                if (workShares())
                    continue;
                std::unique_lock<std::mutex> lock(mutex);
                if (made && taken.load() >= added.load())
                    return;
                wake.wait(lock, [this] {
                    return made || added.load(std::memory_order_acquire) >= taken.load() + Batch;
                });
                if (made) {
                    lock.unlock();
                    workShares();
                    return;
                }
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }

    void stop()
    {
        if (!second.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            made = true;
        }
        wake.notify_one();
        second.join();
    }

    Work work;
    std::vector<Item> items;  // never grows past its first room
    Item* storage = nullptr;  // items' elements, read by both threads
    std::atomic<std::size_t> added{0};  // items[0, added) may be worked
    std::atomic<std::size_t> taken{0};  // items[0, taken) are someone's
    std::mutex mutex;
    std::condition_variable wake;
    bool made = false;  // no item will be added any more; under mutex
    std::exception_ptr failure;
    std::thread second;
};
