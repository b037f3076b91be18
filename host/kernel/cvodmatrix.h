#pragma once

#include "cvlargeblocks.h"
#include "cvtrafficdemanditem.h"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

class CVCentroidConfiguration;

// Trips between pairs of centroids over one time slice for one vehicle
// type. Only pairs with trips are stored: a zone system of thousands of
// centroids costs memory in proportion to the pairs that travel. Pairs sit
// in one flat array sorted by (origin id, destination id), 16 bytes a pair:
// an importer sets them in that order, so setting one is an append, and
// pairs set out of order are merged in once, at the next read.
//
// A demand cut into time slices and vehicle types gives many matrices with
// the same pairs and different trips: setTripsOfMatrices() sets them
// together, and where it can they share one copy of the pairs' keys and
// values and keep only the scale that turns a value into their trips (the
// first change made to such a matrix pair by pair gives it its own pairs
// again). A reader that finds matrices alike hands them one copy of their
// lists through shareTrips(), with the same rule for changes. Nothing
// outside this class sees the difference.
class CRVKERNEL_EXPORT CVODMatrix : public CVTrafficDemandItem
{
public:
    CVODMatrix(CVModel* model, const CVType* type) : CVTrafficDemandItem(model, type) {}

    void setCentroidConfiguration(CVCentroidConfiguration* configuration) { centroidConfiguration = configuration; }
    CVCentroidConfiguration* getCentroidConfiguration() const { return centroidConfiguration; }

    struct Trip
    {
        unsigned int origin;
        unsigned int destination;
        double trips;
    };

    // Trips of a pair; setting 0 forgets the pair. Null centroids are ignored.
    void setTrips(const CVObject* origin, const CVObject* destination, double trips);
    void setTrips(unsigned int originId, unsigned int destinationId, double trips);
    // Makes room for that many more pairs at once, so that a matrix filled
    // pair by pair is not copied each time its storage grows.
    void reservePairs(std::size_t count);
    // Sets many pairs at once, exactly as setTrips would one after the
    // other: a reader hands over a whole matrix in one call.
    void setTrips(const Trip* trips, std::size_t count);
    // A matrix's trips for a value it shares with others:
    // ((factor * value) / divisor) * weight, computed in that order, so
    // that a demand's share of a profile step and a vehicle type's
    // proportion give the same trips as computing them one by one.
    struct Scale
    {
        double factor = 1.0;
        double divisor = 1.0;
        double weight = 1.0;
        double operator()(double value) const { return ((factor * value) / divisor) * weight; }
    };

    struct Pair
    {
        quint64 key;  // origin id << 32 | destination id
        double trips;
    };
    using Pairs = std::vector<Pair, CVLargeBlockAllocator<Pair>>;
    static quint64 key(unsigned int originId, unsigned int destinationId)
    {
        return (quint64(originId) << 32) | destinationId;
    }

    // Lists of keys and of trips that matrices share read-only, each
    // checked once, when it is made: a reader that finds the same list in
    // many matrices keeps one copy. A matrix given them copies them into
    // pairs of its own at its first change, so no other sees the change.
    using Keys = std::vector<quint64, CVLargeBlockAllocator<quint64>>;
    using Values = std::vector<double, CVLargeBlockAllocator<double>>;
    class CRVKERNEL_EXPORT SharedKeys
    {
    public:
        SharedKeys() = default;
        // Null when the keys are not strictly ascending.
        static SharedKeys of(Keys keys);
        explicit operator bool() const { return bool(list); }
        const Keys& keys() const { return *list; }

    private:
        std::shared_ptr<const Keys> list;
        friend class CVODMatrix;
    };
    class CRVKERNEL_EXPORT SharedTrips
    {
    public:
        SharedTrips() = default;
        // Null when any of the trips is 0 (a pair that would not be stored).
        static SharedTrips of(Values trips);
        explicit operator bool() const { return bool(list); }
        const Values& trips() const { return *list; }

    private:
        std::shared_ptr<const Values> list;
        friend class CVODMatrix;
    };
    // Gives a matrix without pairs the trips[i] of keys[i]: the same as
    // setting them one by one. Returns false and changes nothing when the
    // matrix has pairs, either list is null or their sizes differ.
    bool shareTrips(const SharedKeys& keys, const SharedTrips& trips);
    // Sets the trips of many matrices that have the same pairs, exactly as
    // setting each matrix's pairs one by one in the order given would:
    // forEachPair(visit) calls visit(originId, destinationId, value) for
    // every pair, the same pairs in the same order each time it is called,
    // and scales[i](value) is the trips of matrices[i] for a pair's value.
    // Matrices without pairs share one copy of the keys and values when the
    // pairs come in ascending (origin id, destination id) order, each key
    // once, and none of the matrix's trips is 0.
    template <typename ForEachPair>
    static void setTripsOfMatrices(const std::vector<CVODMatrix*>& matrices, ForEachPair forEachPair,
                                   const std::vector<Scale>& scales);

    // The pairs of forEachPair collected once, to be shared: collecting
    // touches no matrix, so it may run on another thread ahead of the
    // matrices it is for.
    class CollectedTrips;
    template <typename ForEachPair>
    static CollectedTrips collectTrips(ForEachPair forEachPair);
    // setTripsOfMatrices with pairs collected before from the same
    // forEachPair, which is still called for a matrix that cannot share
    // them.
    template <typename ForEachPair>
    static void setTripsOfMatrices(const std::vector<CVODMatrix*>& matrices, const CollectedTrips& collected,
                                   ForEachPair forEachPair, const std::vector<Scale>& scales);
    // Every stored pair, by origin id and then destination id. The model
    // file saves these itself, in rows, so they are not among the fields.
    QVector<Trip> sortedTrips() const;
    double getTrips(const CVObject* origin, const CVObject* destination) const;
    double getTrips(unsigned int originId, unsigned int destinationId) const;
    int pairCount() const;
    // Calls visit(originId, destinationId, trips) for every stored pair, by
    // origin id and then destination id: exporters walk the pairs that
    // travel instead of every origin with every destination.
    template <typename Visit>
    void forEachPair(Visit visit) const
    {
        if (pattern) {
            const PatternKeys& keys = *pattern;
            for (std::size_t i = 0; i < keys.size(); ++i)
                visit(unsigned(keys[i] >> 32), unsigned(keys[i] & 0xffffffffu), patternTrip(i));
            return;
        }
        settle();
        for (const Pair& pair : pairs)
            visit(unsigned(pair.key >> 32), unsigned(pair.key & 0xffffffffu), pair.trips);
    }
    double totalTrips() const;

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    // The keys of pairs shared by matrices, by origin id and then
    // destination id, and the values behind their trips.
    using PatternKeys = Keys;
    using Pattern = std::shared_ptr<const PatternKeys>;
    using PatternValues = Values;
    using SharedValues = std::shared_ptr<const PatternValues>;
    // A pattern of those keys, or null when they are not strictly ascending.
    static Pattern makePattern(PatternKeys keys);
    // Gives a matrix without pairs the trips of a pattern's pairs, the
    // scale of one value for each key; the same as setting them one by one
    // in key order. Returns false and changes nothing when the matrix has
    // pairs, there is no pattern or a trip is 0 (a pair that would not be
    // stored).
    bool setPatternTrips(const CollectedTrips& collected, const Scale& scale);
    double patternTrip(std::size_t i) const { return patternScale((*patternValues)[i]); }

    // Sorts the pairs set out of order into place; the last setting of a
    // pair wins and pairs set to 0 are dropped.
    void settle() const;
    // Copies a pattern's pairs into the matrix's own, before a change.
    void leavePattern();

    CVCentroidConfiguration* centroidConfiguration = nullptr;
    // With a pattern, the trips are patternTrip(i) for the pattern's key i
    // and pairs is empty.
    Pattern pattern;
    SharedValues patternValues;
    Scale patternScale;
    mutable Pairs pairs;  // sorted, unique keys, no zero trips...
    mutable std::size_t sortedCount = 0;  // ...up to here; after it in setting order
};

class CVODMatrix::CollectedTrips
{
public:
    CollectedTrips() = default;
    std::size_t size() const { return count; }
    // Whether scale turns some value into 0 trips. Rounding keeps the
    // order of magnitudes and the sign, so a finite value gives 0 exactly
    // when the smallest one does, and no infinite or NaN value gives 0.
    bool anyZeroTrips(const Scale& scale) const { return hasFinite && scale(smallestFinite) == 0.0; }

private:
    friend class CVODMatrix;
    Pattern keys;  // null when the pairs are not strictly ascending
    SharedValues values;
    std::size_t count = 0;
    bool hasFinite = false;
    double smallestFinite = 0.0;  // the finite value of least magnitude
};

template <typename ForEachPair>
CVODMatrix::CollectedTrips CVODMatrix::collectTrips(ForEachPair forEachPair)
{
    CollectedTrips collected;
    std::size_t count = 0;
    forEachPair([&count](unsigned int, unsigned int, double) { ++count; });
    PatternKeys keys;
    PatternValues values;
    keys.reserve(count);
    values.reserve(count);
    double smallest = std::numeric_limits<double>::infinity();
    forEachPair([&](unsigned int originId, unsigned int destinationId, double value) {
        keys.push_back(key(originId, destinationId));
        values.push_back(value);
        // Infinities and NaN are never below the infinite start.
        if (std::fabs(value) < std::fabs(smallest)) {
            smallest = value;
            collected.hasFinite = true;
        }
    });
    collected.count = count;
    collected.smallestFinite = collected.hasFinite ? smallest : 0.0;
    collected.keys = makePattern(std::move(keys));
    if (collected.keys)
        collected.values = std::make_shared<const PatternValues>(std::move(values));
    return collected;
}

template <typename ForEachPair>
void CVODMatrix::setTripsOfMatrices(const std::vector<CVODMatrix*>& matrices, ForEachPair forEachPair,
                                    const std::vector<Scale>& scales)
{
    if (matrices.empty())
        return;
    setTripsOfMatrices(matrices, collectTrips(forEachPair), forEachPair, scales);
}

template <typename ForEachPair>
void CVODMatrix::setTripsOfMatrices(const std::vector<CVODMatrix*>& matrices, const CollectedTrips& collected,
                                    ForEachPair forEachPair, const std::vector<Scale>& scales)
{
    for (std::size_t i = 0; i < matrices.size(); ++i) {
        CVODMatrix* matrix = matrices[i];
        const Scale& scale = scales[i];
        if (matrix->setPatternTrips(collected, scale))
            continue;
        matrix->reservePairs(collected.size());
        forEachPair([&](unsigned int originId, unsigned int destinationId, double value) {
            matrix->setTrips(originId, destinationId, scale(value));
        });
    }
}
