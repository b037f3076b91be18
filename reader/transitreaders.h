#pragma once

#include "reader/paramicstokenstream.h"
#include "reader/paramicstransitrecords.h"

#include <QMap>

#include <limits>

// Readers of the bus stops and bus routes files.

// A stop is a line "number link position unit name": any number outside
// such a line begins a stop, except the values after "length" and "zone".
// The name is kept as written, quotes included; a name split over several
// words is joined without spaces.
class BusStopsReader
{
public:
    BusStopsReader(ParamicsTokenStream& stream, QMap<int, ParamicsBusStop*>& busStops)
        : in(stream), busStops(busStops)
    {
    }
    ~BusStopsReader() { delete current; }
    BusStopsReader(const BusStopsReader&) = delete;
    BusStopsReader& operator=(const BusStopsReader&) = delete;

    void read();

private:
    bool readStop();
    bool takeWord();
    void fileCurrent();

    ParamicsTokenStream& in;
    QMap<int, ParamicsBusStop*>& busStops;
    ParamicsBusStop* current = nullptr;
};

// "number NAME" begins a route; a number after "number" is no route name.
// With "count N", beginning route N + 1 ends the file and that route is not
// kept; without "count" there is no limit. Release times are read from fixed
// character positions of the second word after "release". After a value is
// taken, the loop looks at the value token again. Lines before the first
// route have no route to apply to and are ignored.
class BusRoutesReader
{
public:
    BusRoutesReader(ParamicsTokenStream& stream, QMap<QString, ParamicsBusRoute*>& busRoutes)
        : in(stream), busRoutes(busRoutes)
    {
    }
    ~BusRoutesReader() { delete current; }
    BusRoutesReader(const BusRoutesReader&) = delete;
    BusRoutesReader& operator=(const BusRoutesReader&) = delete;

    void read();

private:
    void readRouteHeader();
    void fileCurrent();

    ParamicsTokenStream& in;
    QMap<QString, ParamicsBusRoute*>& busRoutes;
    int routeCount = std::numeric_limits<int>::max();
    int routesBegun = 0;
    bool stopped = false;
    ParamicsBusRoute* current = nullptr;
};
