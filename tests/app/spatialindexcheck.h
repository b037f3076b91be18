#pragma once

#include <QString>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

// The first value of the first row of an SQL statement's result.
inline QString firstValue(GDALDataset& dataset, const QString& sql)
{
    OGRLayer* result = dataset.ExecuteSQL(sql.toUtf8().constData(), nullptr, nullptr);
    if (!result)
        return QString();
    OGRFeatureUniquePtr row(result->GetNextFeature());
    const QString value = row ? QString::fromUtf8(row->GetFieldAsString(0)) : QString();
    dataset.ReleaseResultSet(result);
    return value;
}

// What is wrong with a GeoPackage layer's spatial index, measured against
// SQLite's own R-tree filled row by row with the layer's features: empty
// when the index passes SQLite's check, holds the same boxes and finds the
// same features in a window of the layer. The dataset is open for update
// (the reference is a temporary table). found: how many the window holds.
inline QString spatialIndexProblem(GDALDataset& dataset, OGRLayer& layer, int* found = nullptr)
{
    const QString name = QString::fromUtf8(layer.GetName());
    const QString index = QStringLiteral("rtree_%1_%2").arg(name, QString::fromUtf8(layer.GetGeometryColumn()));
    const QString check = firstValue(dataset, QStringLiteral("SELECT rtreecheck('%1')").arg(index));
    if (check != QLatin1String("ok"))
        return QStringLiteral("rtreecheck: %1").arg(check);
    dataset.ExecuteSQL("CREATE VIRTUAL TABLE temp.reference USING rtree(id, minx, maxx, miny, maxy)", nullptr, nullptr);
    dataset.ExecuteSQL(QStringLiteral("INSERT INTO temp.reference SELECT fid, ST_MinX(geom), ST_MaxX(geom), "
                                      "ST_MinY(geom), ST_MaxY(geom) FROM \"%1\"").arg(name).toUtf8().constData(),
                       nullptr, nullptr);
    QString problem;
    const QString count = QString::number(layer.GetFeatureCount());
    const QString entries = firstValue(dataset, QStringLiteral("SELECT count(*) FROM %1").arg(index));
    const QString same = firstValue(dataset, QStringLiteral("SELECT count(*) FROM %1 i JOIN temp.reference r USING (id) "
                                                            "WHERE i.minx = r.minx AND i.maxx = r.maxx AND "
                                                            "i.miny = r.miny AND i.maxy = r.maxy").arg(index));
    if (entries != count || same != count)
        problem = QStringLiteral("%1 features, %2 in the index, %3 with the reference's box").arg(count, entries, same);
    // A search through the tree finds what the reference finds.
    OGREnvelope extent;
    if (layer.GetExtent(&extent, TRUE) != OGRERR_NONE)
        problem += QStringLiteral("no extent");
    const QString window = QStringLiteral(" WHERE maxx >= %1 AND minx <= %2 AND maxy >= %3 AND miny <= %4")
                               .arg(extent.MinX + (extent.MaxX - extent.MinX) / 3, 0, 'f', 3)
                               .arg(extent.MaxX - (extent.MaxX - extent.MinX) / 4, 0, 'f', 3)
                               .arg(extent.MinY + (extent.MaxY - extent.MinY) / 5, 0, 'f', 3)
                               .arg(extent.MaxY - (extent.MaxY - extent.MinY) / 2, 0, 'f', 3);
    const QString inIndex = firstValue(
        dataset, QStringLiteral("SELECT group_concat(id) FROM (SELECT id FROM %1%2 ORDER BY id)").arg(index, window));
    const QString inReference = firstValue(
        dataset, QStringLiteral("SELECT group_concat(id) FROM (SELECT id FROM temp.reference%1 ORDER BY id)").arg(window));
    if (problem.isEmpty() && inIndex != inReference)
        problem = QStringLiteral("the window finds %1 instead of %2").arg(inIndex, inReference);
    if (found)
        *found = inIndex.isEmpty() ? 0 : int(inIndex.count(QLatin1Char(','))) + 1;
    dataset.ExecuteSQL("DROP TABLE temp.reference", nullptr, nullptr);
    return problem;
}
