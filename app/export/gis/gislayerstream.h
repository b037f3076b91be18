#pragma once

#include "export/gis/gislayers.h"

#include <functional>
#include <memory>
#include <thread>

// Layers made on a second thread while the caller writes the ones before
// them. Writing a layer through OGR takes about twice as long as
// making it, so the making is all but hidden; and as the caller drops each
// layer once written, at most three are held at a time (the one written,
// one made ahead and the one in the making) instead of all of them. The
// layers come in the maker's order whatever the threads' timing. Where no
// thread can be had, next() makes each layer itself.
class GisLayerStream
{
public:
    // Gives the next layer, false once there is none (LayerMaker::next);
    // it must outlive the stream.
    using Maker = std::function<bool(GisLayers::Layer&)>;

    explicit GisLayerStream(Maker make);
    // Stops the making after the layer under way.
    ~GisLayerStream();
    GisLayerStream(const GisLayerStream&) = delete;
    GisLayerStream& operator=(const GisLayerStream&) = delete;

    // The next layer, waiting for it if need be; false once all are taken.
    // What the making threw (out of memory) is thrown here.
    bool next(GisLayers::Layer& layer);

private:
    struct Shared;
    std::unique_ptr<Shared> shared;
    std::thread second;
};
