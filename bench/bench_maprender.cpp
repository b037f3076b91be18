// Times the map of an imported network: building its index, one frame of
// the whole network and one frame of a 500 m window at its middle, as the
// window draws them, and how long a saved model takes to its first frame.
// Usage: bench_maprender NETWORK_DIR|MODEL.json [Quadstone|Sias] [WxH]
// (networks of any size come from tools/generate-network.py).

#include "benchclock.h"
#include "../tests/importerprobe.h"
#include "map/maprenderer.h"

#include <cvmodel.h>
#include <cvmodelreader.h>
#include <cvsystem.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int repetitions = 7;

struct FrameTime
{
    double wall;
    double cpu;
};

// The median times in milliseconds of drawing one frame with that transform.
FrameTime frameMilliseconds(const MapRenderer& renderer, const QTransform& transform, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMilliseconds();
        QPainter painter(&image);
        renderer.render(painter, transform, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        cpus.push_back(threadCpuMilliseconds() - cpuStart);
        walls.push_back(timer.nsecsElapsed() / 1e6);
    }
    return {medianOf(walls), medianOf(cpus)};
}

void report(const char* what, const FrameTime& time, int objects)
{
    std::printf("%-21s%.1f ms wall, %.1f ms CPU (%d objects reach into it)\n", what, time.wall, time.cpu, objects);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_maprender NETWORK_DIR [Quadstone|Sias] [WxH]\n");
        return 2;
    }
    const std::optional<ParamicsVariant> variant =
        variantFromName(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("Quadstone"));
    if (!variant) {
        std::fprintf(stderr, "usage: bench_maprender NETWORK_DIR [Quadstone|Sias] [WxH]\n");
        return 2;
    }
    QSize size(1600, 1200);
    if (argc > 3) {
        const QStringList sides = QString::fromLocal8Bit(argv[3]).split(QLatin1Char('x'));
        if (sides.size() == 2)
            size = QSize(sides[0].toInt(), sides[1].toInt());
    }

    // A saved model is opened as the window opens it; a directory is imported.
    const QString source = QString::fromLocal8Bit(argv[1]);
    const bool saved = source.endsWith(QLatin1String(".json"));
    std::unique_ptr<CVModel> model;
    QElapsedTimer timer;
    timer.start();
    if (saved) {
        QString error;
        model = CVModelReader::load(source, &error);
        if (!model) {
            std::fprintf(stderr, "bench_maprender: %s\n", qPrintable(error));
            return 1;
        }
    } else {
        model.reset(CVSystem::getSystem().createModel());
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get(), *variant);
        importer.netImport(source);
    }
    const double importSeconds = timer.nsecsElapsed() / 1e9;

    MapRenderer renderer(model.get());
    timer.restart();
    const MapIndex& index = renderer.mapIndex();
    const double indexMilliseconds = timer.nsecsElapsed() / 1e6;
    const CVBBox extent = renderer.extent();
    const QTransform whole = MapRenderer::fitTransform(extent, QSizeF(size));
    CVBBox middle;
    // Around an object in the middle of the drawing order, so that the window shows some network.
    CVPoint centre((extent.getMin().x + extent.getMax().x) / 2.0, (extent.getMin().y + extent.getMax().y) / 2.0);
    for (int i = index.size() / 2; i < index.size(); ++i) {
        const QRectF& box = index.entry(i).extent;
        if (!box.isNull()) {
            centre = CVPoint(box.center().x(), box.center().y());
            break;
        }
    }
    middle.set(centre.x - 250.0, centre.x + 250.0, centre.y - 250.0, centre.y + 250.0);
    const QTransform window = MapRenderer::fitTransform(middle, QSizeF(size), 0.0);

    std::printf("objects on the map   %d\n", index.size());
    std::printf("extent               %.0f m x %.0f m\n", extent.getMax().x - extent.getMin().x,
                extent.getMax().y - extent.getMin().y);
    std::printf("%s %.2f s\n", saved ? "open model file     " : "import              ", importSeconds);
    std::printf("index                %.1f ms\n", indexMilliseconds);
    std::printf("frames               %dx%d, median of %d\n", size.width(), size.height(), repetitions);
    const auto visible = [&](const QTransform& transform) {
        return int(index.query(transform.inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(size)))).size());
    };
    const FrameTime wholeTime = frameMilliseconds(renderer, whole, size);
    report("frame, whole network", wholeTime, visible(whole));
    std::printf("to the first frame   %.2f s (model, index and one frame of the whole network)\n",
                importSeconds + indexMilliseconds / 1e3 + wholeTime.wall / 1e3);
    // Every zoom between the whole network and the 500 m window, doubling,
    // about the same centre: the slowest is the figure that matters.
    const double wholeWidth = std::max(extent.getMax().x - extent.getMin().x, extent.getMax().y - extent.getMin().y);
    FrameTime slowest = wholeTime;
    double slowestWidth = wholeWidth;
    for (double width = wholeWidth / 2.0; width > 500.0; width /= 2.0) {
        CVBBox view;
        view.set(centre.x - width / 2.0, centre.x + width / 2.0, centre.y - width / 2.0, centre.y + width / 2.0);
        const QTransform zoom = MapRenderer::fitTransform(view, QSizeF(size), 0.0);
        const FrameTime time = frameMilliseconds(renderer, zoom, size);
        char what[64];
        std::snprintf(what, sizeof what, "frame, %.0f m wide", width);
        report(what, time, visible(zoom));
        if (time.cpu > slowest.cpu) {
            slowest = time;
            slowestWidth = width;
        }
    }
    report("frame, 500 m window", frameMilliseconds(renderer, window, size), visible(window));
    std::printf("slowest zoom         %.0f m wide: %.1f ms CPU\n", slowestWidth, slowest.cpu);
    return 0;
}
