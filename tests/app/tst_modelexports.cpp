// The SUMO and GIS exporters on a small hand-built model: lane order, the
// lane pairs of turnings, signal programs, the files' structure, and every
// GIS format read back with OGR.

#include "export/gis/gisexporter.h"
#include "export/sumo/sumoexporter.h"
#include "export/sumo/sumomatrices.h"
#include "export/sumo/sumonetwork.h"

#include <cvcentroid.h>
#include <cvobjectconnection.h>
#include <cvodmatrix.h>
#include <cvvehicle.h>

#include <cvcontroljunction.h>
#include <cvcontrolphase.h>
#include <cvcontrolplan.h>
#include <cvcontrolplansignal.h>
#include <cvgeoreference.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvsystem.h>
#include <cvtext.h>
#include <cvturning.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <map>
#include <memory>

using LanePairs = QVector<QPair<int, int>>;
using PhaseSignals = QVector<QVector<int>>;

class TestModelExports : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void lanePairs_data();
    void lanePairs();
    void connectionsUseSumoLaneOrder();
    void networkFiles();
    void signalProgramFollowsSignals();
    void unlistedLinksGoWithTheirApproach_data();
    void unlistedLinksGoWithTheirApproach();
    void gisFormats_data();
    void gisFormats();
    void geoJsonReprojects();
    void gisRefusesUnknownFormatAndCrs();
    void stopsDetectorsAndBuses();
    void odMatrixFiles();
    void odAmounts_data();
    void odAmounts();

private:
    // Centroid 1 sends trips onto A, centroid 2 takes them off B, centroid
    // 3 has no section.
    QVector<CVCentroid*> centroids();
    CVODMatrix* matrix(CVObject* vehicle, const QTime& start, double minutes);
    static QStringList lines(const QString& path);

    template <typename T>
    T* make(const char* type)
    {
        return static_cast<T*>(CVSystem::getSystem().newObject(QString::fromLatin1(type), model.get()));
    }
    CVSection* section(const CVPoint& from, const CVPoint& to, int lanes, CVNode* origin, CVNode* destination)
    {
        auto* s = make<CVSection>("CVSection");
        s->setDataValue(CVSection::nbLanesColumn(), lanes);
        s->setDataValue(CVSection::speedColumn(), 50.0);
        s->setFromSegment(from, to, CVBezierCurve::Segment);
        s->setOrigin(origin);
        s->setDestination(destination);
        return s;
    }
    CVTurning* turning(CVSection* origin, CVSection* destination, int fromA, int toA, int fromB, int toB)
    {
        auto* t = make<CVTurning>("CVTurning");
        t->setNode(junction);
        t->setSections(origin, destination);
        t->setOriginLanes(fromA, toA);
        t->setDestinationLanes(fromB, toB);
        junction->addTurning(t, false, false);
        return t;
    }
    // Element name -> the attribute maps of its elements in a written file.
    static QVector<QMap<QString, QString>> elements(const QString& path, const QString& name);

    // A node at (100, 0): A (3 lanes) arrives from the west, B (2 lanes)
    // leaves to the east, C (1 lane) to the north. A -> B uses A's two
    // right lanes into both of B's; A -> C the left lane; a third turning
    // names a lane A lacks.
    std::unique_ptr<CVModel> model;
    CVNode* junction = nullptr;
    CVSection* a = nullptr;
    CVSection* b = nullptr;
    CVSection* c = nullptr;
    CVTurning* ahead = nullptr;
    CVTurning* left = nullptr;
};

void TestModelExports::init()
{
    model.reset(CVSystem::getSystem().createModel());
    junction = make<CVNode>("CVNode");
    junction->setPosition(CVPoint(100, 0));
    a = section(CVPoint(0, 0), CVPoint(100, 0), 3, nullptr, junction);
    b = section(CVPoint(100, 0), CVPoint(200, 0), 2, junction, nullptr);
    c = section(CVPoint(100, 0), CVPoint(100, 100), 1, junction, nullptr);
    ahead = turning(a, b, 1, 2, 0, 1);
    left = turning(a, c, 0, 0, 0, 0);
    turning(a, c, 3, 3, 0, 0);
}

QVector<QMap<QString, QString>> TestModelExports::elements(const QString& path, const QString& name)
{
    QFile file(path);
    QVector<QMap<QString, QString>> result;
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != name)
            continue;
        QMap<QString, QString> attributes;
        for (const QXmlStreamAttribute& attribute : xml.attributes())
            attributes.insert(attribute.name().toString(), attribute.value().toString());
        result.append(attributes);
    }
    return xml.hasError() ? QVector<QMap<QString, QString>>() : result;
}

void TestModelExports::lanePairs_data()
{
    QTest::addColumn<QVector<int>>("ranges");
    QTest::addColumn<LanePairs>("pairs");
    QTest::newRow("one to one") << QVector<int>{0, 1, 2, 3} << LanePairs{{0, 2}, {1, 3}};
    QTest::newRow("one lane fans out") << QVector<int>{1, 1, 0, 2} << LanePairs{{1, 0}, {1, 1}, {1, 2}};
    QTest::newRow("lanes merge") << QVector<int>{0, 2, 0, 0} << LanePairs{{0, 0}, {1, 0}, {2, 0}};
    QTest::newRow("four into two") << QVector<int>{0, 3, 4, 5} << LanePairs{{0, 4}, {1, 4}, {2, 5}, {3, 5}};
    QTest::newRow("empty range") << QVector<int>{2, 1, 0, 0} << LanePairs{};
}

void TestModelExports::lanePairs()
{
    QFETCH(QVector<int>, ranges);
    QFETCH(LanePairs, pairs);
    QCOMPARE(SumoNetwork::lanePairs(ranges[0], ranges[1], ranges[2], ranges[3]), pairs);
}

void TestModelExports::connectionsUseSumoLaneOrder()
{
    const SumoNetwork network(*model);
    QStringList connections;
    for (const SumoNetwork::Connection& con : network.connections())
        connections << QStringLiteral("%1_%2>%3_%4")
                           .arg(SumoNetwork::edgeId(con.from))
                           .arg(con.fromLane)
                           .arg(SumoNetwork::edgeId(con.to))
                           .arg(con.toLane);
    // Host lanes 1, 2 of A are SUMO lanes 1, 0; host lanes 0, 1 of B are 1, 0.
    const QString ea = SumoNetwork::edgeId(a), eb = SumoNetwork::edgeId(b), ec = SumoNetwork::edgeId(c);
    QCOMPARE(connections, (QStringList{ea + "_1>" + eb + "_1", ea + "_0>" + eb + "_0", ea + "_2>" + ec + "_0"}));
}

void TestModelExports::networkFiles()
{
    // D ends at the junction and no turning leaves it.
    CVSection* d = section(CVPoint(100, -100), CVPoint(100, 0), 1, nullptr, junction);
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("net"));
    QString error;
    QVERIFY2(SumoExporter::write(*model, prefix, &error), qPrintable(error));
    for (const QString& name : SumoExporter::fileNames(prefix))
        QVERIFY2(QFile::exists(name), qPrintable(name));

    const auto nodes = elements(prefix + ".nod.xml", "node");
    QStringList nodeIds;
    for (const auto& node : nodes)
        nodeIds << node["id"];
    // The junction, and a node of its own at each loose section end.
    QCOMPARE(nodeIds, (QStringList{SumoNetwork::nodeId(junction), QStringLiteral("n%1.from").arg(a->getId()),
                                   QStringLiteral("n%1.to").arg(b->getId()), QStringLiteral("n%1.to").arg(c->getId()),
                                   QStringLiteral("n%1.from").arg(d->getId())}));
    QCOMPARE(nodes[0]["type"], QStringLiteral("priority"));

    const auto edges = elements(prefix + ".edg.xml", "edge");
    QCOMPARE(edges.size(), 4);
    QCOMPARE(edges[0]["from"], QStringLiteral("n%1.from").arg(a->getId()));
    QCOMPARE(edges[0]["to"], SumoNetwork::nodeId(junction));
    QCOMPARE(edges[0]["numLanes"], QStringLiteral("3"));
    QCOMPARE(edges[0]["speed"].toDouble(), 13.89);  // 50 km/h
    QCOMPARE(edges[0]["width"].toDouble(), CVSection::DefaultLaneWidth);
    QCOMPARE(edges[0]["shape"], QStringLiteral("0.00,0.00 100.00,0.00"));

    const auto connections = elements(prefix + ".con.xml", "connection");
    QCOMPARE(connections.size(), 4);
    QCOMPARE(connections[3], (QMap<QString, QString>{{"from", SumoNetwork::edgeId(d)}}));
    QVERIFY(elements(prefix + ".tll.xml", "tlLogic").isEmpty());
}

void TestModelExports::signalProgramFollowsSignals()
{
    auto* plan = make<CVControlPlan>("CVControlPlan");
    CVControlJunction* control = plan->createControlJunction(junction->getId());
    control->setControlJunctionType(CVControlJunction::FixedControl);
    auto* aheadSignal = make<CVControlPlanSignal>("CVControlPlanSignal");
    aheadSignal->addTurning(ahead);
    auto* leftSignal = make<CVControlPlanSignal>("CVControlPlanSignal");
    leftSignal->addTurning(left);
    // Added out of order: the program runs them by start time.
    const struct
    {
        float from, duration;
        bool interphase;
        CVControlPlanSignal* signal;
    } phases[] = {{33, 27, false, leftSignal}, {0, 30, false, aheadSignal}, {30, 3, true, nullptr}, {60, 0, false, aheadSignal}};
    for (const auto& p : phases) {
        auto* phase = new CVControlPhase;
        phase->setFrom(p.from);
        phase->setDuration(p.duration);
        phase->setInterphase(p.interphase);
        if (p.signal)
            phase->addSignal(p.signal->getId(), p.signal->getName(), false);
        control->addPhase(phase);
    }

    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("net"));
    QVERIFY(SumoExporter::write(*model, prefix, nullptr));
    QCOMPARE(elements(prefix + ".nod.xml", "node")[0]["type"], QStringLiteral("traffic_light"));
    QStringList states;
    for (const auto& phase : elements(prefix + ".tll.xml", "phase"))
        states << phase["duration"] + " " + phase["state"];
    // Links 0, 1: A -> B; link 2: A -> C. The empty phase is left out.
    QCOMPARE(states, (QStringList{"30.00 GGr", "3.00 yyr", "27.00 rrG"}));
    const auto links = elements(prefix + ".tll.xml", "connection");
    QCOMPARE(links.size(), 3);
    QCOMPARE(links[2]["linkIndex"], QStringLiteral("2"));
    QCOMPARE(links[2]["to"], SumoNetwork::edgeId(c));
    QCOMPARE(links[2]["tl"], SumoNetwork::nodeId(junction));
}

namespace {

// Reads a written GIS file back with OGR: per kind the features' ids and
// values, and the CRS of the first layer.
struct ReadBack
{
    std::map<QString, std::map<qint64, OGRFeatureUniquePtr>> byKind;  // kind -> id -> feature
    QString crs;  // "local", "EPSG:<code>", "" for none
    QStringList layers;
};

QString kindOf(const QString& layerName)
{
    static const QMap<QString, QString> kinds{{"sections", "section"}, {"nodes", "node"}, {"zones", "zone"},
                                              {"centroid_connections", "centroidConnection"}, {"bus_stops", "busStop"},
                                              {"detectors", "detector"}, {"signs", "sign"}, {"labels", "label"}};
    return kinds.value(layerName);
}

ReadBack readBack(const QString& path)
{
    ReadBack result;
    GDALDatasetUniquePtr dataset(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR));
    if (!dataset)
        return result;
    for (OGRLayer* layer : dataset->GetLayers()) {
        result.layers << QString::fromUtf8(layer->GetName());
        if (result.layers.last() == QLatin1String("layer_styles"))
            continue;  // styles, not features
        const OGRSpatialReference* srs = layer->GetSpatialRef();
        if (result.layers.size() == 1 && srs)
            result.crs = srs->IsLocal() ? QStringLiteral("local")
                                        : QStringLiteral("%1:%2").arg(srs->GetAuthorityName(nullptr), srs->GetAuthorityCode(nullptr));
        const int kindField = layer->GetLayerDefn()->GetFieldIndex("kind");
        for (auto& feature : *layer) {
            const QString kind = kindField >= 0 ? QString::fromUtf8(feature->GetFieldAsString(kindField))
                                                : kindOf(QString::fromUtf8(layer->GetName()));
            const int idField = feature->GetFieldIndex("id");
            const qint64 id = idField >= 0 ? feature->GetFieldAsInteger64(idField) : feature->GetFID();
            result.byKind[kind][id] = std::move(feature);
        }
    }
    return result;
}

}  // namespace

// A plane in metres centred in Santiago de Chile, where the real network is.
const char* const santiagoPlane = "+proj=tmerc +lat_0=-33.45 +lon_0=-70.66 +k=1 +x_0=0 +y_0=0 +datum=WGS84 +units=m";

void TestModelExports::gisFormats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("crs");
    QTest::addColumn<QString>("readCrs");
    QTest::addColumn<int>("layers");
    // Layers of the kinds the model has (sections, nodes, stops, labels),
    // and the GeoPackage's table of styles.
    QTest::newRow("GeoPackage, local plane") << "net.gpkg" << "" << "local" << 5;
    QTest::newRow("GeoPackage, UTM 19S") << "net.gpkg" << "EPSG:32719" << "EPSG:32719" << 5;
    QTest::newRow("FlatGeobuf, local plane") << "net.fgb" << "" << "local" << 1;
    QTest::newRow("FlatGeobuf, UTM 19S") << "net.fgb" << "EPSG:32719" << "EPSG:32719" << 1;
    QTest::newRow("shapefiles, local plane") << "net.shp" << "" << "local" << 4;
    // GeoJSON has no CRS member: readers take it for WGS 84, which is why
    // plane metres come with a warning.
    QTest::newRow("GeoJSON, plane metres") << "net.geojson" << "" << "EPSG:4326" << 1;
    QTest::newRow("GeoJSON, local plane to WGS 84") << "net.geojson" << santiagoPlane << "EPSG:4326" << 1;
}

void TestModelExports::gisFormats()
{
    QFETCH(QString, file);
    QFETCH(QString, crs);
    QFETCH(QString, readCrs);
    QFETCH(int, layers);
    auto* stop = make<CVBusStop>("CVBusStop");
    b->addTopObject(stop);
    stop->setPosition(40.0004);
    stop->setLanes(1, 1);
    auto* label = make<CVText>("CVText");
    label->setPosition(CVPoint(5.12345, 6));
    label->setText(QStringLiteral("Mill Lane"));
    junction->setYellowBox(true);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out/") + file);
    QStringList warnings;
    QString error;
    CVGeoReference where;
    where.crs = crs;
    QVERIFY2(GisExporter::write(*model, path, where, &warnings, &error), qPrintable(error));
    // Plane metres in GeoJSON need a word to the user, and so do metres
    // near UTM's origin, which is nowhere near the zone's area of use.
    QCOMPARE(warnings.size(), (crs.isEmpty() && file.endsWith(".geojson")) || crs == QLatin1String("EPSG:32719") ? 1 : 0);

    ReadBack read = readBack(path);
    QCOMPARE(read.layers.size(), layers);
    QCOMPARE(read.crs, readCrs);
    QMap<QString, int> counts;
    for (const auto& [kind, features] : read.byKind) {
        if (!features.empty())
            counts[kind] = int(features.size());
    }
    QCOMPARE(counts, (QMap<QString, int>{{"section", 3}, {"node", 1}, {"busStop", 1}, {"label", 1}}));

    const OGRFeature& sectionC = *read.byKind["section"].at(c->getId());
    QCOMPARE(sectionC.GetFieldAsInteger("lanes"), 1);
    QCOMPARE(sectionC.GetFieldAsDouble("speed"), 50.0);
    QCOMPARE(sectionC.GetFieldAsInteger64("fromNode"), GIntBig(junction->getId()));
    QVERIFY(!sectionC.IsFieldSetAndNotNull(sectionC.GetFieldIndex("toNode")));  // C ends at no node
    QCOMPARE(read.byKind["node"].at(junction->getId())->GetFieldAsInteger("yellowBox"), 1);
    QCOMPARE(QString::fromUtf8(read.byKind["label"].at(label->getId())->GetFieldAsString("text")), QStringLiteral("Mill Lane"));

    // Positions: a stop stands at its place along its section; plane
    // coordinates are kept to the millimetre.
    const auto* stopPoint = read.byKind["busStop"].at(stop->getId())->GetGeometryRef()->toPoint();
    const auto* labelPoint = read.byKind["label"].at(label->getId())->GetGeometryRef()->toPoint();
    if (!crs.isEmpty() && file.endsWith(QLatin1String(".geojson"))) {
        // Near the plane's centre, the stop 135 m east of the label.
        QVERIFY(qAbs(labelPoint->getX() + 70.66) < 0.001 && qAbs(labelPoint->getY() + 33.45) < 0.001);
        QVERIFY(stopPoint->getX() - labelPoint->getX() > 0.001);
        QCOMPARE(qRound64(labelPoint->getY() * 1e7) / 1e7, labelPoint->getY());
    } else {
        QCOMPARE(stopPoint->getX(), 140.0);
        QCOMPARE(labelPoint->getX(), 5.123);
    }
}

// Which turnings' signals the phases list; phase 1 is an interphase.

void TestModelExports::unlistedLinksGoWithTheirApproach_data()
{
    // Turnings: 0 = A -> B (links 0, 1), 1 = A -> C (link 2), 2 = D -> B (link 3).
    QTest::addColumn<PhaseSignals>("phases");
    QTest::addColumn<QStringList>("states");
    QTest::newRow("a turn the plan leaves out gives way while its approach has green")
        << PhaseSignals{{0}, {}, {2}} << QStringList{"GGgr", "yyyr", "rrrG"};
    QTest::newRow("an approach that no phase serves gives way through the cycle")
        << PhaseSignals{{0, 1}, {}} << QStringList{"GGGg", "yyyg"};
}

void TestModelExports::unlistedLinksGoWithTheirApproach()
{
    QFETCH(PhaseSignals, phases);
    QFETCH(QStringList, states);
    CVSection* d = section(CVPoint(100, -100), CVPoint(100, 0), 1, nullptr, junction);
    const QVector<CVTurning*> turnings{ahead, left, turning(d, b, 0, 0, 1, 1)};
    auto* plan = make<CVControlPlan>("CVControlPlan");
    CVControlJunction* control = plan->createControlJunction(junction->getId());
    control->setControlJunctionType(CVControlJunction::FixedControl);
    for (int p = 0; p < phases.size(); ++p) {
        auto* phase = new CVControlPhase;
        phase->setFrom(float(p * 30));
        phase->setDuration(p == 1 ? 3 : 27);
        phase->setInterphase(p == 1);
        for (int t : phases[p]) {
            auto* signal = make<CVControlPlanSignal>("CVControlPlanSignal");
            signal->addTurning(turnings[t]);
            phase->addSignal(signal->getId(), signal->getName(), false);
        }
        control->addPhase(phase);
    }
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("net"));
    QVERIFY(SumoExporter::write(*model, prefix, nullptr));
    QStringList written;
    for (const auto& phase : elements(prefix + ".tll.xml", "phase"))
        written << phase["state"];
    QCOMPARE(written, states);
}

// A GIS user lays the GeoJSON over a web map: reprojecting it keeps every
// feature.
void TestModelExports::geoJsonReprojects()
{
    const QString ogr2ogr = QStandardPaths::findExecutable(QStringLiteral("ogr2ogr"));
    QVERIFY2(!ogr2ogr.isEmpty(), "ogr2ogr (gdal-bin) is not installed");
    QTemporaryDir dir;
    CVGeoReference where;
    where.crs = QString::fromLatin1(santiagoPlane);
    QVERIFY(GisExporter::write(*model, dir.filePath("net.geojson"), where, nullptr, nullptr));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ogr2ogr, {"-t_srs", "EPSG:3857", dir.filePath("web.geojson"), dir.filePath("net.geojson")});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAll().constData());
    int features = 0;
    for (const auto& kind : readBack(dir.filePath("web.geojson")).byKind)
        features += int(kind.second.size());
    QCOMPARE(features, 4);  // three sections and the node
}

void TestModelExports::gisRefusesUnknownFormatAndCrs()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!GisExporter::write(*model, dir.filePath("net.kml"), std::nullopt, nullptr, &error));
    QVERIFY(error.contains(".gpkg"));
    QVERIFY(!GisExporter::checkCrs(QStringLiteral("EPSG:999999999"), &error));
    QVERIFY(!GisExporter::checkCrs(QString(), &error));
    QVERIFY(GisExporter::checkCrs(QStringLiteral("+proj=utm +zone=19 +south +datum=WGS84"), &error));
}

void TestModelExports::stopsDetectorsAndBuses()
{
    auto* stop = make<CVBusStop>("CVBusStop");
    b->addTopObject(stop);
    stop->setPosition(40);
    stop->setLength(15);
    stop->setLanes(0, 1);
    auto* detector = make<CVDetector>("CVDetector");
    a->addTopObject(detector);
    detector->setPosition(20);
    detector->setLanes(0, 1);
    // A line over A and B, stopping at the stop, leaving at 07:00:10 and
    // 07:00:00 (out of order), and a stop on C that the line does not pass.
    auto* offRoute = make<CVBusStop>("CVBusStop");
    c->addTopObject(offRoute);
    auto* line = make<CVPublicLine>("CVPublicLine");
    line->setName(QStringLiteral("401"));
    line->addSection(a, -1);
    line->addSection(b, -1);
    line->addStop(offRoute);
    line->addStop(stop);
    auto* table = make<CVPublicLineTimeTable>("CVPublicLineTimeTable");
    auto* schedule = new CVPublicLineTimeTableSchedule;
    for (double seconds : {25210.0, 25200.0}) {
        CVPublicLineTimeTableDeparture departure;
        departure.setMeanTime(CVTimeDuration(seconds));
        schedule->addDepartureTime(departure);
    }
    schedule->addStop(stop);
    schedule->setStopTime(stop, CVPublicLineTimeTableScheduleStopTime(30, 0, 0));
    table->addSchedule(schedule);
    line->addTimeTable(table);

    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("net"));
    QVERIFY(SumoExporter::write(*model, prefix, nullptr));
    const QString ea = SumoNetwork::edgeId(a), eb = SumoNetwork::edgeId(b);
    // The stop stands on the right lane of its range: host lane 1 of B.
    const auto stops = elements(prefix + ".add.xml", "busStop");
    QCOMPARE(stops.size(), 2);
    QCOMPARE(stops[0]["id"], QStringLiteral("bs%1").arg(stop->getId()));
    QCOMPARE(stops[0]["lane"], eb + "_0");
    QCOMPARE(stops[0]["startPos"] + "-" + stops[0]["endPos"], QStringLiteral("40.00-55.00"));
    QStringList loops;
    for (const auto& loop : elements(prefix + ".add.xml", "inductionLoop"))
        loops << loop["lane"];
    QCOMPARE(loops, (QStringList{ea + "_2", ea + "_1"}));

    QStringList buses;
    for (const auto& vehicle : elements(prefix + ".rou.xml", "vehicle"))
        buses << vehicle["depart"];
    QCOMPARE(buses, (QStringList{"25200.00", "25210.00"}));
    QCOMPARE(elements(prefix + ".rou.xml", "route")[0]["edges"], ea + " " + eb);
    const auto busStops = elements(prefix + ".rou.xml", "stop");
    QCOMPARE(busStops.size(), 2);  // one per bus, the stop off the route left out
    QCOMPARE(busStops[0]["busStop"], QStringLiteral("bs%1").arg(stop->getId()));
    QCOMPARE(busStops[0]["duration"], QStringLiteral("30.00"));
}

QVector<CVCentroid*> TestModelExports::centroids()
{
    QVector<CVCentroid*> result;
    for (auto [section, type] : {std::pair<CVSection*, int>{a, CVCentroid::eFrom}, {b, CVCentroid::eTo}, {nullptr, 0}}) {
        auto* centroid = make<CVCentroid>("CVCentroid");
        if (section) {
            auto* connection = make<CVObjectConnection>("CVCenConnection");
            connection->setConnectionObject(section);
            connection->setConnectionType(type);
            centroid->addConnection(connection);
        }
        result.append(centroid);
    }
    return result;
}

CVODMatrix* TestModelExports::matrix(CVObject* vehicle, const QTime& start, double minutes)
{
    auto* m = make<CVODMatrix>("CVODMatrix");
    m->setVehicle(vehicle);
    m->setInterval(start, CVTimeDuration(minutes * 60.0));
    return m;
}

QStringList TestModelExports::lines(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts) : QStringList();
}

// The OD matrices as od2trips reads them: one file per matrix, the compact
// text form on whole minutes with the vehicle type as a number that the
// routes file resolves to the type, the XML form otherwise; pairs that no
// route can serve are left out.
void TestModelExports::odMatrixFiles()
{
    const QVector<CVCentroid*> zone = centroids();
    auto* car = make<CVVehicle>("CVVehicle");
    car->setName(QStringLiteral("sedan"));  // a new model has a "car" of its own
    // A vehicle type whose SUMO id is the car's object id: the car's number
    // must not be that id, or its distribution would clash with the type.
    auto* clash = make<CVVehicle>("CVVehicle");
    clash->setName(QString::number(car->getId()));

    CVODMatrix* morning = matrix(car, QTime(7, 0), 15);
    morning->setTrips(zone[0], zone[1], 4.5);
    morning->setTrips(zone[0], zone[2], 2.0);  // no section reaches zone 3
    morning->setTrips(zone[1], zone[1], 1.0);  // no section leaves zone 2
    CVODMatrix* night = matrix(nullptr, QTime(23, 45), 30);  // past midnight, default type
    night->setTrips(zone[0], zone[1], 3.0);
    matrix(car, QTime(8, 0), 15);  // no pairs: no file
    CVODMatrix* offMinute = matrix(car, QTime(7, 0, 30), 15);
    offMinute->setTrips(zone[0], zone[1], 1.25);

    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("net"));
    QString error;
    QVERIFY2(SumoExporter::write(*model, prefix, &error), qPrintable(error));

    const auto distributions = elements(prefix + ".rou.xml", "vTypeDistribution");
    QCOMPARE(distributions.size(), 1);
    QCOMPARE(distributions[0]["vTypes"], QStringLiteral("sedan"));
    const QString carNumber = distributions[0]["id"];
    QVERIFY(carNumber != QString::number(car->getId()));
    QVERIFY(carNumber.toLongLong() > 0);

    const QString pair = QStringLiteral("c%1 c%2 ").arg(zone[0]->getId()).arg(zone[1]->getId());
    QCOMPARE(lines(prefix + ".od1.txt"), (QStringList{"$OM;D2", "* vehicle type", carNumber, "* from to (hours.minutes)",
                                                      "7.00 7.15", "* factor", "1.00", pair + "4.5"}));
    QCOMPARE(lines(prefix + ".od2.txt"),
             (QStringList{"$O;D2", "* from to (hours.minutes)", "23.45 24.15", "* factor", "1.00", pair + "3"}));
    const auto slices = elements(prefix + ".od3.xml", "timeSlice");
    QCOMPARE(slices.size(), 1);
    QCOMPARE(slices[0]["startTime"] + " " + slices[0]["duration"], QStringLiteral("25230000 900000"));
    QCOMPARE(elements(prefix + ".od3.xml", "actorConfig")[0]["id"], QStringLiteral("sedan"));
    QCOMPARE(elements(prefix + ".od3.xml", "odPair").size(), 1);
    QVERIFY(!QFileInfo::exists(prefix + ".od4.txt") && !QFileInfo::exists(prefix + ".od4.xml"));

    const auto options = [&](const char* name) {
        const auto found = elements(prefix + ".od2trips.cfg", QLatin1String(name));
        return found.isEmpty() ? QString() : found[0]["value"];
    };
    QCOMPARE(options("od-matrix-files"), QStringLiteral("net.od1.txt,net.od2.txt"));
    QCOMPARE(options("od-amitran-files"), QStringLiteral("net.od3.xml"));
}

// Trips with ten significant digits, as od2trips reads them, whether the
// value is a whole number of thousandths or not.
void TestModelExports::odAmounts_data()
{
    QTest::addColumn<double>("trips");
    QTest::addColumn<QString>("written");
    QTest::newRow("whole") << 2.0 << "2";
    QTest::newRow("thousandths") << 1.632 << "1.632";
    QTest::newRow("trailing zero dropped") << 0.27 << "0.27";
    QTest::newRow("sum off by an ulp") << 0.1 + 0.2 << "0.3";
    QTest::newRow("a third") << 1.0 / 3.0 << "0.3333333333";
    QTest::newRow("large with thousandths") << 1234567.125 << "1234567.125";
    QTest::newRow("past ten digits") << 123456789.125 << "123456789.1";
    QTest::newRow("tiny") << 1e-5 << "1e-05";
    QTest::newRow("thousandth") << 0.001 << "0.001";
}

void TestModelExports::odAmounts()
{
    QFETCH(double, trips);
    QFETCH(QString, written);
    const QVector<CVCentroid*> zone = centroids();
    matrix(nullptr, QTime(7, 0), 60)->setTrips(zone[0], zone[1], trips);
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("net"));
    QVERIFY(SumoExporter::write(*model, prefix, nullptr));
    const QStringList fields = lines(prefix + ".od1.txt").last().split(' ');
    QCOMPARE(fields.size(), 3);
    QCOMPARE(fields[2], written);
    QCOMPARE(fields[2], QString::fromLatin1(QByteArray::number(trips, 'g', 10)));
}

QTEST_GUILESS_MAIN(TestModelExports)
#include "tst_modelexports.moc"
