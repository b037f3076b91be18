#pragma once

#include <cvbbox.h>

#include <QRectF>
#include <QVector>

#include <cstdint>

class CVGeoObject;
class CVModel;

// The model's map objects with their extents, in drawing order (layers from
// the lowest level up), and a grid over them, so that a frame visits only
// the objects that reach into it and a click finds what lies under it
// without asking every object for its extent. Built once per model change.
class MapIndex
{
public:
    struct Entry
    {
        const CVGeoObject* object;
        QRectF extent;  // null for an object that tells no extent: it is always drawn
    };

    MapIndex() = default;
    explicit MapIndex(const CVModel* model);

    int size() const { return int(entries.size()); }
    // The union of the objects' extents, exactly as they tell them.
    const CVBBox& extent() const { return modelExtent; }
    const Entry& entry(int index) const { return entries.at(index); }

    // Indexes of the entries whose extent meets the area (and those without
    // an extent), in drawing order.
    QVector<int> query(const QRectF& area) const;

private:
    int cellOf(double value, double origin, double size, int count) const;
    void addToCells(int index);

    QVector<Entry> entries;
    QVector<int> unplaced;  // entries without an extent, or too large for the grid
    QRectF bounds;
    CVBBox modelExtent;
    int columns = 0;
    int rows = 0;
    double cellWidth = 1.0;
    double cellHeight = 1.0;
    QVector<QVector<int>> cells;
    mutable QVector<std::uint32_t> seen;  // per entry: the query that last took it
    mutable std::uint32_t queryNumber = 0;
};
