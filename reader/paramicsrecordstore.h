#pragma once

#include "reader/containers/paramicsrecordmap.h"
#include "reader/paramicsarearecords.h"
#include "reader/paramicsbasevehicle.h"
#include "reader/paramicsdevicerecords.h"
#include "reader/paramicsnetworkrecords.h"
#include "reader/paramicstrafficrecords.h"
#include "reader/paramicstransitrecords.h"

#include <QMap>
#include <QString>
#include <QVector>

// Every record the readers create, in the containers each reader fills,
// owned here and deleted with the store. The importer is one; so are the
// test fixtures and the fuzz targets that drive readers and builders on
// their own. Containers that only refer to records of these (the ramps'
// nodes and links) live beside it, not in it.
struct ParamicsRecordStore
{
    ParamicsRecordStore() = default;
    ParamicsRecordStore(const ParamicsRecordStore&) = delete;
    ParamicsRecordStore& operator=(const ParamicsRecordStore&) = delete;
    ~ParamicsRecordStore()
    {
        qDeleteAll(zones);
        qDeleteAll(categories);
        qDeleteAll(centres);
        // In the order they were read: walking them in name order would hop
        // through memory.
        nodes.deleteAll();
        links.deleteAll();
        qDeleteAll(demands);
        qDeleteAll(matrixEntries);
        qDeleteAll(profiles);
        qDeleteAll(baseVehicles);
        for (const QVector<ParamicsVehicle*>& types : std::as_const(vehicles))
            qDeleteAll(types);
        qDeleteAll(busStops);
        qDeleteAll(busRoutes);
        qDeleteAll(detectors);
        qDeleteAll(beacons);
        qDeleteAll(annotations);
    }

    QMap<int, ParamicsZone*> zones;          // by reading index
    QMap<int, int> zoneNumbers;              // reading index -> zone number
    QMap<int, int> zoneRenumbering;          // zone number in the files -> zone number used
    QMap<int, ParamicsCategory*> categories;
    QMap<int, ParamicsCentre*> centres;
    ParamicsNodeMap nodes;
    ParamicsLinkMap links;
    QVector<ParamicsDemand*> demands;
    QMap<int, ParamicsMatrix*> matrixEntries;
    QMap<int, ParamicsProfile*> profiles;
    QMap<QString, ParamicsBaseVehicle*> baseVehicles;
    QMap<int, QVector<ParamicsVehicle*>> vehicles;  // by matrix number
    QMap<int, ParamicsBusStop*> busStops;
    QMap<QString, ParamicsBusRoute*> busRoutes;
    QVector<ParamicsDetector*> detectors;
    QVector<ParamicsBeacon*> beacons;
    QVector<ParamicsAnnotation*> annotations;
};
