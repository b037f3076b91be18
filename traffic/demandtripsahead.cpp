#include "traffic/demandtripsahead.h"

DemandTripsAhead::DemandTripsAhead(const QMap<int, int>& zoneNumbers, const QVector<ParamicsDemand*>& demands,
                                   const CVCatalog* catalog)
    : zones(zoneNumbers, catalog), demands(demands), thread([this] { collect(); })
{
}

DemandTripsAhead::~DemandTripsAhead()
{
    if (thread.joinable())
        thread.join();
}

void DemandTripsAhead::collect()
{
    // Nothing may leave the thread: a failure, out of memory included,
    // waits for collectedFor.
    try {
        if (!zones.sharesDemandTrips())
            return;
        trips.reserve(std::size_t(demands.size()));
        for (const ParamicsDemand* demand : demands)
            trips.push_back(demand ? zones.collectDemandTrips(*demand) : CVODMatrix::CollectedTrips());
    } catch (...) {
        trips.clear();
        failure = std::current_exception();
    }
}

bool DemandTripsAhead::collectedFor(const ZoneCentroids& other)
{
    if (thread.joinable())
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
    return zones.sameCentroids(other);
}

const CVODMatrix::CollectedTrips* DemandTripsAhead::tripsOf(qsizetype place) const
{
    if (place < 0 || std::size_t(place) >= trips.size())
        return nullptr;
    return &trips[std::size_t(place)];
}
