#pragma once

#include "traffic/zonecentroids.h"

#include <QMap>
#include <QVector>

#include <exception>
#include <thread>
#include <vector>

class CVCatalog;
struct ParamicsDemand;

// The demands files' trips, collected on a second thread while the import
// builds the network. Collecting needs only the centroids' ids, known once
// the centroids exist, and the demand records, which nothing changes any
// more; the matrices that share the trips are made later, in the import's
// order, by DemandBuilder.
class DemandTripsAhead
{
public:
    // Looks the centroids up on the calling thread, then starts collecting.
    DemandTripsAhead(const QMap<int, int>& zoneNumbers, const QVector<ParamicsDemand*>& demands,
                     const CVCatalog* catalog);
    // Waits for the thread: an import that fails first still outlives it.
    ~DemandTripsAhead();
    DemandTripsAhead(const DemandTripsAhead&) = delete;
    DemandTripsAhead& operator=(const DemandTripsAhead&) = delete;

    // Waits for the collecting to end and rethrows what stopped it; then
    // whether it gave each zone the centroid that zones gives it.
    bool collectedFor(const ZoneCentroids& zones);
    // What collectDemandTrips gives for the demand at that place in the
    // demands; null for one not collected. Only after collectedFor.
    const CVODMatrix::CollectedTrips* tripsOf(qsizetype place) const;

private:
    void collect();

    const ZoneCentroids zones;
    const QVector<ParamicsDemand*>& demands;
    std::vector<CVODMatrix::CollectedTrips> trips;  // by the demand's place in demands
    std::exception_ptr failure;
    std::thread thread;
};
