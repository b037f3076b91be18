#pragma once

#include "cvtrafficdemanditem.h"

#include <QHash>

class CVCentroidConfiguration;

// Trips between pairs of centroids over one time slice for one vehicle
// type. Only pairs with trips are stored: a zone system of thousands of
// centroids costs memory in proportion to the pairs that travel.
class CRVKERNEL_EXPORT CVODMatrix : public CVTrafficDemandItem
{
public:
    CVODMatrix(CVModel* model, const CVType* type) : CVTrafficDemandItem(model, type) {}

    void setCentroidConfiguration(CVCentroidConfiguration* configuration) { centroidConfiguration = configuration; }
    CVCentroidConfiguration* getCentroidConfiguration() const { return centroidConfiguration; }

    // Trips of a pair; setting 0 forgets the pair. Null centroids are ignored.
    void setTrips(const CVObject* origin, const CVObject* destination, double trips);
    double getTrips(const CVObject* origin, const CVObject* destination) const;
    double getTrips(unsigned int originId, unsigned int destinationId) const;
    int pairCount() const { return int(trips.size()); }
    // Calls visit(originId, destinationId, trips) for every stored pair, in
    // no particular order: exporters walk the pairs that travel instead of
    // every origin with every destination.
    template <typename Visit>
    void forEachPair(Visit visit) const
    {
        for (auto it = trips.cbegin(); it != trips.cend(); ++it)
            visit(unsigned(it.key() >> 32), unsigned(it.key() & 0xffffffffu), it.value());
    }
    double totalTrips() const;

    void writeFields(QJsonObject& json) const override;

private:
    static quint64 key(unsigned int originId, unsigned int destinationId)
    {
        return (quint64(originId) << 32) | destinationId;
    }

    CVCentroidConfiguration* centroidConfiguration = nullptr;
    QHash<quint64, double> trips;
};
