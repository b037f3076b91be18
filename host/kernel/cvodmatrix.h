#pragma once

#include "cvlargeblocks.h"
#include "cvtrafficdemanditem.h"

#include <vector>

class CVCentroidConfiguration;

// Trips between pairs of centroids over one time slice for one vehicle
// type. Only pairs with trips are stored: a zone system of thousands of
// centroids costs memory in proportion to the pairs that travel. Pairs sit
// in one flat array sorted by (origin id, destination id), 16 bytes a pair:
// an importer sets them in that order, so setting one is an append, and
// pairs set out of order are merged in once, at the next read.
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
    void reservePairs(std::size_t count) { pairs.reserve(pairs.size() + count); }
    // Sets many pairs at once, exactly as setTrips would one after the
    // other: a reader hands over a whole matrix in one call.
    void setTrips(const Trip* trips, std::size_t count);
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
        settle();
        for (const Pair& pair : pairs)
            visit(unsigned(pair.key >> 32), unsigned(pair.key & 0xffffffffu), pair.trips);
    }
    double totalTrips() const;

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    static quint64 key(unsigned int originId, unsigned int destinationId)
    {
        return (quint64(originId) << 32) | destinationId;
    }

    struct Pair
    {
        quint64 key;
        double trips;
    };
    // Sorts the pairs set out of order into place; the last setting of a
    // pair wins and pairs set to 0 are dropped.
    void settle() const;
    const Pair* find(quint64 pair) const;

    CVCentroidConfiguration* centroidConfiguration = nullptr;
    mutable std::vector<Pair, CVLargeBlockAllocator<Pair>> pairs;  // sorted, unique keys, no zero trips...
    mutable std::size_t sortedCount = 0;  // ...up to here; after it in setting order
};
