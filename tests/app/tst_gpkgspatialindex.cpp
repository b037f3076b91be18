#include "export/gis/gpkgspatialindex.h"
#include "spatialindexcheck.h"

#include <QtTest>

#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

// The packed GeoPackage spatial index against SQLite's own R-tree, on
// layers of the sizes that change the tree's shape: a root that is a leaf,
// a full one, one feature more, and trees of two and three levels.
class TestGpkgSpatialIndex : public QObject
{
    Q_OBJECT

private slots:
    void holdsWhatSqliteWould_data();
    void holdsWhatSqliteWould();
};

void TestGpkgSpatialIndex::holdsWhatSqliteWould_data()
{
    QTest::addColumn<int>("features");
    QTest::addColumn<bool>("lines");
    for (int count : {1, 51, 52, 2700, 140000})
        QTest::addRow("%d points", count) << count << false;
    QTest::addRow("3000 lines") << 3000 << true;
}

void TestGpkgSpatialIndex::holdsWhatSqliteWould()
{
    QFETCH(int, features);
    QFETCH(bool, lines);
    GDALAllRegister();
    const QByteArray path = "/vsimem/tst_gpkgspatialindex.gpkg";
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    QVERIFY(driver);
    GDALDatasetUniquePtr dataset(driver->Create(path.constData(), 0, 0, 0, GDT_Unknown, nullptr));
    QVERIFY(dataset);
    char** options = CSLSetNameValue(nullptr, "SPATIAL_INDEX", "NO");
    OGRLayer* layer = dataset->CreateLayer("things", nullptr, lines ? wkbLineString : wkbPoint, options);
    CSLDestroy(options);
    QVERIFY(layer);
    QCOMPARE(dataset->StartTransaction(), OGRERR_NONE);
    GpkgSpatialIndex index;
    QVERIFY(index.begin(*dataset, *layer));
    for (int i = 0; i < features; ++i) {
        // Either side of zero and far from it, where floats cannot hold
        // the coordinates; some features share a place.
        const double x = -50000.123 + 3711.7 * (i % 97) + 0.001 * i;
        const double y = 7030000.456 - 13.3 * (i / 3);
        OGRFeature feature(layer->GetLayerDefn());
        if (lines) {
            OGRLineString line;
            line.addPoint(x, y);
            line.addPoint(x + 5.5 + i % 13, y - 0.7 * (i % 5));
            feature.SetGeometry(&line);
        } else {
            const OGRPoint point(x, y);
            feature.SetGeometry(&point);
        }
        QCOMPARE(layer->CreateFeature(&feature), OGRERR_NONE);
        OGREnvelope box;
        feature.GetGeometryRef()->getEnvelope(&box);
        index.add(feature.GetFID(), box);
    }
    QVERIFY(index.finish());
    QCOMPARE(dataset->CommitTransaction(), OGRERR_NONE);
    const QString problem = spatialIndexProblem(*dataset, *layer);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    dataset.reset();
    VSIUnlink(path.constData());
}

QTEST_GUILESS_MAIN(TestGpkgSpatialIndex)
#include "tst_gpkgspatialindex.moc"
