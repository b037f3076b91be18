#include "map/mapindex.h"

#include <cvbbox.h>
#include <cvgeomodel.h>
#include <cvgeoobject.h>
#include <cvlayer.h>
#include <cvmodel.h>

#include <algorithm>
#include <cmath>

namespace {

// About this many objects share a cell; fewer cells cost time per object
// inside them, more cost memory and time per cell visited.
constexpr double objectsPerCell = 4.0;
constexpr int maximumCellsPerSide = 2048;
// An object over more cells than this is kept apart and checked every time.
constexpr int maximumCellsPerObject = 256;

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
    if (box.isEmpty())
        return QRectF();
    const CVPoint low = box.getMin();
    const CVPoint high = box.getMax();
    if (!std::isfinite(low.x) || !std::isfinite(low.y) || !std::isfinite(high.x) || !std::isfinite(high.y))
        return QRectF();
    // A point still has an extent, so that it meets the areas around it.
    return QRectF(QPointF(low.x, low.y), QPointF(high.x, high.y)).adjusted(-0.5, -0.5, 0.5, 0.5);
}

}  // namespace

MapIndex::MapIndex(const CVModel* model)
{
    for (const CVLayer* layer : layersByLevel(model)) {
        for (const CVObject* object : layer->getObjects()) {
            if (const auto* geo = dynamic_cast<const CVGeoObject*>(object)) {
                const CVBBox box = geo->getBoundingBox();
                const QRectF extent = toRect(box);
                entries.append(Entry{geo, extent});
                if (!extent.isNull()) {
                    modelExtent.extend(box.getMin());
                    modelExtent.extend(box.getMax());
                }
                if (!extent.isNull())
                    bounds = bounds.isNull() ? extent : bounds.united(extent);
            }
        }
    }
    seen.fill(0, entries.size());
    if (bounds.isNull()) {
        for (int i = 0; i < entries.size(); ++i)
            unplaced.append(i);
        return;
    }
    const double cellCount = std::max(1.0, entries.size() / objectsPerCell);
    const double aspect = std::max(bounds.width(), 1.0) / std::max(bounds.height(), 1.0);
    columns = std::clamp(int(std::ceil(std::sqrt(cellCount * aspect))), 1, maximumCellsPerSide);
    rows = std::clamp(int(std::ceil(cellCount / columns)), 1, maximumCellsPerSide);
    cellWidth = std::max(bounds.width() / columns, 1e-6);
    cellHeight = std::max(bounds.height() / rows, 1e-6);
    cells.resize(columns * rows);
    for (int i = 0; i < entries.size(); ++i)
        addToCells(i);
}

int MapIndex::cellOf(double value, double origin, double size, int count) const
{
    const double cell = std::floor((value - origin) / size);
    if (!(cell >= 0.0))
        return 0;
    return cell >= count ? count - 1 : int(cell);
}

void MapIndex::addToCells(int index)
{
    const QRectF& extent = entries.at(index).extent;
    if (extent.isNull()) {
        unplaced.append(index);
        return;
    }
    const int left = cellOf(extent.left(), bounds.left(), cellWidth, columns);
    const int right = cellOf(extent.right(), bounds.left(), cellWidth, columns);
    const int top = cellOf(extent.top(), bounds.top(), cellHeight, rows);
    const int bottom = cellOf(extent.bottom(), bounds.top(), cellHeight, rows);
    if (qint64(right - left + 1) * (bottom - top + 1) > maximumCellsPerObject) {
        unplaced.append(index);
        return;
    }
    for (int row = top; row <= bottom; ++row) {
        for (int column = left; column <= right; ++column)
            cells[row * columns + column].append(index);
    }
}

QVector<int> MapIndex::query(const QRectF& area) const
{
    QVector<int> found;
    if (++queryNumber == 0) {  // wrapped: forget what earlier queries took
        seen.fill(0);
        queryNumber = 1;
    }
    const auto take = [&](int index) {
        if (seen[index] == queryNumber)
            return;
        seen[index] = queryNumber;
        const QRectF& extent = entries.at(index).extent;
        if (extent.isNull() || extent.intersects(area))
            found.append(index);
    };
    if (!cells.isEmpty() && area.intersects(bounds)) {
        const int left = cellOf(area.left(), bounds.left(), cellWidth, columns);
        const int right = cellOf(area.right(), bounds.left(), cellWidth, columns);
        const int top = cellOf(area.top(), bounds.top(), cellHeight, rows);
        const int bottom = cellOf(area.bottom(), bounds.top(), cellHeight, rows);
        // A view of a quarter of the network or more: one pass over every
        // entry in drawing order beats collecting from the cells and
        // sorting what they hold (a 20 km view of a region: 0.3 ms against
        // about 3).
        if (4 * (right - left + 1) * (bottom - top + 1) >= rows * columns) {
            for (int index = 0; index < entries.size(); ++index) {
                const QRectF& extent = entries.at(index).extent;
                if (extent.isNull() || extent.intersects(area))
                    found.append(index);
            }
            return found;
        }
    }
    for (int index : unplaced)
        take(index);
    if (!cells.isEmpty() && area.intersects(bounds)) {
        const int left = cellOf(area.left(), bounds.left(), cellWidth, columns);
        const int right = cellOf(area.right(), bounds.left(), cellWidth, columns);
        const int top = cellOf(area.top(), bounds.top(), cellHeight, rows);
        const int bottom = cellOf(area.bottom(), bounds.top(), cellHeight, rows);
        for (int row = top; row <= bottom; ++row) {
            for (int column = left; column <= right; ++column) {
                for (int index : cells.at(row * columns + column))
                    take(index);
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}
