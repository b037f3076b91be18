// OD matrices: the demands files' matrices shared out among vehicle types
// and cut into profile steps, and the matrix file's whole-hour matrices.

#include "traffic/demandbuilder.h"

#include "reader/paramicstrafficrecords.h"

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvmodel.h>
#include <cvodmatrix.h>
#include <cvsystem.h>
#include <cvtimeduration.h>
#include <cvvehicle.h>

#include <QHash>
#include <QMultiHash>
#include <QSet>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr qint64 SecondsPerDay = 24 * 3600;
// Matrices that follow no profile, and those of the matrix file, cover one
// morning hour.
const QTime HourStart(8, 0);
const CVTimeDuration HourLength(1, 0, 0.0);

}  // namespace

// The host centroid of every zone, in zones file order, looked up once by
// zone number (the centroids' external id). A demand row's positions are
// zones by reading index; a position past the last zone has none.
class DemandBuilder::ZoneCentroids
{
public:
    ZoneCentroids(const QMap<int, int>& zoneNumbers, const CVCatalog* catalog)
    {
        QHash<int, CVObject*> centroidOfNumber;
        QHash<int, int> lastOfNumber;
        QHash<int, int> secondLastOfNumber;
        QSet<const CVObject*> seen;
        zones.reserve(zoneNumbers.size());
        for (auto it = zoneNumbers.cbegin(); it != zoneNumbers.cend(); ++it) {
            // A zone number read again names the same centroid: look it up once.
            const int number = it.value();
            auto known = centroidOfNumber.constFind(number);
            if (known == centroidOfNumber.cend()) {
                CVObject* found = catalog ? catalog->findObjectByExternalId(QStringLiteral("%1").arg(number)) : nullptr;
                known = centroidOfNumber.insert(number, found);
            }
            CVObject* centroid = known.value();
            const int entry = int(zones.size());
            zones.append(Zone{it.key(), number, centroid});
            if (centroid && seen.contains(centroid))
                shared = true;
            else if (centroid)
                seen.insert(centroid);
            if (const auto last = lastOfNumber.constFind(number); last != lastOfNumber.cend())
                secondLastOfNumber.insert(number, last.value());
            lastOfNumber.insert(number, entry);
        }
        // The zones reader numbers its zones 0, 1, 2...; anything else is
        // looked up by index.
        contiguous = zones.isEmpty() || (zones.first().index == 0 && zones.last().index == zones.size() - 1);
        if (!contiguous) {
            for (int i = 0; i < zones.size(); ++i)
                entryByIndex.insert(zones.at(i).index, i);
        }

        // A zone number written many times gives as many zones with the same
        // centroid and the same rows, so the same trips again and again:
        // only the last setting of a pair stays, and the last of those zones
        // (with the one before it, for the pair of the centroid with itself)
        // gives every setting that stays.
        QSet<const CVObject*> originCentroids;
        for (int i = 0; i < zones.size(); ++i) {
            const Zone& zone = zones.at(i);
            if (!zone.centroid)
                continue;
            const int last = lastOfNumber.value(zone.number);
            if (last == i) {
                lastEntries.append(i);
                repeatedEntry.append(secondLastOfNumber.value(zone.number, -1));
                if (originCentroids.contains(zone.centroid))
                    sharedAcrossNumbers = true;
                originCentroids.insert(zone.centroid);
            }
            if (last == i || secondLastOfNumber.value(zone.number, -1) == i)
                lastTwoEntries.append(i);
        }
    }

    // The trips of a demands file matrix in new matrices: for every origin
    // zone with a centroid, its row's values to each zone with a centroid,
    // as scales[i] turns them into matrices[i]'s trips. A row's own zone is
    // set like any other.
    void setDemandTrips(const std::vector<CVODMatrix*>& matrices, const ParamicsDemand& demand,
                        const std::vector<CVODMatrix::Scale>& scales) const
    {
        // The matrices whose zeros add nothing take the row's non-zero
        // values, all together; the others every value, pair by pair.
        std::vector<CVODMatrix*> sparse;
        std::vector<CVODMatrix::Scale> sparseScales;
        for (std::size_t i = 0; i < matrices.size(); ++i) {
            CVODMatrix* matrix = matrices[i];
            const CVODMatrix::Scale& scale = scales[i];
            if (zerosAddNothing(scale(0.0))) {
                sparse.push_back(matrix);
                sparseScales.push_back(scale);
                continue;
            }
            std::size_t pairCount = 0;
            forEachDemandPair(demand, false, [&pairCount](CVObject*, CVObject*, double) { ++pairCount; });
            matrix->reservePairs(pairCount);
            forEachDemandPair(demand, false, [&](CVObject* origin, CVObject* destination, double value) {
                matrix->setTrips(origin, destination, scale(value));
            });
        }
        const auto forEachPair = [&](auto visit) {
            forEachDemandPair(demand, true, [&visit](CVObject* origin, CVObject* destination, double value) {
                visit(origin->getId(), destination->getId(), value);
            });
        };
        CVODMatrix::setTripsOfMatrices(sparse, forEachPair, sparseScales);
    }

    // The trips of a matrix file matrix times the proportion, for every pair
    // of zones with centroids except a zone to itself.
    void setMatrixFileTrips(CVODMatrix* matrix, const ParamicsMatrix& source, double proportion) const
    {
        const qint64 n = source.rowIndex.size();
        QVector<qint64> rowOf(zones.size(), -1);
        for (int i = 0; i < zones.size(); ++i)
            rowOf[i] = source.rowIndex.value(zones.at(i).number, -1);

        if (!(0.0 * proportion == 0.0) || sharedAcrossNumbers) {
            // Zeros can clear or set pairs: every pair of the zones that give
            // the last settings, in order.
            for (const int i : lastTwoEntries) {
                for (const int j : lastTwoEntries) {
                    if (i == j)
                        continue;
                    const bool inMatrix = rowOf.at(i) >= 0 && rowOf.at(j) >= 0;
                    const double value = inMatrix ? source.values.at(rowOf.at(i) * n + rowOf.at(j)) : 0.0;
                    matrix->setTrips(zones.at(i).centroid, zones.at(j).centroid, value * proportion);
                }
            }
            return;
        }
        // Only the matrix's non-zero values can add trips: visit those. Each
        // centroid here stands for one zone number.
        QMultiHash<qint64, int> entriesOfColumn;
        for (const int j : lastEntries) {
            if (rowOf.at(j) >= 0)
                entriesOfColumn.insert(rowOf.at(j), j);
        }
        for (qsizetype k = 0; k < lastEntries.size(); ++k) {
            const int i = lastEntries.at(k);
            if (rowOf.at(i) < 0)
                continue;
            const qint64 rowStart = rowOf.at(i) * n;
            source.values.forEachNonZero(rowStart, rowStart + n, [&](qsizetype position, double value) {
                const auto [first, last] = entriesOfColumn.equal_range(position - rowStart);
                for (auto it = first; it != last; ++it) {
                    if (it.value() != i)
                        matrix->setTrips(zones.at(i).centroid, zones.at(it.value()).centroid, value * proportion);
                }
            });
            // A zone number written twice or more: its centroid to itself,
            // as the pair of two of its zones.
            if (repeatedEntry.at(k) >= 0) {
                const qint64 diagonal = rowStart + rowOf.at(i);
                source.values.forEachNonZero(diagonal, diagonal + 1, [&](qsizetype, double value) {
                    matrix->setTrips(zones.at(i).centroid, zones.at(i).centroid, value * proportion);
                });
            }
        }
    }

private:
    // Calls visit(origin centroid, destination centroid, value) for the
    // values of a demands file matrix between zones with centroids, by
    // origin zone and then by position in the row; zeros only when asked.
    template <typename Visit>
    void forEachDemandPair(const ParamicsDemand& demand, bool skipZeros, Visit visit) const
    {
        for (const int entry : lastEntries) {
            const Zone& origin = zones.at(entry);
            const auto row = demand.rows.constFind(origin.number);
            if (row == demand.rows.cend())
                continue;
            const qsizetype end = std::min(row->size(), indexEnd());
            const auto visitPosition = [&](qsizetype position, double value) {
                if (CVObject* destination = centroidAt(position))
                    visit(origin.centroid, destination, value);
            };
            if (skipZeros) {
                row->forEachNonZero(0, end, visitPosition);
            } else {
                for (qsizetype position = 0; position < end; ++position)
                    visitPosition(position, row->at(position));
            }
        }
    }

    struct Zone
    {
        int index;           // reading index in the zones file
        int number;          // zone number
        CVObject* centroid;  // null when the zone has no host centroid
    };

    // Every pair of a new matrix is unset, and setting 0 trips leaves a pair
    // unset: zeros can be skipped, unless zero trips come out as something
    // else, or one centroid stands for two zones (a later zero would then
    // clear what an earlier value of the same pair set).
    bool zerosAddNothing(double zeroTrips) const { return zeroTrips == 0.0 && !shared; }

    qsizetype indexEnd() const { return zones.isEmpty() ? 0 : qsizetype(zones.last().index) + 1; }

    CVObject* centroidAt(qsizetype index) const
    {
        if (index < 0 || index >= indexEnd())
            return nullptr;
        if (contiguous)
            return zones.at(index).centroid;
        const auto it = entryByIndex.constFind(int(index));
        return it == entryByIndex.cend() ? nullptr : zones.at(it.value()).centroid;
    }

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

DemandBuilder::DemandBuilder(CVModel* model, CVCentroidConfiguration* configuration, const QMap<int, int>& zoneNumbers,
                             const QVector<ParamicsDemand*>& demands, const QMap<int, ParamicsProfile*>& profiles,
                             const QMap<int, ParamicsMatrix*>& matrixEntries, const ParamicsVehicleMap& vehicles)
    : model(model), configuration(configuration), zoneNumbers(zoneNumbers), demands(demands), profiles(profiles),
      matrixEntries(matrixEntries), vehicles(vehicles)
{
}

void DemandBuilder::build()
{
    if (!model)
        return;
    const ZoneCentroids zones(zoneNumbers, model->getCatalog());
    for (const ParamicsDemand* demand : std::as_const(demands)) {
        if (!demand)
            continue;
        if (const ParamicsProfile* profile = profiles.value(demand->period, nullptr))
            createProfileDemands(*demand, *profile, zones);
        else
            createHourDemands(*demand, zones);
    }
    for (const ParamicsMatrix* matrix : std::as_const(matrixEntries)) {
        if (matrix)
            createMatrixFileDemands(*matrix, zones);
    }
}

// One matrix per vehicle type for every profile step with a share above 0.
// Steps follow each other from the profile's start (midnight when it has
// none) and wrap round at midnight. The matrices are made and filed one by
// one (their names and ids do not depend on their trips), then get their
// trips together.
void DemandBuilder::createProfileDemands(const ParamicsDemand& demand, const ParamicsProfile& profile,
                                         const ZoneCentroids& zones)
{
    const QVector<ParamicsVehicle*> types = vehicles.value(demand.matrix);
    const QTime firstStart = profile.start.isValid() ? profile.start : QTime(0, 0);
    const CVTimeDuration stepLength(double(profile.interval));
    std::vector<CVODMatrix*> matrices;
    std::vector<CVODMatrix::Scale> scales;
    qint64 offset = 0;
    for (const float share : profile.values) {
        if (share > 0.0f) {
            const QTime start = firstStart.addSecs(int(offset % SecondsPerDay));
            for (const ParamicsVehicle* type : types) {
                if (!type)
                    continue;
                CVODMatrix* matrix = newODMatrix(start, stepLength, type->vehicle);
                if (!matrix)
                    continue;
                fileODMatrix(matrix, true);
                matrices.push_back(matrix);
                // The step's percentage of the demand, for the type's share of it.
                scales.push_back({double(share), 100.0, type->proportion});
            }
        }
        offset += profile.interval;
    }
    zones.setDemandTrips(matrices, demand, scales);
}

// A matrix without a profile: one hour's matrix per vehicle type.
void DemandBuilder::createHourDemands(const ParamicsDemand& demand, const ZoneCentroids& zones)
{
    std::vector<CVODMatrix*> matrices;
    std::vector<CVODMatrix::Scale> scales;
    for (const ParamicsVehicle* type : vehicles.value(demand.matrix)) {
        if (!type)
            continue;
        CVODMatrix* matrix = newODMatrix(HourStart, HourLength, type->vehicle);
        if (!matrix)
            continue;
        fileODMatrix(matrix, true);
        matrices.push_back(matrix);
        scales.push_back({1.0, 1.0, type->proportion});
    }
    zones.setDemandTrips(matrices, demand, scales);
}

// The matrix file's matrices are filed under the host's own naming and
// status.
void DemandBuilder::createMatrixFileDemands(const ParamicsMatrix& source, const ZoneCentroids& zones)
{
    for (const ParamicsVehicle* type : vehicles.value(source.number)) {
        if (!type)
            continue;
        CVODMatrix* matrix = newODMatrix(HourStart, HourLength, type->vehicle);
        if (!matrix)
            continue;
        zones.setMatrixFileTrips(matrix, source, type->proportion);
        fileODMatrix(matrix, false);
    }
}

CVODMatrix* DemandBuilder::newODMatrix(const QTime& start, const CVTimeDuration& duration, CVVehicle* vehicle)
{
    auto* matrix = dynamic_cast<CVODMatrix*>(CVSystem::getSystem().newObject(QStringLiteral("CVODMatrix"), model, -1, true));
    if (!matrix)
        return nullptr;
    matrix->setInterval(start, duration);
    matrix->setVehicle(vehicle);
    matrix->setCentroidConfiguration(configuration);
    return matrix;
}

void DemandBuilder::fileODMatrix(CVODMatrix* matrix, bool named)
{
    if (configuration)
        configuration->addODMatrix(matrix);
    if (named) {
        matrix->setName(matrix->getNameAutomatically(true));
        matrix->setStatus(CVObject::StatusImported);
    }
}
