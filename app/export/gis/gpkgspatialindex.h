#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

class GDALDataset;
class OGREnvelope;
class OGRLayer;
struct sqlite3;

// The spatial index of a GeoPackage layer, filled in one go once the layer
// holds all its features. OGR keeps the index up to date through a trigger
// that inserts each new feature's box into SQLite's R-tree, which costs
// more than writing the feature; packing the boxes into the R-tree's tables
// directly costs a small part of that. The index is OGR's own (its tables,
// triggers and registration in gpkg_extensions), only its filling differs,
// so a GIS that edits the layer later keeps it up to date as usual. Where
// the index is not as GDAL 3.6 makes it (no SQLite handle, no insert
// trigger of that name), the trigger fills it as before, only slower.
class GpkgSpatialIndex
{
public:
    // Before the layer's first feature: has OGR make the layer's (empty)
    // index and sets aside the trigger that would fill it row by row.
    bool begin(GDALDataset& dataset, OGRLayer& layer);
    void add(qint64 fid, const OGREnvelope& box);
    // Writes the index of the boxes added and puts the trigger back. False,
    // with the reason as OGR's last error, when SQLite refuses.
    bool finish();

    // An entry of the R-tree: a feature's box in a leaf, a child node's in
    // the nodes above.
    struct Cell
    {
        qint64 id;
        float box[4];  // minX, maxX, minY, maxY
    };

private:
    bool fail() const;
    bool exec(const QByteArray& sql) const;

    sqlite3* db = nullptr;
    QByteArray index;  // the R-tree's name: rtree_<table>_<geometry column>
    QByteArray insertTrigger;  // the statement that makes it again; empty: the trigger fills the index
    std::vector<Cell> cells;
};
