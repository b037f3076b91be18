#pragma once

#include "traffic/sectionplacement.h"

#include <QMap>

#include <utility>
#include <vector>

class CVFolder;
class CVLayer;
class CVModel;
class CVObject;
class CVPublicLine;
class CVPublicLineTimeTableSchedule;
struct ParamicsBusRoute;
struct ParamicsBusStop;

// Bus stops on the sections of their links, and one public line per bus
// route with its path, stops and departures. The stops come first: the
// lines refer to the host stops that they record.
class PublicTransportBuilder
{
public:
    PublicTransportBuilder(CVModel* model, CVLayer* layer, const ParamicsLinkMap& links,
                           const QMap<int, ParamicsBusStop*>& busStops,
                           const QMap<QString, ParamicsBusRoute*>& busRoutes, bool rightHandDrive);

    void createBusStops();
    void createBusRoutes();

private:
    CVFolder* publicLinesFolder();
    void addLinePath(CVPublicLine* line, const ParamicsBusRoute& route) const;
    void addLineStops(CVPublicLine* line, CVPublicLineTimeTableSchedule* schedule, const ParamicsBusRoute& route) const;
    const ParamicsBusStop* stopRecord(int number) const;
    static void addDepartures(CVPublicLineTimeTableSchedule* schedule, const ParamicsBusRoute& route, CVObject* vehicle);

    CVModel* model;
    SectionPlacement placement;
    const QMap<int, ParamicsBusStop*>& busStops;
    const QMap<QString, ParamicsBusRoute*>& busRoutes;
    const bool rightHandDrive;
    // The stop records in number order in one block, for the routes'
    // look-ups: a search within it stays in the processor's cache, where
    // the map's tree reaches over the whole heap.
    std::vector<std::pair<int, const ParamicsBusStop*>> stopsByNumber;
};
