#include "mapview.h"

#include "mapdecorations.h"

#include <cvgeoobject.h>

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <cmath>

namespace {

// One wheel notch (120 units) zooms by this factor.
constexpr double zoomPerNotch = 1.25;
// Beyond these scales (pixels per metre) the view is of no use.
constexpr double minimumScale = 1e-5;
constexpr double maximumScale = 1e4;

double scaleOf(const QTransform& transform)
{
    return std::hypot(transform.m11(), transform.m12());
}

}  // namespace

MapView::MapView(QWidget* parent) : QWidget(parent), renderer(nullptr)
{
    setMinimumSize(200, 150);
    setFocusPolicy(Qt::WheelFocus);
    worldToScreen = MapRenderer::fitTransform(CVBBox(), QSizeF(size()));
}

void MapView::setModel(const CVModel* model)
{
    renderer = MapRenderer(model);
    fitToModel();
}

void MapView::fitToModel()
{
    worldToScreen = MapRenderer::fitTransform(MapRenderer::modelExtent(renderer.getModel()), QSizeF(size()));
    update();
}

bool MapView::selectAndCentre(unsigned int objectId)
{
    const CVGeoObject* object = renderer.findGeoObject(objectId);
    const CVBBox box = object ? object->getBoundingBox() : CVBBox();
    if (box.isEmpty())
        return false;
    renderer.setSelectedId(objectId);
    const QPointF centre((box.getMin().x + box.getMax().x) / 2.0, (box.getMin().y + box.getMax().y) / 2.0);
    const QPointF offset = QPointF(width() / 2.0, height() / 2.0) - worldToScreen.map(centre);
    worldToScreen *= QTransform::fromTranslate(offset.x(), offset.y());
    update();
    return true;
}

void MapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    renderer.render(painter, worldToScreen, QRectF(rect()));
    MapDecorations::drawScaleBar(painter, worldToScreen, QRectF(rect()));
}

void MapView::resizeEvent(QResizeEvent* event)
{
    // Keep the point in the middle of the view in the middle.
    const QSizeF change = QSizeF(event->size() - event->oldSize()) / 2.0;
    if (event->oldSize().isValid())
        worldToScreen *= QTransform::fromTranslate(change.width(), change.height());
    else
        fitToModel();
}

void MapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging = true;
    lastMousePosition = event->position().toPoint();
    setCursor(Qt::ClosedHandCursor);
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging)
        return;
    const QPoint position = event->position().toPoint();
    const QPoint delta = position - lastMousePosition;
    lastMousePosition = position;
    worldToScreen *= QTransform::fromTranslate(delta.x(), delta.y());
    update();
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging = false;
    unsetCursor();
}

void MapView::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0)
        return;
    const double factor = std::pow(zoomPerNotch, notches);
    const double scale = scaleOf(worldToScreen);
    if (scale * factor < minimumScale || scale * factor > maximumScale)
        return;
    // Zoom about the point under the cursor, which stays where it is.
    const QPointF anchor = event->position();
    worldToScreen *= QTransform::fromTranslate(-anchor.x(), -anchor.y()) * QTransform::fromScale(factor, factor)
                     * QTransform::fromTranslate(anchor.x(), anchor.y());
    update();
    event->accept();
}
