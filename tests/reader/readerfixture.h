#pragma once

#include "testsupport.h"

#include "reader/annotationreader.h"
#include "reader/configurationreader.h"
#include "reader/demandreaders.h"
#include "reader/devicereaders.h"
#include "reader/linksreader.h"
#include "reader/nodereaders.h"
#include "reader/paramicsrecordstore.h"
#include "reader/prioritiesreaders.h"
#include "reader/profilereaders.h"
#include "reader/transitreaders.h"
#include "reader/vehiclesreader.h"
#include "reader/zonereaders.h"

#include <cvlog.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QMetaType>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(CVPoint)

inline char* toString(const CVPoint& p)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3)").arg(p.x).arg(p.y).arg(p.z));
}

// A scratch directory of Paramics files, the records the readers fill and
// the settings they read, and one call per reader class that runs it over
// its file in the directory (optionally writing the file's text first).
struct ReaderFixture : ParamicsRecordStore
{
    NetworkDir dir;
    std::unique_ptr<CVModel> model{CVSystem::getSystem().createModel()};

    CVBBox boundingBox;
    double unitFactor = 1.0;
    bool rightHandDrive = true;
    float toRedTime = 0.0f;
    float stopDelay = 0.0f;

    // The named file of the directory as a token stream; a missing file
    // warns into the model's log.
    ParamicsTokenStream stream(const QString& name) const
    {
        return ParamicsTokenStream(model.get(), dir.path() + QLatin1Char('/') + name);
    }

    template <typename Reader, typename... Records>
    void run(const QString& name, Records&&... records)
    {
        ParamicsTokenStream in = stream(name);
        Reader(in, std::forward<Records>(records)...).read();
    }

    // Each reader, over its file as it is or after writing text into it.
#define READER_CALL(call, file, Reader, ...)                                                                           \
    void call() { run<Reader>(QStringLiteral(file), __VA_ARGS__); }                                                   \
    void call(const QByteArray& text)                                                                                  \
    {                                                                                                                  \
        dir.write(QStringLiteral(file), text);                                                                         \
        call();                                                                                                        \
    }
    READER_CALL(readConfiguration, "configuration", ConfigurationReader, stopDelay, toRedTime)
    READER_CALL(readZones, "zones", ZonesReader, zones, zoneNumbers, zoneRenumbering, unitFactor)
    READER_CALL(readCategories, "categories", CategoriesReader, categories)
    READER_CALL(readCentres, "centres", CentresReader, centres, unitFactor)
    READER_CALL(readNodes, "nodes", NodesReader, nodes, boundingBox, unitFactor, toRedTime)
    READER_CALL(readNextLanes, "nextlanes", NextLanesReader, links)
    READER_CALL(readJunctions, "junctions", JunctionsReader, links)
    READER_CALL(readPriorities, "priorities", QuadstonePrioritiesReader, nodes, links)
    READER_CALL(readPrioritiesSias, "priorities", SiasPrioritiesReader, nodes, links)
    READER_CALL(readProfilesQuadstone, "profile", QuadstoneProfilesReader, profiles)
    READER_CALL(readProfilesSias, "profile", SiasProfilesReader, profiles)
    READER_CALL(readMatrix, "matrix", MatrixReader, matrixEntries, zoneRenumbering)
    READER_CALL(readBusStops, "busstops", BusStopsReader, busStops)
    READER_CALL(readBusRoutes, "busroutes", BusRoutesReader, busRoutes)
    READER_CALL(readVehicles, "vehicles", VehiclesReader, vehicles)
    READER_CALL(readDetectors, "detectors", DetectorsReader, detectors)
    READER_CALL(readBeacons, "beacons", BeaconsReader, beacons)
#undef READER_CALL

    void readAnnotations(const QByteArray& text, bool sias)
    {
        dir.write(QStringLiteral("annotation"), text);
        run<AnnotationReader>(QStringLiteral("annotation"), annotations, unitFactor, sias);
    }

    // The demands files of the given names, in order, by one reader.
    void readDemands(const QStringList& names = {QStringLiteral("demands")})
    {
        DemandsReader reader(demands, zoneRenumbering);
        for (const QString& name : names) {
            ParamicsTokenStream in = stream(name);
            reader.read(in);
        }
    }

    // The links files of the given names, in order, then the turnings.
    void readLinks(const QStringList& names = {QStringLiteral("links")})
    {
        LinksReader reader(nodes, links, categories);
        for (const QString& name : names) {
            ParamicsTokenStream in = stream(name);
            reader.read(in);
        }
        TurningConfiguration(nodes, links, model.get(), rightHandDrive).configure();
    }

    void checkBarredTurnings() { barTurningsBarredInEveryStage(nodes); }

    int warnings() const { return int(model->getLog()->warnings().size()); }
    ParamicsNode* node(const QString& id) const { return nodes.value(id, nullptr); }
    ParamicsLink* link(const QString& name) const { return links.value(name, nullptr); }

    // The destinations of a link's turnings, in turning order.
    QStringList turningOrder(const QString& linkName) const
    {
        QStringList order;
        if (const ParamicsLink* l = link(linkName)) {
            for (const ParamicsTurning& t : l->turnings)
                order << t.destination.toString();
        }
        return order;
    }
};

// A four-arm junction: node 10 at the origin and arms 11 (north), 12
// (east), 13 (south), 14 (west) 100 m away, linked both ways to it.
inline const QByteArray crossroadsNodes = "node 10 at 0 m, 0 m, 0 m junction\n"
                                          "node 11 at 0 m, 100 m, 0 m junction\n"
                                          "node 12 at 100 m, 0 m, 0 m junction\n"
                                          "node 13 at 0 m, -100 m, 0 m junction\n"
                                          "node 14 at -100 m, 0 m, 0 m junction\n";
inline const QByteArray crossroadsLinks = "link 11 10 category 1\nlink 10 11 category 1\n"
                                          "link 12 10 category 1\nlink 10 12 category 1\n"
                                          "link 13 10 category 1\nlink 10 13 category 1\n"
                                          "link 14 10 category 1\nlink 10 14 category 1\n";

// Lane ranges of a turning as "origin from-to/destination from-to".
inline QString laneRanges(const ParamicsTurning& t)
{
    return QStringLiteral("%1-%2/%3-%4")
        .arg(t.originFromLane)
        .arg(t.originToLane)
        .arg(t.destinationFromLane)
        .arg(t.destinationToLane);
}
