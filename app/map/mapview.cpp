#include "map/mapview.h"

#include "map/mapdecorations.h"

#include <cvgeoobject.h>

#include <QApplication>
#include <QKeyEvent>
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
    setMouseTracking(true);  // the cursor's coordinates follow it without a button
    worldToScreen = MapRenderer::fitTransform(CVBBox(), QSizeF(size()));
}

void MapView::setModel(const CVModel* model)
{
    renderer = MapRenderer(model);
    frameShown = false;
    fitToModel();
}

void MapView::modelChanged()
{
    renderer.modelChanged();
    frameShown = false;
    fitToModel();
}

void MapView::fitToModel()
{
    worldToScreen = MapRenderer::fitTransform(renderer.extent(), QSizeF(size()));
    update();
}

void MapView::zoomBy(double factor)
{
    zoomAbout(QPointF(width() / 2.0, height() / 2.0), factor);
}

void MapView::zoomIn()
{
    zoomBy(zoomPerNotch);
}

void MapView::zoomOut()
{
    zoomBy(1.0 / zoomPerNotch);
}

void MapView::panBy(double shareRight, double shareDown)
{
    // The map moves the other way: looking right brings what is right into view.
    worldToScreen *= QTransform::fromTranslate(-shareRight * width(), -shareDown * height());
    update();
}

void MapView::zoomAbout(const QPointF& anchor, double factor)
{
    const double scale = scaleOf(worldToScreen);
    if (!(factor > 0.0) || scale * factor < minimumScale || scale * factor > maximumScale)
        return;
    // The point at the anchor stays where it is.
    worldToScreen *= QTransform::fromTranslate(-anchor.x(), -anchor.y()) * QTransform::fromScale(factor, factor)
                     * QTransform::fromTranslate(anchor.x(), anchor.y());
    update();
}

void MapView::keyPressEvent(QKeyEvent* event)
{
    constexpr double panShare = 0.2;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomIn();
        break;
    case Qt::Key_Minus:
        zoomOut();
        break;
    case Qt::Key_Left:
        panBy(-panShare, 0.0);
        break;
    case Qt::Key_Right:
        panBy(panShare, 0.0);
        break;
    case Qt::Key_Up:
        panBy(0.0, -panShare);
        break;
    case Qt::Key_Down:
        panBy(0.0, panShare);
        break;
    case Qt::Key_Home:
        fitToModel();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
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

void MapView::setFrozen(bool freeze)
{
    if (freeze == frozen)
        return;
    // A model not drawn yet is not drawn for this: the frame would show late.
    frozenFrame = freeze && isVisible() && frameShown ? grab() : QPixmap();
    frozen = freeze;
    update();
}

void MapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (frozen) {
        painter.fillRect(rect(), Qt::white);
        painter.drawPixmap(0, 0, frozenFrame);
        painter.fillRect(rect(), QColor(255, 255, 255, 120));
        return;
    }
    frameShown = true;
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
    dragged = false;
    lastMousePosition = pressPosition = event->position().toPoint();
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    emit cursorMoved(worldToScreen.inverted().map(event->position()));
    if (!dragging)
        return;
    const QPoint position = event->position().toPoint();
    if (!dragged && (position - pressPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!dragged)
        setCursor(Qt::ClosedHandCursor);
    dragged = true;
    const QPoint delta = position - lastMousePosition;
    lastMousePosition = position;
    worldToScreen *= QTransform::fromTranslate(delta.x(), delta.y());
    update();
}

void MapView::setHiddenTypes(const QSet<QString>& types)
{
    renderer.setHiddenTypes(types);
    update();
}

void MapView::clearSelection()
{
    renderer.setSelectedId(0);
    update();
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging = false;
    unsetCursor();
    if (dragged)
        return;
    const CVGeoObject* object = renderer.objectAt(event->position(), worldToScreen);
    renderer.setSelectedId(object ? object->getId() : 0);
    update();
    emit objectClicked(object ? object->getId() : 0);
}

void MapView::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0)
        return;
    zoomAbout(event->position(), std::pow(zoomPerNotch, notches));
    event->accept();
}
