#pragma once

#include <QString>
#include <QTime>
#include <QVector>

// Records of the bus stops and bus routes files.
//
// Owned by their maps in ParamicsRecordStore; each owns its values and
// texts, and names its link, stops and nodes by text or number, not by
// pointer. Points to host objects: ParamicsBusStop::stop and stopId, the
// host bus stop written back by PublicTransportBuilder (owned by the
// model; null and -1 before).

class CVBusStop;

// A bus stop on a link, some distance from the link's start.
struct ParamicsBusStop
{
    explicit ParamicsBusStop(int stopNumber) : number(stopNumber) {}

    int number;
    QString name;       // as written, quotes included
    QString link;       // "start node:end node"
    double position = 0.0;  // metres from the start of the link
    int stopId = -1;    // id of the host bus stop made for it; -1 while there is none
    CVBusStop* stop = nullptr;  // that stop, for the lines that serve it
};

// A stop of a bus route, by stop number.
struct ParamicsRouteStop
{
    int stop = 0;
    QTime time;  // always null: the routes file gives no dwell time
};

// A named bus route: its path of nodes, its stops and its departures.
struct ParamicsBusRoute
{
    explicit ParamicsBusRoute(const QString& routeName) : name(routeName) {}

    QString name;
    QVector<QTime> releases;            // departure times, in file order
    QVector<ParamicsRouteStop> stops;   // in file order
    QVector<QString> routeNodes;        // node ids, in file order
};
