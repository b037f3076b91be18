// The map's index finds what a frame or a click needs, as a scan of every object would.

#include "map/mapindex.h"
#include "map/maprenderer.h"

#include <cvgeomodel.h>
#include <cvgeoobject.h>
#include <cvlayer.h>
#include <cvmappainter.h>
#include <cvmodel.h>
#include <cvregistry.h>
#include <cvsystem.h>

#include <QRandomGenerator>
#include <QtTest>

#include <memory>

namespace {

// A rectangle of any size, so that the index meets points, long thin objects and huge ones.
class IndexedBox : public CVGeoObject
{
public:
    using CVGeoObject::CVGeoObject;
    CVBBox box;
    CVBBox getBoundingBox() const override { return box; }
    void draw(CVMapPainter&) const override {}
};

CV_REGISTER_TYPE(IndexedBox)

IndexedBox* addBox(CVModel* model, double x1, double x2, double y1, double y2)
{
    auto* object = static_cast<IndexedBox*>(CVSystem::getSystem().newObject(QStringLiteral("IndexedBox"), model));
    if (x1 <= x2)
        object->box.set(x1, x2, y1, y2);
    model->getGeoModel()->add(model->getGeoModel()->getActiveLayer(true), object);
    return object;
}

}  // namespace

class TestMapIndex : public QObject
{
    Q_OBJECT

private slots:
    void queryFindsWhatAScanFinds();
    void clickPicksTheSmallestObjectThere();
};

void TestMapIndex::queryFindsWhatAScanFinds()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    QRandomGenerator random(17);
    for (int i = 0; i < 3000; ++i) {
        const double x = random.bounded(10000.0), y = random.bounded(8000.0);
        const double w = i % 100 == 0 ? 9000.0 : random.bounded(60.0);  // some span the whole network
        addBox(model.get(), x, x + w, y, y + random.bounded(30.0));
    }
    addBox(model.get(), 1, 0, 0, 0);  // tells no extent: always drawn
    const MapIndex index(model.get());
    QCOMPARE(index.size(), 3001);
    for (int q = 0; q < 200; ++q) {
        const double side = q % 10 == 0 ? 20000.0 : random.bounded(500.0);
        const QRectF area(random.bounded(12000.0) - 1000.0, random.bounded(10000.0) - 1000.0, side, side * 0.7);
        QVector<int> expected;
        for (int i = 0; i < index.size(); ++i) {
            const QRectF& extent = index.entry(i).extent;
            if (extent.isNull() || extent.intersects(area))
                expected.append(i);
        }
        QCOMPARE(index.query(area), expected);  // the same objects, in drawing order
    }
}

void TestMapIndex::clickPicksTheSmallestObjectThere()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    addBox(model.get(), 0, 1000, 0, 1000);
    const IndexedBox* small = addBox(model.get(), 495, 505, 495, 505);
    const IndexedBox* point = addBox(model.get(), 900, 900, 100, 100);
    MapRenderer renderer(model.get());
    const QTransform transform = MapRenderer::fitTransform(renderer.extent(), QSizeF(500, 500), 0.0);
    QCOMPARE(renderer.objectAt(transform.map(QPointF(500, 500)), transform), small);
    // A point is picked within a few pixels of it.
    QCOMPARE(renderer.objectAt(transform.map(QPointF(900, 100)) + QPointF(3, -2), transform), point);
    QVERIFY(!renderer.objectAt(QPointF(-50, -50), transform));
}

QTEST_MAIN(TestMapIndex)
#include "tst_mapindex.moc"
