#include "reader/transitreaders.h"

#include "reader/paramicsreading.h"

namespace {

using K = ParamicsToken;

// Stop positions in feet are converted with this factor, not with the
// importer's unit factor.
constexpr double StopFeetFactor = 0.33;

}  // namespace

void BusStopsReader::read()
{
    const ParamicsToken& token = in.current();
    while (in.notAtEnd()) {
        if (token.isNumeric()) {
            if (!readStop())
                break;
        } else if (token.is(K::Length) || token.is(K::Zone)) {
            in.next();
            in.next();
        } else {
            in.next();
        }
    }
    fileCurrent();
}

// A stop cut short by the end of the file keeps what it has; false then.
bool BusStopsReader::readStop()
{
    const ParamicsToken& token = in.current();
    fileCurrent();
    current = new ParamicsBusStop(token.toInt());
    if (!takeWord())
        return false;
    current->link = token.text();
    if (!takeWord())
        return false;
    current->position = token.toDouble();
    if (!takeWord())
        return false;
    if (token.is(K::Feet))
        current->position *= StopFeetFactor;
    in.next();
    current->name = ParamicsReading::readQuoted(in, QString());
    // The name's last word is looked at again: as a word it is skipped.
    return true;
}

// Takes the next word; false at the end of the file.
bool BusStopsReader::takeWord()
{
    in.next();
    return !ParamicsReading::isEndOfFile(in);
}

void BusStopsReader::fileCurrent()
{
    if (current)
        ParamicsRecords::replace(busStops, current->number, current);
    current = nullptr;
}

void BusRoutesReader::read()
{
    const ParamicsToken& token = in.current();
    while (!stopped && in.notAtEnd()) {
        switch (token.kind) {
        case K::Count:
            routeCount = in.next().toInt();
            break;
        case K::Number:
            readRouteHeader();
            break;
        case K::Release:
            in.next();
            in.next();
            if (current)
                current->releases.append(ParamicsReading::timeFromColumns(token.text()));
            break;
        case K::Node:
            in.next();
            if (current)
                current->routeNodes.append(token.text());
            break;
        case K::Busstop:
            in.next();
            if (current)
                current->stops.append(ParamicsRouteStop{token.toInt(), QTime()});
            break;
        default:
            in.next();
            break;
        }
    }
    if (!stopped)
        fileCurrent();
}

void BusRoutesReader::readRouteHeader()
{
    const ParamicsToken& token = in.next();
    if (token.isNumeric())
        return;
    ++routesBegun;
    fileCurrent();
    if (routesBegun > routeCount)
        stopped = true;
    else
        current = new ParamicsBusRoute(token.text());
}

void BusRoutesReader::fileCurrent()
{
    if (current)
        ParamicsRecords::replace(busRoutes, current->name, current);
    current = nullptr;
}
