#pragma once

#include "reader/paramicstrafficrecords.h"

#include <cvodmatrix.h>

#include <QHash>
#include <QMap>
#include <QVector>

#include <algorithm>
#include <vector>

class CVCatalog;
class CVObject;
struct ParamicsMatrix;

// The host centroid of every zone, in zones file order, looked up once by
// zone number (the centroids' external id). A demand row's positions are
// zones by reading index; a position past the last zone has none.
//
// The look-ups happen in the constructor; afterwards the table reads no
// host object but the matrices it fills, so a copy can collect a demand's
// trips on another thread.
class ZoneCentroids
{
public:
    ZoneCentroids(const QMap<int, int>& zoneNumbers, const CVCatalog* catalog);

    // Whether both tables give every zone the same centroid.
    bool sameCentroids(const ZoneCentroids& other) const;
    // Whether a demand's pairs can be collected once for many matrices:
    // not when one centroid stands for two or more zones.
    bool sharesDemandTrips() const { return !shared; }

    // A demands file matrix's non-zero values between zones with
    // centroids, to be shared by the matrices of its steps and types.
    CVODMatrix::CollectedTrips collectDemandTrips(const ParamicsDemand& demand) const;
    // The trips of a demands file matrix in new matrices: for every origin
    // zone with a centroid, its row's values to each zone with a centroid,
    // as scales[i] turns them into matrices[i]'s trips. A row's own zone is
    // set like any other. collected, when given, holds what
    // collectDemandTrips gives for the demand.
    void setDemandTrips(const std::vector<CVODMatrix*>& matrices, const ParamicsDemand& demand,
                        const std::vector<CVODMatrix::Scale>& scales,
                        const CVODMatrix::CollectedTrips* collected) const;
    // The trips of a matrix file matrix times the proportion, for every pair
    // of zones with centroids except a zone to itself.
    void setMatrixFileTrips(CVODMatrix* matrix, const ParamicsMatrix& source, double proportion) const;

private:
    struct Zone
    {
        int index;              // reading index in the zones file
        int number;             // zone number
        CVObject* centroid;     // null when the zone has no host centroid
        unsigned int centroidId;
    };

    // Calls visit(origin zone, destination zone) with the value of a
    // demands file matrix between zones with centroids, by origin zone and
    // then by position in the row; zeros only when asked.
    template <typename Visit>
    void forEachDemandPair(const ParamicsDemand& demand, bool skipZeros, Visit visit) const;
    // visit(originId, destinationId, value) for the non-zero values.
    template <typename Visit>
    void forEachNonZeroDemandPair(const ParamicsDemand& demand, Visit visit) const
    {
        forEachDemandPair(demand, true, [&visit](const Zone& origin, const Zone& destination, double value) {
            visit(origin.centroidId, destination.centroidId, value);
        });
    }

    // Every pair of a new matrix is unset, and setting 0 trips leaves a pair
    // unset: zeros can be skipped, unless zero trips come out as something
    // else, or one centroid stands for two zones (a later zero would then
    // clear what an earlier value of the same pair set).
    bool zerosAddNothing(double zeroTrips) const { return zeroTrips == 0.0 && !shared; }

    qsizetype indexEnd() const { return zones.isEmpty() ? 0 : qsizetype(zones.last().index) + 1; }
    const Zone* zoneWithCentroidAt(qsizetype index) const;

    QVector<Zone> zones;
    bool contiguous = true;
    bool shared = false;               // a centroid stands for two or more zones
    bool sharedAcrossNumbers = false;  // ... of different zone numbers
    // Entries of zones with a centroid that are the last of their zone
    // number, and for each the entry before it with the same number (-1
    // for none); the last two of each number.
    QVector<int> lastEntries;
    QVector<int> repeatedEntry;
    QVector<int> lastTwoEntries;
    QHash<int, int> entryByIndex;
};

template <typename Visit>
void ZoneCentroids::forEachDemandPair(const ParamicsDemand& demand, bool skipZeros, Visit visit) const
{
    for (const int entry : lastEntries) {
        const Zone& origin = zones.at(entry);
        const auto row = demand.rows.constFind(origin.number);
        if (row == demand.rows.cend())
            continue;
        const qsizetype end = std::min(row->size(), indexEnd());
        const auto visitPosition = [&](qsizetype position, double value) {
            if (const Zone* destination = zoneWithCentroidAt(position))
                visit(origin, *destination, value);
        };
        if (skipZeros) {
            row->forEachNonZero(0, end, visitPosition);
        } else {
            for (qsizetype position = 0; position < end; ++position)
                visitPosition(position, row->at(position));
        }
    }
}
