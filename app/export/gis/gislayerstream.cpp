#include "export/gis/gislayerstream.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>

namespace {

// Layers made and not yet taken; one is enough to keep the writer busy.
constexpr size_t MadeAhead = 1;

}  // namespace

struct GisLayerStream::Shared
{
    explicit Shared(Maker make) : make(std::move(make)) {}

    // On the second thread: every layer in turn, each handed over once the
    // writer has room for it.
    void makeAll()
    {
        try {
            GisLayers::Layer layer;
            while (make(layer)) {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [this] { return stopped || made.size() < MadeAhead; });
                if (stopped)
                    return;
                made.push_back(std::move(layer));
                changed.notify_all();
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex);
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(mutex);
        finished = true;
        changed.notify_all();
    }

    bool take(GisLayers::Layer& layer)
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !made.empty() || finished; });
        if (made.empty()) {
            if (failure)
                std::rethrow_exception(failure);
            return false;
        }
        layer = std::move(made.front());
        made.pop_front();
        changed.notify_all();
        return true;
    }

    void stop()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopped = true;
        changed.notify_all();
    }

    const Maker make;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<GisLayers::Layer> made;
    std::exception_ptr failure;
    bool stopped = false;
    bool finished = false;
};

GisLayerStream::GisLayerStream(Maker make) : shared(std::make_unique<Shared>(std::move(make)))
{
    try {
        second = std::thread([s = shared.get()] { s->makeAll(); });
    } catch (const std::system_error&) {
        // No thread to be had: next() makes the layers.
    }
}

GisLayerStream::~GisLayerStream()
{
    if (second.joinable()) {
        shared->stop();
        second.join();
    }
}

bool GisLayerStream::next(GisLayers::Layer& layer)
{
    if (!second.joinable())
        return shared->make(layer);
    return shared->take(layer);
}
