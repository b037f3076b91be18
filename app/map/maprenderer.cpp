#include "map/maprenderer.h"

#include <cvcatalog.h>
#include <cvgeoobject.h>
#include <cvmappainter.h>
#include <cvmodel.h>

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QRectF toRect(const CVBBox& box)
{
    return QRectF(QPointF(box.getMin().x, box.getMin().y), QPointF(box.getMax().x, box.getMax().y));
}

// Objects whose extent covers less than this on the screen, in both
// directions, are left out while markers are.
constexpr double smallestDrawnPixels = 1.5;
// Below this zoom (pixels per metre) lines are drawn without smoothing.
constexpr double smoothingZoom = 0.25;
// How far from an object a click still picks it.
constexpr double pickPixels = 4.0;

bool drawsOtherKinds(const CVGeoObject* object)
{
    const QString type = object->getTypeName();
    return type == QLatin1String("CVNode") || type == QLatin1String("CVCentroid");
}

}  // namespace

MapRenderer::MapRenderer(const CVModel* mapModel) : model(mapModel) {}

CVBBox MapRenderer::modelExtent(const CVModel* model)
{
    return MapIndex(model).extent();
}

void MapRenderer::modelChanged()
{
    index.reset();
}

const MapIndex& MapRenderer::mapIndex() const
{
    if (!index)
        index = std::make_shared<const MapIndex>(model);
    return *index;
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
    CVMapPainter map(painter, worldToScreen);
    // Seen from afar, roads are a pixel or two wide and smoothing their edges
    // costs most of a frame for nothing one can see.
    painter.setRenderHint(QPainter::Antialiasing, map.getPixelsPerMetre() >= smoothingZoom);
    map.setSelectedId(selectedId);
    const double pixelsPerMetre = map.getPixelsPerMetre();
    map.setShowLabels(pixelsPerMetre >= labelZoom);
    const bool detailed = pixelsPerMetre >= markerZoom;
    map.setShowMarkers(detailed);
    map.setHiddenTypes(hiddenTypes);
    const double smallest = smallestDrawnPixels / pixelsPerMetre;
    const QRectF visibleWorld = worldToScreen.inverted().mapRect(viewport).adjusted(-1, -1, 1, 1);
    const MapIndex& objects = mapIndex();
    for (int i : objects.query(visibleWorld)) {
        const MapIndex::Entry& entry = objects.entry(i);
        if (!detailed && !entry.extent.isNull() && entry.extent.width() < smallest && entry.extent.height() < smallest
            && entry.object->getId() != selectedId)
            continue;
        // Nodes and centroids also draw their turnings and connections,
        // which the legend switches apart; they leave out what is hidden.
        if (!hiddenTypes.isEmpty() && hiddenTypes.contains(entry.object->getTypeName())
            && !drawsOtherKinds(entry.object))
            continue;
        entry.object->draw(map);
    }
    map.flush();
    markSelection(painter, worldToScreen);
    painter.restore();
}

const CVGeoObject* MapRenderer::objectAt(const QPointF& devicePoint, const QTransform& worldToScreen) const
{
    const QPointF reach(pickPixels, pickPixels);
    const QRectF around = worldToScreen.inverted().mapRect(QRectF(devicePoint - reach, devicePoint + reach));
    const MapIndex& objects = mapIndex();
    const CVGeoObject* best = nullptr;
    double bestArea = 0.0;
    for (int i : objects.query(around)) {
        const MapIndex::Entry& entry = objects.entry(i);
        if (entry.extent.isNull())
            continue;
        const double area = entry.extent.width() * entry.extent.height();
        if (!best || area < bestArea) {
            best = entry.object;
            bestArea = area;
        }
    }
    return best;
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
    render(painter, fitTransform(extent(), QSizeF(size)), QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

const CVGeoObject* MapRenderer::findGeoObject(unsigned int id) const
{
    if (!model || id == 0)
        return nullptr;
    return dynamic_cast<const CVGeoObject*>(model->getCatalog()->find(id));
}
