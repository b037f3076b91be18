// How the network types draw themselves: a small hand-made model drawn into
// an image and looked at, pixel by pixel, where the road has to be or not.

#include "map/mapdecorations.h"
#include "map/mappicture.h"
#include "map/maprenderer.h"

#include <cvgeomodel.h>
#include <cvlayer.h>
#include <cvmapstyle.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvsystem.h>
#include <cvtext.h>
#include <cvturning.h>

#include <QtTest>

#include <memory>

namespace {

template <typename T>
T* make(CVModel* model, const char* type)
{
    auto* object = dynamic_cast<T*>(CVSystem::getSystem().newObject(QString::fromLatin1(type), model));
    model->getGeoModel()->add(model->getGeoModel()->getActiveLayer(true), object);
    return object;
}

CVSection* makeSection(CVModel* model, const CVPoints& points, int lanes)
{
    auto* section = make<CVSection>(model, "CVSection");
    section->setDataValue(CVSection::laneWidthColumn(), 3.5);
    section->setDataValue(CVSection::nbLanesColumn(), lanes);
    section->setFromPoints(points, points.size() > 2 ? CVBezierCurve::PointList : CVBezierCurve::Segment);
    return section;
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) < 30 && qAbs(a.green() - b.green()) < 30 && qAbs(a.blue() - b.blue()) < 30;
}

}  // namespace

class TestMapDrawing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pixelsOfTheHandMadeModel_data();
    void pixelsOfTheHandMadeModel();
    void turningAndLabelAreDrawn();
    void straightRoadsAloneAreDrawn();
    void drawingFollowsLaneChanges();
    void offsetLineKeepsItsDistanceAtCorners_data();
    void offsetLineKeepsItsDistanceAtCorners();
    void scaleBarTakesRoundLengths_data();
    void scaleBarTakesRoundLengths();
    void pictureSizeIsRead_data();
    void pictureSizeIsRead();

private:
    QColor pixelAt(double x, double y) const { return image.pixelColor(transform.map(QPointF(x, y)).toPoint()); }

    std::unique_ptr<CVModel> model;
    CVSection* eastbound = nullptr;
    QImage image;
    QTransform transform;
};

// Eastbound: 2 full lanes of 3.5 m and a 30 m entrance lane on its right,
// centre line at y = -5.75, so the full lanes span y -7.5 to -0.5 and the
// entrance lane y -11 to -7.5 for x 0 to 30. Westbound beside it: 2 lanes
// from y 0.5 to 7.5. An arc through (0, 20), (50, 45), (100, 20). A turning
// from the eastbound end into the westbound start, a yellow-box node, a bus
// stop on the eastbound middle lane at 60 to 80 m, a detector across the
// westbound lanes at 20 to 24 m (x 80 to 76) and a label "HELLO".
void TestMapDrawing::initTestCase()
{
    model.reset(CVSystem::getSystem().createModel());
    CVModel* m = model.get();
    eastbound = makeSection(m, CVPoints{CVPoint(0, -5.75), CVPoint(100, -5.75)}, 2);
    eastbound->addLane(CVSectionLane(0.0, 30.0), -1);
    CVSection* westbound = makeSection(m, CVPoints{CVPoint(100, 4), CVPoint(0, 4)}, 2);
    makeSection(m, CVPoints{CVPoint(0, 20), CVPoint(50, 45), CVPoint(100, 20)}, 1);

    auto* node = make<CVNode>(m, "CVNode");
    node->setPosition(CVPoint(-5, 0));
    node->setYellowBox(true);
    // As an import makes it: in no layer, listed by its node.
    auto* turning = dynamic_cast<CVTurning*>(CVSystem::getSystem().newObject(QStringLiteral("CVTurning"), m));
    turning->setOriginLanes(0, 1);
    turning->setDestinationLanes(0, 1);
    turning->setSections(eastbound, westbound);
    node->addTurning(turning, true, true);

    auto* stop = make<CVBusStop>(m, "CVBusStop");
    stop->setPosition(60.0f);
    stop->setLength(20.0f);
    stop->setLanes(1, 1);
    eastbound->addTopObject(stop);
    auto* detector = make<CVDetector>(m, "CVDetector");
    detector->setPosition(20.0f);
    detector->setLength(4.0f);
    detector->setLanes(0, 1);
    westbound->addTopObject(detector);

    auto* label = make<CVText>(m, "CVText");
    label->setPosition(CVPoint(20, 60));
    label->setHeight(10.0);
    label->setText(QStringLiteral("HELLO"));

    const QSize size(800, 600);
    MapRenderer renderer(m);
    renderer.setBackground(Qt::white);
    image = renderer.renderImage(size);
    transform = MapRenderer::fitTransform(MapRenderer::modelExtent(m), QSizeF(size));
    QVERIFY(transform.m11() > 5.0);  // a metre is several pixels: the checks below are sharp
}

void TestMapDrawing::pixelsOfTheHandMadeModel_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QColor>("expected");
    const QColor road = CVMapStyle::road();
    const QColor white = Qt::white;
    QTest::newRow("eastbound left lane") << 40.0 << -1.2 << road;
    QTest::newRow("eastbound right lane") << 40.0 << -6.8 << road;
    QTest::newRow("gap between the directions") << 40.0 << 0.0 << white;
    QTest::newRow("westbound near edge") << 40.0 << 1.2 << road;
    QTest::newRow("westbound far edge") << 40.0 << 6.8 << road;
    QTest::newRow("beyond the westbound lanes") << 40.0 << 8.5 << white;
    QTest::newRow("entrance lane within its length") << 15.0 << -9.25 << road;
    QTest::newRow("entrance lane beyond its length") << 40.0 << -9.25 << white;
    QTest::newRow("arc apex") << 50.0 << 45.0 << road;
    QTest::newRow("arc chord midpoint") << 50.0 << 20.0 << white;
    // The smooth curve runs 3 m above the straight pieces at x = 21.9.
    QTest::newRow("arc smooth, not a polyline") << 21.875 << 35.0 << road;
    QTest::newRow("yellow-box node") << -5.0 << 0.0 << CVMapStyle::yellowBoxNode();
    QTest::newRow("bus stop on its lane") << 65.0 << -6.5 << CVMapStyle::busStop();
    QTest::newRow("lane beside the bus stop") << 65.0 << -1.2 << road;
    QTest::newRow("detector, near lane") << 78.5 << 1.2 << CVMapStyle::detector();
    QTest::newRow("detector, far lane") << 78.5 << 6.8 << CVMapStyle::detector();
    QTest::newRow("westbound beyond the detector") << 72.0 << 6.8 << road;
}

void TestMapDrawing::pixelsOfTheHandMadeModel()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QColor, expected);
    const QColor found = pixelAt(x, y);
    QVERIFY2(near(found, expected), qPrintable(QStringLiteral("found %1, expected %2").arg(found.name(), expected.name())));
}

void TestMapDrawing::turningAndLabelAreDrawn()
{
    // The turning bulges east of the two section ends, into the empty map.
    const CVTurning* turning = nullptr;
    for (const CVObject* object : model->getGeoModel()->getActiveLayer()->getObjects()) {
        if (const auto* node = dynamic_cast<const CVNode*>(object))
            turning = node->getTurnings().value(0);
    }
    QVERIFY(turning && turning->getPath().size() > 6);
    const CVPoint middle = turning->getPath()[turning->getPath().size() / 2];
    QVERIFY(middle.x > 101.0);
    // A thin line blends with the background: blue, not the road's grey.
    const QColor onPath = pixelAt(middle.x, middle.y);
    QVERIFY2(onPath.blue() - onPath.red() > 80, qPrintable(onPath.name()));

    // "HELLO", 10 m high, starts at (20, 60): ink over its box, none beside it.
    auto inkIn = [&](double x1, double x2, double y1, double y2) {
        const QRect box = transform.mapRect(QRectF(QPointF(x1, y1), QPointF(x2, y2))).toRect();
        int ink = 0;
        for (int px = box.left(); px <= box.right(); ++px) {
            for (int py = box.top(); py <= box.bottom(); ++py)
                ink += near(image.pixelColor(px, py), CVMapStyle::text()) ? 1 : 0;
        }
        return ink;
    };
    QVERIFY(inkIn(20, 50, 60, 70) > 200);
    QCOMPARE(inkIn(60, 90, 60, 70), 0);
    QCOMPARE(inkIn(20, 50, 48, 58), 0);
}

// Straight roads are drawn together at the end of a run of one pen: a map
// of nothing else must still show the last of them, with its own width.
void TestMapDrawing::straightRoadsAloneAreDrawn()
{
    std::unique_ptr<CVModel> roads(CVSystem::getSystem().createModel());
    makeSection(roads.get(), CVPoints{CVPoint(0, 0), CVPoint(100, 0)}, 3);
    makeSection(roads.get(), CVPoints{CVPoint(0, 30), CVPoint(100, 30)}, 1);
    const QSize size(400, 300);
    MapRenderer renderer(roads.get());
    renderer.setBackground(Qt::white);
    const QImage picture = renderer.renderImage(size);
    const QTransform toScreen = MapRenderer::fitTransform(MapRenderer::modelExtent(roads.get()), QSizeF(size));
    const auto at = [&](double x, double y) { return picture.pixelColor(toScreen.map(QPointF(x, y)).toPoint()); };
    QVERIFY(near(at(50, 0), CVMapStyle::road()));
    QVERIFY(near(at(50, 30), CVMapStyle::road()));
    // Three lanes of 3.5 m: 4.5 m off the centre line is still road.
    QVERIFY(near(at(50, 4.5), CVMapStyle::road()));
}

void TestMapDrawing::drawingFollowsLaneChanges()
{
    std::unique_ptr<CVModel> own(CVSystem::getSystem().createModel());
    CVSection* section = makeSection(own.get(), CVPoints{CVPoint(0, 0), CVPoint(50, 0)}, 2);
    QCOMPARE(section->getBoundingBox().getMax().y, 3.5);
    section->setDataValue(CVSection::laneWidthColumn(), 3.0);
    QCOMPARE(section->getBoundingBox().getMax().y, 3.0);
    section->addLane(CVSectionLane(), -1);
    QCOMPARE(section->getBoundingBox().getMax().y, 4.5);
    QCOMPARE(int(section->getDrawing().getSeparators().size()), 2);
    section->setFromSegment(CVPoint(0, 10), CVPoint(50, 10), CVBezierCurve::Segment);
    QCOMPARE(section->getBoundingBox().getMin().y, 5.5);
}

void TestMapDrawing::offsetLineKeepsItsDistanceAtCorners_data()
{
    QTest::addColumn<double>("offset");
    QTest::addColumn<QPointF>("corner");
    // East then north: the left side is inside the corner.
    QTest::newRow("left, inside") << 2.0 << QPointF(8, 2);
    QTest::newRow("right, outside") << -2.0 << QPointF(12, -2);
}

void TestMapDrawing::offsetLineKeepsItsDistanceAtCorners()
{
    QFETCH(double, offset);
    QFETCH(QPointF, corner);
    const CVPoints line{CVPoint(0, 0), CVPoint(10, 0), CVPoint(10, 0), CVPoint(10, 10)};
    const CVPoints moved = CVSectionDrawing::offsetLine(line, offset);
    QCOMPARE(int(moved.size()), 3);  // the repeated point is dropped
    QCOMPARE(moved[0].y, offset);
    QCOMPARE(moved[1].x, corner.x());
    QCOMPARE(moved[1].y, corner.y());
    QCOMPARE(moved[2].x, 10.0 - offset);
}

void TestMapDrawing::scaleBarTakesRoundLengths_data()
{
    QTest::addColumn<double>("pixelsPerMetre");
    QTest::addColumn<double>("maximumPixels");
    QTest::addColumn<double>("metres");
    QTest::newRow("room for 320 m") << 1.0 << 320.0 << 200.0;
    QTest::newRow("room for 999 m") << 0.1 << 99.9 << 500.0;
    QTest::newRow("room for 1 km") << 0.25 << 250.0 << 1000.0;
    QTest::newRow("room for 1.5 m") << 100.0 << 150.0 << 1.0;
    QTest::newRow("degenerate zoom") << 0.0 << 150.0 << 0.0;
}

void TestMapDrawing::scaleBarTakesRoundLengths()
{
    QFETCH(double, pixelsPerMetre);
    QFETCH(double, maximumPixels);
    QFETCH(double, metres);
    QCOMPARE(MapDecorations::scaleBarMetres(pixelsPerMetre, maximumPixels), metres);
}

void TestMapDrawing::pictureSizeIsRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::newRow("usual") << "1600x1200" << QSize(1600, 1200);
    QTest::newRow("capital X") << "640X480" << QSize(640, 480);
    QTest::newRow("too small") << "8x8" << QSize();
    QTest::newRow("too large") << "20000x100" << QSize();
    QTest::newRow("one number") << "800" << QSize();
    QTest::newRow("negative") << "-5x100" << QSize();
}

void TestMapDrawing::pictureSizeIsRead()
{
    QFETCH(QString, text);
    QFETCH(QSize, size);
    QSize read;
    QCOMPARE(MapPicture::parseSize(text, read), size.isValid());
    if (size.isValid())
        QCOMPARE(read, size);
}

QTEST_MAIN(TestMapDrawing)
#include "tst_mapdrawing.moc"
