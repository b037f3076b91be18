#include "maprenderer.h"

#include <cvcatalog.h>
#include <cvgeomodel.h>
#include <cvgeoobject.h>
#include <cvlayer.h>
#include <cvmappainter.h>
#include <cvmodel.h>

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QVector<const CVLayer*> layersByLevel(const CVModel* model)
{
    QVector<const CVLayer*> layers;
    if (!model || !model->getGeoModel())
        return layers;
    for (const CVLayer* layer : model->getGeoModel()->getLayers())
        layers.append(layer);
    std::stable_sort(layers.begin(), layers.end(),
                     [](const CVLayer* a, const CVLayer* b) { return a->getLevel() < b->getLevel(); });
    return layers;
}

QRectF toRect(const CVBBox& box)
{
    return QRectF(QPointF(box.getMin().x, box.getMin().y), QPointF(box.getMax().x, box.getMax().y));
}

}  // namespace

CVBBox MapRenderer::modelExtent(const CVModel* model)
{
    CVBBox extent;
    for (const CVLayer* layer : layersByLevel(model)) {
        for (const CVObject* object : layer->getObjects()) {
            const auto* geo = dynamic_cast<const CVGeoObject*>(object);
            const CVBBox box = geo ? geo->getBoundingBox() : CVBBox();
            if (!box.isEmpty()) {
                extent.extend(box.getMin());
                extent.extend(box.getMax());
            }
        }
    }
    return extent;
}

QTransform MapRenderer::fitTransform(const CVBBox& box, const QSizeF& viewport, double margin)
{
    CVPoint low(-50.0, -50.0);
    CVPoint high(50.0, 50.0);
    if (!box.isEmpty()) {
        low = box.getMin();
        high = box.getMax();
    }
    // A single point or a straight line still gets a visible neighbourhood.
    const double width = std::max(high.x - low.x, 1.0);
    const double height = std::max(high.y - low.y, 1.0);
    const double usableWidth = std::max(viewport.width() - 2.0 * margin, 1.0);
    const double usableHeight = std::max(viewport.height() - 2.0 * margin, 1.0);
    const double scale = std::min(usableWidth / width, usableHeight / height);
    const double centreX = (low.x + high.x) / 2.0;
    const double centreY = (low.y + high.y) / 2.0;
    QTransform transform;
    transform.translate(viewport.width() / 2.0, viewport.height() / 2.0);
    transform.scale(scale, -scale);  // north is up
    transform.translate(-centreX, -centreY);
    return transform;
}

void MapRenderer::render(QPainter& painter, const QTransform& worldToScreen, const QRectF& viewport) const
{
    painter.save();
    painter.fillRect(viewport, background);
    painter.setRenderHint(QPainter::Antialiasing, true);
    CVMapPainter map(painter, worldToScreen);
    map.setSelectedId(selectedId);
    map.setShowLabels(map.getPixelsPerMetre() >= labelZoom);
    const QRectF visibleWorld = worldToScreen.inverted().mapRect(viewport);
    for (const CVLayer* layer : layersByLevel(model)) {
        for (const CVObject* object : layer->getObjects()) {
            const auto* geo = dynamic_cast<const CVGeoObject*>(object);
            if (!geo)
                continue;
            const CVBBox box = geo->getBoundingBox();
            // Objects that tell no extent are drawn anyway: they know best.
            if (!box.isEmpty() && !toRect(box).adjusted(-1, -1, 1, 1).intersects(visibleWorld))
                continue;
            geo->draw(map);
        }
    }
    markSelection(painter, worldToScreen);
    painter.restore();
}

void MapRenderer::markSelection(QPainter& painter, const QTransform& worldToScreen) const
{
    const CVGeoObject* selected = findGeoObject(selectedId);
    const CVBBox box = selected ? selected->getBoundingBox() : CVBBox();
    if (box.isEmpty())
        return;
    const QRectF onScreen = worldToScreen.mapRect(toRect(box));
    const double radius = std::max(12.0, std::hypot(onScreen.width(), onScreen.height()) / 2.0 + 6.0);
    painter.setPen(QPen(QColor(230, 110, 0), 3.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(onScreen.center(), radius, radius);
}

QImage MapRenderer::renderImage(const QSize& size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    render(painter, fitTransform(modelExtent(model), QSizeF(size)), QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

const CVGeoObject* MapRenderer::findGeoObject(unsigned int id) const
{
    if (!model || id == 0)
        return nullptr;
    return dynamic_cast<const CVGeoObject*>(model->getCatalog()->find(id));
}
