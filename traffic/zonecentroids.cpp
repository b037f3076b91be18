#include "traffic/zonecentroids.h"

#include <cvcatalog.h>
#include <cvobject.h>

#include <QMultiHash>
#include <QSet>

ZoneCentroids::ZoneCentroids(const QMap<int, int>& zoneNumbers, const CVCatalog* catalog)
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
        zones.append(Zone{it.key(), number, centroid, centroid ? centroid->getId() : 0u});
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
    // centroid and the same rows, so the same trips again and again: only
    // the last setting of a pair stays, and the last of those zones (with
    // the one before it, for the pair of the centroid with itself) gives
    // every setting that stays.
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

bool ZoneCentroids::sameCentroids(const ZoneCentroids& other) const
{
    return std::equal(zones.cbegin(), zones.cend(), other.zones.cbegin(), other.zones.cend(),
                      [](const Zone& a, const Zone& b) {
                          return a.index == b.index && a.number == b.number && a.centroid == b.centroid
                                 && a.centroidId == b.centroidId;
                      });
}

CVODMatrix::CollectedTrips ZoneCentroids::collectDemandTrips(const ParamicsDemand& demand) const
{
    return CVODMatrix::collectTrips([&](auto visit) { forEachNonZeroDemandPair(demand, visit); });
}

void ZoneCentroids::setDemandTrips(const std::vector<CVODMatrix*>& matrices, const ParamicsDemand& demand,
                                   const std::vector<CVODMatrix::Scale>& scales,
                                   const CVODMatrix::CollectedTrips* collected) const
{
    // The matrices whose zeros add nothing take the row's non-zero values,
    // all together; the others every value, pair by pair.
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
        forEachDemandPair(demand, false, [&pairCount](const Zone&, const Zone&, double) { ++pairCount; });
        matrix->reservePairs(pairCount);
        forEachDemandPair(demand, false, [&](const Zone& origin, const Zone& destination, double value) {
            matrix->setTrips(origin.centroidId, destination.centroidId, scale(value));
        });
    }
    if (sparse.empty())
        return;
    const auto forEachPair = [&](auto visit) { forEachNonZeroDemandPair(demand, visit); };
    if (collected)
        CVODMatrix::setTripsOfMatrices(sparse, *collected, forEachPair, sparseScales);
    else
        CVODMatrix::setTripsOfMatrices(sparse, forEachPair, sparseScales);
}

void ZoneCentroids::setMatrixFileTrips(CVODMatrix* matrix, const ParamicsMatrix& source, double proportion) const
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
        // A zone number written twice or more: its centroid to itself, as
        // the pair of two of its zones.
        if (repeatedEntry.at(k) >= 0) {
            const qint64 diagonal = rowStart + rowOf.at(i);
            source.values.forEachNonZero(diagonal, diagonal + 1, [&](qsizetype, double value) {
                matrix->setTrips(zones.at(i).centroid, zones.at(i).centroid, value * proportion);
            });
        }
    }
}

const ZoneCentroids::Zone* ZoneCentroids::zoneWithCentroidAt(qsizetype index) const
{
    if (index < 0 || index >= indexEnd())
        return nullptr;
    const Zone* zone = nullptr;
    if (contiguous) {
        zone = &zones.at(index);
    } else {
        const auto it = entryByIndex.constFind(int(index));
        zone = it == entryByIndex.cend() ? nullptr : &zones.at(it.value());
    }
    return zone && zone->centroid ? zone : nullptr;
}
