#pragma once

#include "reader/paramicsarearecords.h"

#include <QMap>
#include <QVector>

#include <algorithm>
#include <cmath>

// Finds the zones whose box holds a point without testing every zone: the
// zones' boxes are filed in a grid of cells, and a point is tested only
// against the zones of its cell. Zones come out in ascending reading index,
// as a walk over every zone would meet them. Boxes that are not finite or
// that span many cells are tested for every point.
class ParamicsZoneGrid
{
public:
    explicit ParamicsZoneGrid(const QMap<int, ParamicsZone*>& zones)
    {
        for (ParamicsZone* zone : zones) {
            if (zone)
                ordered.append(zone);
        }
        bool any = false;
        for (const ParamicsZone* zone : std::as_const(ordered)) {
            if (!finite(zone))
                continue;
            minX = any ? std::min(minX, zone->minX) : zone->minX;
            minY = any ? std::min(minY, zone->minY) : zone->minY;
            maxX = any ? std::max(maxX, zone->maxX) : zone->maxX;
            maxY = any ? std::max(maxY, zone->maxY) : zone->maxY;
            any = true;
        }
        // About two cells a zone, at most 2^20 cells.
        const double side = std::ceil(std::sqrt(2.0 * double(std::max<qsizetype>(1, ordered.size()))));
        columns = rows = int(std::min(side, 1024.0));
        cellWidth = (maxX - minX) / columns;
        cellHeight = (maxY - minY) / rows;
        if (!any || !(cellWidth > 0.0) || !(cellHeight > 0.0) || !std::isfinite(cellWidth) || !std::isfinite(cellHeight))
            columns = rows = 0;
        cells.resize(qsizetype(columns) * rows);
        for (int ordinal = 0; ordinal < ordered.size(); ++ordinal)
            file(ordinal);
    }

    // Calls visit(zone) for every zone whose box holds the point, in
    // ascending reading index.
    template <typename Visit>
    void forEachZoneAt(const CVPoint& p, Visit visit) const
    {
        static const QVector<int> none;
        const QVector<int>& cell = columns > 0 && p.x >= minX && p.x <= maxX && p.y >= minY && p.y <= maxY
                                       ? cells.at(qsizetype(row(p.y)) * columns + column(p.x))
                                       : none;
        // Merge the cell's zones with the zones tested everywhere.
        auto a = cell.cbegin(), b = everywhere.cbegin();
        while (a != cell.cend() || b != everywhere.cend()) {
            const bool fromCell = b == everywhere.cend() || (a != cell.cend() && *a < *b);
            const int ordinal = fromCell ? *a++ : *b++;
            ParamicsZone* zone = ordered.at(ordinal);
            if (zone->contains(p))
                visit(zone);
        }
    }

private:
    static bool finite(const ParamicsZone* z)
    {
        return std::isfinite(z->minX) && std::isfinite(z->minY) && std::isfinite(z->maxX) && std::isfinite(z->maxY);
    }
    // The same monotone formula files boxes and finds points, so a point
    // inside a box always falls in one of the box's cells.
    int column(double x) const { return std::clamp(int(std::floor((x - minX) / cellWidth)), 0, columns - 1); }
    int row(double y) const { return std::clamp(int(std::floor((y - minY) / cellHeight)), 0, rows - 1); }

    void file(int ordinal)
    {
        const ParamicsZone* zone = ordered.at(ordinal);
        if (!(zone->minX <= zone->maxX && zone->minY <= zone->maxY))
            return;  // holds no point
        if (columns == 0 || !finite(zone)) {
            everywhere.append(ordinal);
            return;
        }
        const int c0 = column(zone->minX), c1 = column(zone->maxX);
        const int r0 = row(zone->minY), r1 = row(zone->maxY);
        if (qint64(c1 - c0 + 1) * (r1 - r0 + 1) > 64) {
            everywhere.append(ordinal);
            return;
        }
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c)
                cells[qsizetype(r) * columns + c].append(ordinal);
        }
    }

    QVector<ParamicsZone*> ordered;  // ascending reading index
    QVector<QVector<int>> cells;     // per cell, the ordinals of its zones, ascending
    QVector<int> everywhere;         // ordinals tested for every point, ascending
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
    double cellWidth = 0.0, cellHeight = 0.0;
    int columns = 0, rows = 0;
};
