// The GIS layers made on a second thread while the writer takes them: the
// same layers in the same order as made on one thread, whatever the timing,
// the making's failure passed to the writer, and a writer that stops early
// neither waits for nor leaks the rest.

#include "../importerprobe.h"
#include "../testsupport.h"

#include "export/gis/gislayers.h"
#include "export/gis/gislayerstream.h"

#include <cvsystem.h>

#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <new>
#include <thread>

using GisLayers::Layer;

namespace {

// A layer told apart by its name and its number of features.
Layer numbered(int n)
{
    Layer layer;
    layer.name = QStringLiteral("layer %1").arg(n);
    layer.features.resize(n + 1);
    for (int i = 0; i <= n; ++i)
        layer.features[i].id = 1000 * n + i;
    return layer;
}

// What a writer sees of a layer.
QString summary(const Layer& layer)
{
    QStringList ids;
    for (const GisLayers::Feature& feature : layer.features)
        ids << QString::number(feature.id) + QLatin1Char('=') + feature.values.value(1).toString();
    return layer.name + QLatin1Char(':') + ids.join(QLatin1Char(','));
}

void pause(int microseconds)
{
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

}  // namespace

class TestGisLayerStream : public QObject
{
    Q_OBJECT

private slots:
    void layersKeepTheirOrder_data();
    void layersKeepTheirOrder();
    void failureReachesTheWriter();
    void modelLayersAsOnOneThread_data();
    void modelLayersAsOnOneThread();
};

void TestGisLayerStream::layersKeepTheirOrder_data()
{
    QTest::addColumn<int>("layers");
    QTest::addColumn<int>("taken");  // the writer stops after these
    QTest::addColumn<int>("makerPause");  // microseconds per layer
    QTest::addColumn<int>("writerPause");
    QTest::addColumn<bool>("makerWaits");  // for room, when the writer stops
    QTest::newRow("none") << 0 << 0 << 0 << 0 << false;
    QTest::newRow("one") << 1 << 1 << 0 << 0 << false;
    QTest::newRow("slow maker") << 12 << 12 << 2000 << 0 << false;
    QTest::newRow("slow writer") << 12 << 12 << 0 << 2000 << false;
    QTest::newRow("writer stops at once, maker waiting") << 12 << 0 << 0 << 0 << true;
    QTest::newRow("writer stops half way, maker waiting") << 12 << 6 << 0 << 0 << true;
    QTest::newRow("writer stops half way, maker busy") << 12 << 6 << 3000 << 0 << false;
}

void TestGisLayerStream::layersKeepTheirOrder()
{
    QFETCH(int, layers);
    QFETCH(int, taken);
    QFETCH(int, makerPause);
    QFETCH(int, writerPause);
    QFETCH(bool, makerWaits);
    std::atomic<int> made{0};
    {
        GisLayerStream stream([&](Layer& layer) {
            if (made == layers)
                return false;
            pause(makerPause);
            layer = numbered(made++);
            return true;
        });
        Layer layer;
        for (int i = 0; i < taken; ++i) {
            QVERIFY(stream.next(layer));
            QCOMPARE(summary(layer), summary(numbered(i)));
            pause(writerPause);
        }
        if (taken == layers)
            QVERIFY(!stream.next(layer));
        // One layer made ahead and the next made: the maker waits for room.
        for (int wait = 0; makerWaits && made < taken + 2 && wait < 5000; ++wait)
            pause(1000);
    }
    // At most the layer made ahead and the one under way are made for
    // nothing when the writer stops.
    QVERIFY2(made <= qMin(layers, taken + 2), qPrintable(QString::number(made)));
}

void TestGisLayerStream::failureReachesTheWriter()
{
    int made = 0;
    GisLayerStream stream([&made](Layer& layer) {
        if (made == 3)
            throw std::bad_alloc();
        layer = numbered(made++);
        return true;
    });
    Layer layer;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(stream.next(layer));
        QCOMPARE(layer.name, numbered(i).name);
    }
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, stream.next(layer));
}

void TestGisLayerStream::modelLayersAsOnOneThread_data()
{
    QTest::addColumn<QString>("network");
    QTest::addColumn<ParamicsVariant>("variant");
    QTest::newRow("quadstone") << "quadstone" << ParamicsVariant::Quadstone;
    QTest::newRow("sias") << "sias" << ParamicsVariant::Sias;
}

// The model read by the making thread while the writer holds the layers
// before: every layer, feature and value as fromModel makes them.
void TestGisLayerStream::modelLayersAsOnOneThread()
{
    QFETCH(QString, network);
    QFETCH(ParamicsVariant, variant);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    {
        ParamicsImporter importer;
        configureLikeTheDialog(importer, model.get(), variant);
        importer.netImport(examplesDir(network));
    }
    QStringList oneThread;
    for (const Layer& layer : GisLayers::fromModel(*model))
        oneThread << summary(layer);
    QVERIFY(oneThread.size() >= 5);

    GisLayers::LayerMaker maker(*model);
    GisLayerStream stream([&maker](Layer& layer) { return maker.next(layer); });
    QStringList streamed;
    Layer layer;
    while (stream.next(layer))
        streamed << summary(layer);
    QCOMPARE(streamed, oneThread);
}

QTEST_GUILESS_MAIN(TestGisLayerStream)
#include "tst_gislayerstream.moc"
