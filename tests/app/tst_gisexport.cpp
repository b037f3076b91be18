#include "corviarun.h"
#include "spatialindexcheck.h"
#include "testsupport.h"

#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <memory>

// The GIS export as a GIS user meets it: the real network placed by a CRS
// and an origin, the layers and fields read back with OGR, and the default
// styles that a desktop GIS applies when it opens the files.
class TestGisExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placement_data();
    void placement();
    void areaOfUseWarning_data();
    void areaOfUseWarning();
    void layersAndFields();
    void styles_data();
    void styles();
    void reprojectingKeepsEveryFeature();
    void spatialIndexesHoldWhatSqliteWould();

private:
    QTemporaryDir dir;
    QString model;  // the real network, saved once
    QJsonObject nodeOne;
    QMap<QString, int> objectsByType;
    // corvia open MODEL OPTIONS; the exit code, stdout and stderr merged.
    int open(const QStringList& options, QByteArray* output = nullptr) const
    {
        return runProgram(QStringLiteral(CORVIA_BIN_DIR "/corvia"), QStringList{QStringLiteral("open"), model} + options,
                          output);
    }
};

namespace {

QString sharedNetwork(const QString& name)
{
    return qEnvironmentVariable("SHARED_NETWORKS_DIR", QStringLiteral(SHARED_NETWORKS_DIR)) + QLatin1Char('/') + name;
}

using Dataset = GDALDatasetUniquePtr;

Dataset openVector(const QString& path)
{
    GDALAllRegister();
    return Dataset(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR));
}

// "EASTING,NORTHING,ROTATION" applied to a plane point, as a surveyor
// would: rotate about the plane's origin, then shift.
QPointF placed(double x, double y, double easting, double northing, double degrees)
{
    const double a = degrees * M_PI / 180.0;
    return QPointF(easting + x * std::cos(a) - y * std::sin(a), northing + x * std::sin(a) + y * std::cos(a));
}

QPointF toLonLat(const QPointF& utm19s)
{
    OGRSpatialReference from, to;
    from.importFromEPSG(32719);
    to.importFromEPSG(4326);
    from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    to.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> transform(OGRCreateCoordinateTransformation(&from, &to));
    double x = utm19s.x(), y = utm19s.y();
    if (!transform || !transform->Transform(1, &x, &y))
        return QPointF(qQNaN(), qQNaN());
    return QPointF(x, y);
}

// Field names that an expression or filter of a style names ("field").
QSet<QString> quotedFields(const QString& expression)
{
    static const QRegularExpression field(QStringLiteral("\"([^\"]+)\""));
    QSet<QString> names;
    for (const QRegularExpressionMatch& match : field.globalMatch(expression))
        names.insert(match.captured(1));
    return names;
}

struct StyleCheck
{
    QString problem;  // empty when the style is valid and names only known fields
    int rules = 0;
    QString geometryType;
};

StyleCheck checkStyle(const QString& qml, const QSet<QString>& fields)
{
    StyleCheck check;
    QXmlStreamReader xml(qml);
    bool root = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        QSet<QString> named;
        if (xml.name() == QLatin1String("qgis"))
            root = true;
        else if (xml.name() == QLatin1String("rule")) {
            ++check.rules;
            named = quotedFields(a.value(QLatin1String("filter")).toString());
        } else if (xml.name() == QLatin1String("text-style"))
            named = quotedFields(a.value(QLatin1String("fieldName")).toString());
        else if (xml.name() == QLatin1String("Option") && a.value(QLatin1String("name")) == QLatin1String("expression"))
            named = quotedFields(a.value(QLatin1String("value")).toString());
        else if (xml.name() == QLatin1String("layerGeometryType"))
            check.geometryType = xml.readElementText();
        for (const QString& name : named) {
            if (!fields.contains(name))
                check.problem += QStringLiteral("names the field %1, which the layer lacks; ").arg(name);
        }
    }
    if (xml.hasError())
        check.problem += QStringLiteral("not XML: %1 at line %2").arg(xml.errorString()).arg(xml.lineNumber());
    else if (!root)
        check.problem += QStringLiteral("no <qgis> element");
    else if (check.rules == 0)
        check.problem += QStringLiteral("no rule draws anything");
    return check;
}

QSet<QString> fieldNames(OGRLayer* layer)
{
    QSet<QString> names;
    for (int i = 0; i < layer->GetLayerDefn()->GetFieldCount(); ++i)
        names.insert(QString::fromUtf8(layer->GetLayerDefn()->GetFieldDefn(i)->GetNameRef()));
    return names;
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

void TestGisExport::initTestCase()
{
    const QString network = sharedNetwork(QStringLiteral("escenario2"));
    REQUIRE_SHARED_NETWORK(network);
    QVERIFY(dir.isValid());
    model = dir.filePath(QStringLiteral("escenario2.json"));
    QByteArray output;
    QCOMPARE(corviaImport(network, {QStringLiteral("--quiet")}, model, &output), 0);
    for (const QJsonValue object : readJsonObject(model).value(QStringLiteral("objects")).toArray()) {
        const QJsonObject o = object.toObject();
        objectsByType[o.value(QStringLiteral("type")).toString()]++;
        if (o.value(QStringLiteral("type")) == QLatin1String("CVNode") && o.value(QStringLiteral("name")) == QLatin1String("1"))
            nodeOne = o;
    }
    QVERIFY(!nodeOne.isEmpty());
}

void TestGisExport::placement_data()
{
    QTest::addColumn<QString>("origin");
    QTest::addColumn<QPointF>("shift");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<bool>("keptInModel");  // given once, saved, then used by a plain open
    // The network's plane is a local grid: Santiago's centre lies near
    // 346,500 E 6,298,000 N in UTM 19S.
    QTest::newRow("origin") << "416000,7030000" << QPointF(416000, 7030000) << 0.0 << false;
    QTest::newRow("origin and rotation") << "416000,7030000,1.5" << QPointF(416000, 7030000) << 1.5 << false;
    QTest::newRow("kept in the model") << "416000,7030000,-2" << QPointF(416000, 7030000) << -2.0 << true;
}

// The node lands where the origin puts it, in longitude and latitude that
// OGR computes here on its own.
void TestGisExport::placement()
{
    QFETCH(QString, origin);
    QFETCH(QPointF, shift);
    QFETCH(double, rotation);
    QFETCH(bool, keptInModel);
    const QString path = dir.filePath(QStringLiteral("placed-%1.geojson").arg(QTest::currentDataTag()).replace(' ', '-'));
    const QStringList placement{"--crs", "EPSG:32719", "--origin", origin};
    if (keptInModel) {
        const QString placedModel = dir.filePath(QStringLiteral("placed.json"));
        QCOMPARE(open(QStringList{"--quiet", "--save", placedModel} + placement), 0);
        QCOMPARE(runProgram(QStringLiteral(CORVIA_BIN_DIR "/corvia"), {"open", placedModel, "--quiet", "--gis", path}), 0);
    } else {
        QCOMPARE(open(QStringList{"--quiet", "--gis", path} + placement), 0);
    }

    const QJsonArray plane = nodeOne.value(QStringLiteral("position")).toArray();
    const QPointF expected =
        toLonLat(placed(plane[0].toDouble(), plane[1].toDouble(), shift.x(), shift.y(), rotation));
    Dataset dataset = openVector(path);
    QVERIFY(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    layer->SetAttributeFilter("kind = 'node' AND name = '1'");
    OGRFeatureUniquePtr feature(layer->GetNextFeature());
    QVERIFY(feature);
    const OGRPoint* point = feature->GetGeometryRef()->toPoint();
    QVERIFY2(std::fabs(point->getX() - expected.x()) < 2e-7 && std::fabs(point->getY() - expected.y()) < 2e-7,
             qPrintable(QStringLiteral("node 1 at %1 %2, expected %3 %4")
                            .arg(point->getX(), 0, 'f', 7).arg(point->getY(), 0, 'f', 7)
                            .arg(expected.x(), 0, 'f', 7).arg(expected.y(), 0, 'f', 7)));
    QVERIFY(expected.y() < -33.3 && expected.y() > -33.6);  // Santiago, not the ice
}

void TestGisExport::areaOfUseWarning_data()
{
    QTest::addColumn<QStringList>("placement");
    QTest::addColumn<bool>("warned");
    QTest::newRow("plane read as UTM") << QStringList{"--crs", "EPSG:32719"} << true;
    QTest::newRow("origin given") << QStringList{"--crs", "EPSG:32719", "--origin", "416000,7030000"} << false;
    QTest::newRow("origin on the wrong side of the earth")
        << QStringList{"--crs", "EPSG:32719", "--origin", "416000,17030000"} << true;
    QTest::newRow("a CRS without an area of use") << QStringList{"--crs", "+proj=tmerc +lat_0=-33.45 +lon_0=-70.66 +datum=WGS84 +units=m"}
                                                  << false;
}

void TestGisExport::areaOfUseWarning()
{
    QFETCH(QStringList, placement);
    QFETCH(bool, warned);
    QByteArray output;
    QCOMPARE(open(QStringList{"--gis", dir.filePath("area.gpkg")} + placement, &output), 0);
    QCOMPARE(output.contains("outside the area of use") || output.contains("cannot be placed on earth"), warned);
    if (warned && !placement.contains("--origin"))
        QVERIFY2(output.contains("--origin EASTING,NORTHING"), output.constData());
}

// Every kind the network has is a layer with its fields; kinds it lacks
// give no layer.
void TestGisExport::layersAndFields()
{
    const QString path = dir.filePath(QStringLiteral("fields.gpkg"));
    QCOMPARE(open({"--quiet", "--gis", path, "--crs", "EPSG:32719", "--origin", "416000,7030000"}), 0);
    Dataset dataset = openVector(path);
    QVERIFY(dataset);
    const QMap<QString, QString> expectedFields{
        {"sections", "id:Integer64 name:String externalId:String link:String roadType:String lanes:Integer "
                     "fullLanes:Integer speed:Real laneWidth:Real length:Real fromNode:Integer64 toNode:Integer64"},
        {"nodes", "id:Integer64 name:String externalId:String nodeType:String control:String turnings:Integer "
                  "yellowBox:Integer"},
        {"turnings", "id:Integer64 name:String externalId:String node:Integer64 fromLink:String toLink:String "
                     "movement:String priority:String inFirst:Integer inLast:Integer outFirst:Integer outLast:Integer"},
        {"zones", "id:Integer64 name:String externalId:String zone:Integer connection:Integer"},
        {"centroid_connections", "id:Integer64 name:String externalId:String zone:Integer centroid:Integer64 "
                                 "section:Integer64 link:String direction:String"},
        {"bus_lines", "id:Integer64 name:String externalId:String route:String vehType:String sections:Integer "
                      "stops:Integer length:Real"},
        {"bus_stops", "id:Integer64 name:String externalId:String section:Integer64 link:String position:Real "
                      "length:Real fromLane:Integer toLane:Integer"},
        {"detectors", "id:Integer64 name:String externalId:String section:Integer64 link:String position:Real "
                      "length:Real fromLane:Integer toLane:Integer"},
        {"layer_styles", ""}};
    QStringList layers;
    for (OGRLayer* layer : dataset->GetLayers()) {
        const QString name = QString::fromUtf8(layer->GetName());
        layers << name;
        if (name == QLatin1String("layer_styles"))
            continue;
        QStringList fields;
        for (int i = 0; i < layer->GetLayerDefn()->GetFieldCount(); ++i) {
            const OGRFieldDefn* field = layer->GetLayerDefn()->GetFieldDefn(i);
            fields << QStringLiteral("%1:%2").arg(field->GetNameRef(), OGRFieldDefn::GetFieldTypeName(field->GetType()));
        }
        QCOMPARE(fields.join(' '), expectedFields.value(name));
        QCOMPARE(layer->GetSpatialRef() ? layer->GetSpatialRef()->GetAuthorityCode(nullptr) : "", "32719");
    }
    QCOMPARE(QSet<QString>(layers.begin(), layers.end()), QSet<QString>(expectedFields.keyBegin(), expectedFields.keyEnd()));

    // As many features as the model has objects, with the values a modeller
    // styles by.
    const QMap<QString, QString> typeOf{{"sections", "CVSection"}, {"nodes", "CVNode"}, {"turnings", "CVTurning"},
                                        {"zones", "CVCentroid"}, {"bus_lines", "CVPublicLine"}, {"bus_stops", "CVBusStop"}};
    for (auto it = typeOf.begin(); it != typeOf.end(); ++it)
        QCOMPARE(int(dataset->GetLayerByName(it.key().toUtf8())->GetFeatureCount()), objectsByType.value(it.value()));
    // Spatial indexes where the layer is drawn at every scale.
    for (const char* layer : {"sections", "nodes", "turnings"}) {
        OGRLayer* indexes = dataset->ExecuteSQL(
            QStringLiteral("SELECT count(*) FROM gpkg_extensions WHERE table_name = '%1' AND extension_name = "
                           "'gpkg_rtree_index'").arg(layer).toUtf8().constData(),
            nullptr, nullptr);
        QVERIFY(indexes);
        OGRFeatureUniquePtr row(indexes->GetNextFeature());
        QCOMPARE(row->GetFieldAsInteger(0), qstrcmp(layer, "turnings") == 0 ? 0 : 1);
        dataset->ReleaseResultSet(indexes);
    }
    OGRLayer* nodes = dataset->GetLayerByName("nodes");
    nodes->SetAttributeFilter("nodeType = 'signalised'");
    QVERIFY(nodes->GetFeatureCount() > 20);
    OGRLayer* sections = dataset->GetLayerByName("sections");
    sections->SetAttributeFilter("name = 'N101_N100'");
    OGRFeatureUniquePtr section(sections->GetNextFeature());
    QVERIFY(section);
    QCOMPARE(QString::fromUtf8(section->GetFieldAsString("link")), QStringLiteral("101:100"));
    const double length = section->GetFieldAsDouble("length");
    QCOMPARE(std::round(length * 1000.0) / 1000.0, length);  // millimetres, no float noise
    QVERIFY(std::fabs(length - section->GetGeometryRef()->toLineString()->get_Length()) < 0.01);
}

void TestGisExport::styles_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("GeoPackage") << "styled.gpkg";
    QTest::newRow("shapefiles") << "styled.shp";
    QTest::newRow("FlatGeobuf") << "styled.fgb";
}

// The styles parse and name only fields that the layer they style has.
void TestGisExport::styles()
{
    QFETCH(QString, file);
    const QString path = dir.filePath(file);
    QCOMPARE(open({"--quiet", "--gis", path}), 0);
    Dataset dataset = openVector(path);
    QVERIFY(dataset);
    QMap<QString, QString> styleOf;  // layer -> QML
    if (file.endsWith(QLatin1String(".gpkg"))) {
        OGRLayer* table = dataset->GetLayerByName("layer_styles");
        QVERIFY(table);
        for (auto& row : *table) {
            QCOMPARE(row->GetFieldAsInteger("useAsDefault"), 1);
            QCOMPARE(QString::fromUtf8(row->GetFieldAsString("f_table_schema")), QString());
            const QString layer = QString::fromUtf8(row->GetFieldAsString("f_table_name"));
            OGRLayer* styled = dataset->GetLayerByName(layer.toUtf8());
            QVERIFY2(styled, qPrintable(layer));
            QCOMPARE(QString::fromUtf8(row->GetFieldAsString("f_geometry_column")),
                     QString::fromUtf8(styled->GetGeometryColumn()));
            styleOf[layer] = QString::fromUtf8(row->GetFieldAsString("styleQML"));
        }
    } else {
        for (OGRLayer* layer : dataset->GetLayers()) {
            const QString name = QString::fromUtf8(layer->GetName());
            const QString base = file.endsWith(QLatin1String(".shp")) ? path + QLatin1Char('/') + name
                                                                       : path.chopped(4);
            styleOf[name] = readText(base + QStringLiteral(".qml"));
        }
    }
    QCOMPARE(styleOf.size(), int(dataset->GetLayerCount()) - (file.endsWith(QLatin1String(".gpkg")) ? 1 : 0));
    for (auto it = styleOf.begin(); it != styleOf.end(); ++it) {
        OGRLayer* layer = dataset->GetLayerByName(it.key().toUtf8());
        const StyleCheck check = checkStyle(it.value(), fieldNames(layer));
        QVERIFY2(check.problem.isEmpty(), qPrintable(it.key() + QStringLiteral(": ") + check.problem));
        const OGRwkbGeometryType type = wkbFlatten(layer->GetGeomType());
        const QString expectedType = type == wkbPoint ? "0" : type == wkbLineString ? "1" : "2";
        QCOMPARE(check.geometryType, expectedType);
    }
    // Nodes are told apart by their kind, sections by their road type.
    if (styleOf.contains(QStringLiteral("nodes")))
        QVERIFY(styleOf.value(QStringLiteral("nodes")).contains(QLatin1String("&quot;nodeType&quot; = 'signalised'")));
    if (styleOf.contains(QStringLiteral("sections")))
        QVERIFY(styleOf.value(QStringLiteral("sections")).contains(QLatin1String("&quot;roadType&quot; = 'Arterial'")));
}

// A GIS user lays the network over a web map.
void TestGisExport::reprojectingKeepsEveryFeature()
{
    const QString ogr2ogr = QStandardPaths::findExecutable(QStringLiteral("ogr2ogr"));
    QVERIFY2(!ogr2ogr.isEmpty(), "ogr2ogr (gdal-bin) is not installed");
    const QString path = dir.filePath(QStringLiteral("web-source.gpkg"));
    QCOMPARE(open({"--quiet", "--gis", path, "--crs", "EPSG:32719", "--origin", "416000,7030000"}), 0);
    const QString web = dir.filePath(QStringLiteral("web.gpkg"));
    QByteArray output;
    QCOMPARE(runProgram(ogr2ogr, {"-t_srs", "EPSG:3857", web, path}, &output), 0);
    Dataset before = openVector(path);
    Dataset after = openVector(web);
    QVERIFY(before && after);
    for (OGRLayer* layer : before->GetLayers()) {
        OGRLayer* reprojected = after->GetLayerByName(layer->GetName());
        QVERIFY2(reprojected, layer->GetName());
        QCOMPARE(reprojected->GetFeatureCount(), layer->GetFeatureCount());
    }
}

// The export packs each GeoPackage spatial index itself (see also
// tst_gpkgspatialindex); SQLite's own R-tree is the reference.
void TestGisExport::spatialIndexesHoldWhatSqliteWould()
{
    const QString path = dir.filePath(QStringLiteral("indexed.gpkg"));
    // Far from the plane's origin and turned, so that the boxes need rounding.
    QCOMPARE(open({"--quiet", "--gis", path, "--crs", "EPSG:32719", "--origin", "416000.123,7030000.456,33"}), 0);
    Dataset dataset(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
    QVERIFY(dataset);
    int indexed = 0;
    for (OGRLayer* layer : dataset->GetLayers()) {
        const QString name = QString::fromUtf8(layer->GetName());
        if (name == QLatin1String("layer_styles") || name == QLatin1String("turnings"))
            continue;
        ++indexed;
        int found = 0;
        const QString problem = spatialIndexProblem(*dataset, *layer, &found);
        QVERIFY2(problem.isEmpty(), qPrintable(name + QStringLiteral(": ") + problem));
        QVERIFY(name != QLatin1String("sections") || found > 10);
    }
    QCOMPARE(indexed, 7);  // all but turnings

    // A section drawn later in a GIS goes into the index as OGR's own would.
    OGRLayer* sections = dataset->GetLayerByName("sections");
    OGRFeature added(sections->GetLayerDefn());
    OGRLineString line;
    line.addPoint(1.0, 2.0);
    line.addPoint(3.0, 4.0);
    added.SetGeometry(&line);
    QCOMPARE(sections->CreateFeature(&added), OGRERR_NONE);
    QCOMPARE(firstValue(*dataset, QStringLiteral("SELECT minx || ' ' || maxy FROM rtree_sections_geom WHERE id = %1")
                                      .arg(added.GetFID())),
             QStringLiteral("1.0 4.0"));
}

QTEST_GUILESS_MAIN(TestGisExport)
#include "tst_gisexport.moc"
