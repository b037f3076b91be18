// Bus stops and bus lines with their timetables.

#include "traffic/publictransportbuilder.h"

#include "reader/paramicsnetworkrecords.h"
#include "reader/paramicstransitrecords.h"

#include <cvcatalog.h>
#include <cvfolder.h>
#include <cvmodel.h>
#include <cvpublicline.h>
#include <cvpubliclinetimetable.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvsystem.h>
#include <cvvehicle.h>

#include <algorithm>

namespace {

// Length of the bay that every imported stop occupies, metres.
constexpr float BusStopLength = 20.0f;

// Departures of the bus routes file are fixed clock times.
constexpr int FixedTimesDeparture = 1;

}  // namespace

PublicTransportBuilder::PublicTransportBuilder(CVModel* model, CVLayer* layer, const ParamicsLinkMap& links,
                                               const QMap<int, ParamicsBusStop*>& busStops,
                                               const QMap<QString, ParamicsBusRoute*>& busRoutes,
                                               bool rightHandDrive)
    : model(model), placement(model, layer, links), busStops(busStops), busRoutes(busRoutes),
      rightHandDrive(rightHandDrive)
{
}

// One host stop per stop record whose link has a section. The stop takes
// the kerb lane: the rightmost with right-hand traffic, lane 0 otherwise.
// A position beyond the section's end is kept as it is.
void PublicTransportBuilder::createBusStops()
{
    if (!model)
        return;
    CVSystem& system = CVSystem::getSystem();
    for (ParamicsBusStop* record : std::as_const(busStops)) {
        if (!record)
            continue;
        CVSection* section = placement.linkSection(record->link);
        if (!section)
            continue;
        auto* stop = static_cast<CVBusStop*>(system.newObject(QStringLiteral("CVBusStop"), model, -1, true));
        stop->setName(record->name);
        stop->setPosition(float(record->position));
        const int kerbLane = rightHandDrive ? SectionPlacement::lastLane(section) : 0;
        stop->setLanes(kerbLane, kerbLane);
        stop->setLength(BusStopLength);
        placement.placeOnSection(stop, section);
        record->stopId = int(stop->getId());
        record->stop = stop;
    }
}

// One line per route, in route name order, filed in the model's public
// lines folder. Every departure runs with the model's own "bus" vehicle
// type, when the model has one.
void PublicTransportBuilder::createBusRoutes()
{
    if (!model)
        return;
    CVObject* vehicle =
        dynamic_cast<CVVehicle*>(model->getCatalog()->find(QStringLiteral("bus"), nullptr, Qt::CaseInsensitive));
    CVFolder* folder = publicLinesFolder();
    CVSystem& system = CVSystem::getSystem();
    stopsByNumber.clear();
    stopsByNumber.reserve(std::size_t(busStops.size()));
    for (auto it = busStops.cbegin(); it != busStops.cend(); ++it)
        stopsByNumber.emplace_back(it.key(), it.value());
    for (const ParamicsBusRoute* route : std::as_const(busRoutes)) {
        if (!route)
            continue;
        auto* line = static_cast<CVPublicLine*>(system.newObject(QStringLiteral("CVPublicLine"), model, -1, true));
        line->setName(route->name);
        auto* timeTable =
            static_cast<CVPublicLineTimeTable*>(system.newObject(QStringLiteral("CVPublicLineTimeTable"), model, -1, true));
        addLinePath(line, *route);

        auto* schedule = new CVPublicLineTimeTableSchedule;
        schedule->setDepartureType(FixedTimesDeparture);
        addDepartures(schedule, *route, vehicle);
        addLineStops(line, schedule, *route);

        timeTable->addSchedule(schedule);
        line->addTimeTable(timeTable);
        timeTable->setPublicLine(line);
        if (folder)
            folder->append(line);
    }
}

CVFolder* PublicTransportBuilder::publicLinesFolder()
{
    CVFolder* root = model->getCreateRootFolder();
    if (!root)
        return nullptr;
    const QString name = QStringLiteral("CVModel::publicLines");
    if (CVFolder* existing = root->findFolder(name))
        return existing;
    return CVSystem::getSystem().createFolder(root, name, false, nullptr);
}

// The sections between consecutive route nodes, in order. A pair of nodes
// without a built link between them leaves a gap in the path.
void PublicTransportBuilder::addLinePath(CVPublicLine* line, const ParamicsBusRoute& route) const
{
    for (int i = 1; i < route.routeNodes.size(); ++i) {
        if (CVSection* section = placement.linkSection(route.routeNodes.at(i - 1), route.routeNodes.at(i)))
            line->addSection(section, 0);
    }
}

// One departure per release time, with no deviation.
void PublicTransportBuilder::addDepartures(CVPublicLineTimeTableSchedule* schedule, const ParamicsBusRoute& route,
                                           CVObject* vehicle)
{
    CVPublicLineTimeTableDeparture departure;
    for (const QTime& release : route.releases) {
        departure.setMeanTime(CVTimeDuration::fromTime(release));
        departure.setDeviationTime(CVTimeDuration::fromTime(QTime()));
        departure.setVehicle(vehicle);
        schedule->addDepartureTime(departure);
    }
}

// The schedule serves every stop entry, repeats included; the line lists
// each stop once. The routes file gives no dwell times, so all are zero.
void PublicTransportBuilder::addLineStops(CVPublicLine* line, CVPublicLineTimeTableSchedule* schedule,
                                          const ParamicsBusRoute& route) const
{
    for (const ParamicsRouteStop& entry : route.stops) {
        const ParamicsBusStop* record = stopRecord(entry.stop);
        CVBusStop* stop = record ? record->stop : nullptr;
        if (!stop)
            continue;
        schedule->addStop(stop);
        if (!line->isStopUsed(stop))
            line->addStop(stop);
        const double dwell = CVTimeDuration::fromTime(entry.time).toSeconds();
        schedule->setStopTime(stop, CVPublicLineTimeTableScheduleStopTime(dwell, 0.0, 0.0));
    }
}

const ParamicsBusStop* PublicTransportBuilder::stopRecord(int number) const
{
    const auto found = std::lower_bound(stopsByNumber.cbegin(), stopsByNumber.cend(), number,
                                        [](const auto& entry, int n) { return entry.first < n; });
    return found != stopsByNumber.cend() && found->first == number ? found->second : nullptr;
}
