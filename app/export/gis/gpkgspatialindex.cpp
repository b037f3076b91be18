#include "export/gis/gpkgspatialindex.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_core.h>
#include <ogrsf_frmts.h>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Cell = GpkgSpatialIndex::Cell;

// SQLite's R-tree keeps a box as four big-endian 32-bit floats after the
// 64-bit id; a node is a 16-bit depth (read on the root only), a 16-bit
// cell count and its cells.
constexpr size_t CellBytes = 8 + 4 * 4;
constexpr size_t MaxCells = 51;  // SQLite's limit, whatever the node size

void putBigEndian(unsigned char* out, quint64 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        out[i] = static_cast<unsigned char>(value & 0xff);
        value >>= 8;
    }
}

QByteArray nodeData(const std::vector<Cell>& cells, int depth, int nodeBytes)
{
    QByteArray data(nodeBytes, '\0');
    auto* out = reinterpret_cast<unsigned char*>(data.data());
    putBigEndian(out, quint64(depth), 2);
    putBigEndian(out + 2, quint64(cells.size()), 2);
    out += 4;
    for (const Cell& cell : cells) {
        putBigEndian(out, quint64(cell.id), 8);
        for (int i = 0; i < 4; ++i) {
            quint32 bits = 0;
            std::memcpy(&bits, &cell.box[i], sizeof bits);
            putBigEndian(out + 8 + 4 * i, bits, 4);
        }
        out += CellBytes;
    }
    return data;
}

Cell enclosing(qint64 node, const std::vector<Cell>& cells)
{
    Cell box{node, {cells[0].box[0], cells[0].box[1], cells[0].box[2], cells[0].box[3]}};
    for (const Cell& cell : cells) {
        box.box[0] = std::min(box.box[0], cell.box[0]);
        box.box[1] = std::max(box.box[1], cell.box[1]);
        box.box[2] = std::min(box.box[2], cell.box[2]);
        box.box[3] = std::max(box.box[3], cell.box[3]);
    }
    return box;
}

// A prepared statement run once per row.
class Statement
{
public:
    Statement(sqlite3* db, const QByteArray& sql) { sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr); }
    ~Statement() { sqlite3_finalize(statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool run(qint64 first, qint64 second)
    {
        sqlite3_bind_int64(statement, 1, first);
        sqlite3_bind_int64(statement, 2, second);
        return step();
    }
    bool run(qint64 first, const QByteArray& blob)
    {
        sqlite3_bind_int64(statement, 1, first);
        sqlite3_bind_blob(statement, 2, blob.constData(), int(blob.size()), SQLITE_STATIC);
        return step();
    }
    sqlite3_stmt* get() const { return statement; }

private:
    bool step()
    {
        const bool done = statement && sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
        return done;
    }

    sqlite3_stmt* statement = nullptr;
};

// A coordinate as the index stores it: the nearest 32-bit float on the
// outer side, so that the box still holds the feature, rounded as SQLite
// rounds a box it is given.
float below(double value)
{
    float f = float(value);
    if (f > value)
        f = float(value * (value < 0 ? 1.0 + 1.0 / 8388608.0 : 1.0 - 1.0 / 8388608.0));
    return f;
}

float above(double value)
{
    float f = float(value);
    if (f < value)
        f = float(value * (value < 0 ? 1.0 - 1.0 / 8388608.0 : 1.0 + 1.0 / 8388608.0));
    return f;
}

// The cells grouped into nodes of at most capacity cells, neighbours
// together: sort-tile-recursive packing, the cells in vertical slices by
// the middle of their boxes, each slice cut into runs along y.
std::vector<std::vector<Cell>> pack(std::vector<Cell> cells, size_t capacity)
{
    const auto middle = [](const Cell& cell, int axis) { return double(cell.box[2 * axis]) + cell.box[2 * axis + 1]; };
    const auto along = [&middle](int axis) {
        return [axis, &middle](const Cell& a, const Cell& b) {
            const double ma = middle(a, axis), mb = middle(b, axis);
            return ma < mb || (ma == mb && a.id < b.id);
        };
    };
    std::sort(cells.begin(), cells.end(), along(0));
    const size_t nodes = (cells.size() + capacity - 1) / capacity;
    const auto slices = size_t(std::ceil(std::sqrt(double(nodes))));
    const size_t perSlice = (nodes + slices - 1) / slices * capacity;
    std::vector<std::vector<Cell>> groups;
    for (size_t start = 0; start < cells.size(); start += perSlice) {
        const size_t end = std::min(start + perSlice, cells.size());
        std::sort(cells.begin() + qsizetype(start), cells.begin() + qsizetype(end), along(1));
        for (size_t first = start; first < end; first += capacity) {
            const size_t last = std::min(first + capacity, end);
            groups.emplace_back(cells.begin() + qsizetype(first), cells.begin() + qsizetype(last));
        }
    }
    return groups;
}

}  // namespace

bool GpkgSpatialIndex::begin(GDALDataset& dataset, OGRLayer& layer)
{
    char* sql = sqlite3_mprintf("SELECT CreateSpatialIndex(%Q, %Q)", layer.GetName(), layer.GetGeometryColumn());
    OGRLayer* result = dataset.ExecuteSQL(sql, nullptr, nullptr);
    sqlite3_free(sql);
    if (result)
        dataset.ReleaseResultSet(result);
    if (CPLGetLastErrorType() >= CE_Failure)
        return false;
    // Where the index is not as this GDAL makes it, the trigger fills it.
    db = static_cast<sqlite3*>(dataset.GetInternalHandle("SQLITE_HANDLE"));
    if (!db)
        return true;
    index = QByteArray("rtree_") + layer.GetName() + '_' + layer.GetGeometryColumn();
    sqlite3_stmt* statement = nullptr;
    sql = sqlite3_mprintf("SELECT sql FROM sqlite_master WHERE type = 'trigger' AND name = '%q_insert'",
                          index.constData());
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    sqlite3_free(sql);
    if (statement && sqlite3_step(statement) == SQLITE_ROW)
        insertTrigger = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return insertTrigger.isEmpty() || exec("DROP TRIGGER \"" + index + "_insert\"");
}

void GpkgSpatialIndex::add(qint64 fid, const OGREnvelope& box)
{
    if (!insertTrigger.isEmpty())
        cells.push_back({fid, {below(box.MinX), above(box.MaxX), below(box.MinY), above(box.MaxY)}});
}

bool GpkgSpatialIndex::finish()
{
    if (insertTrigger.isEmpty())
        return true;  // filled by the trigger
    // SQLite made the empty root (node 1) in the size it reads nodes in.
    int nodeBytes = 0;
    {
        const Statement size(db, "SELECT length(data) FROM \"" + index + "_node\" WHERE nodeno = 1");
        if (size.get() && sqlite3_step(size.get()) == SQLITE_ROW)
            nodeBytes = sqlite3_column_int(size.get(), 0);
    }
    const size_t capacity = std::min(MaxCells, (size_t(std::max(nodeBytes, 4)) - 4) / CellBytes);
    if (capacity < 2 || !exec("DELETE FROM \"" + index + "_node\""))
        return fail();
    Statement node(db, "INSERT INTO \"" + index + "_node\" (nodeno, data) VALUES (?, ?)");
    Statement rowid(db, "INSERT INTO \"" + index + "_rowid\" (rowid, nodeno) VALUES (?, ?)");
    Statement parent(db, "INSERT INTO \"" + index + "_parent\" (nodeno, parentnode) VALUES (?, ?)");
    // Level by level from the leaves up; the root is node 1, the others are
    // numbered from 2 on. Each cell's node is recorded: a feature's in the
    // rowid table, a child node's in the parent table.
    std::vector<Cell> level = std::move(cells);
    cells.clear();
    qint64 next = 2;
    for (int depth = 0;; ++depth) {
        const std::vector<std::vector<Cell>> nodes =
            level.empty() ? std::vector<std::vector<Cell>>(1) : pack(std::move(level), capacity);
        const bool root = nodes.size() == 1;
        std::vector<Cell> parents;
        for (const std::vector<Cell>& members : nodes) {
            const qint64 number = root ? 1 : next++;
            if (!node.run(number, nodeData(members, root ? depth : 0, nodeBytes)))
                return fail();
            for (const Cell& cell : members) {
                if (!(depth == 0 ? rowid.run(cell.id, number) : parent.run(cell.id, number)))
                    return fail();
            }
            if (!root)
                parents.push_back(enclosing(number, members));
        }
        if (root)
            break;
        level = std::move(parents);
    }
    return exec(insertTrigger);
}

bool GpkgSpatialIndex::exec(const QByteArray& sql) const
{
    return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK || fail();
}

bool GpkgSpatialIndex::fail() const
{
    CPLError(CE_Failure, CPLE_AppDefined, "cannot write the spatial index %s: %s", index.constData(),
             sqlite3_errmsg(db));
    return false;
}
