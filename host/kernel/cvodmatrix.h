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

    struct Trip
    {
        unsigned int origin;
        unsigned int destination;
        double trips;
    };

    // Trips of a pair; setting 0 forgets the pair. Null centroids are ignored.
    void setTrips(const CVObject* origin, const CVObject* destination, double trips);
    void setTrips(unsigned int originId, unsigned int destinationId, double trips);
    // Every stored pair, by origin id and then destination id. The model
    // file saves these itself, in rows, so they are not among the fields.
    QVector<Trip> sortedTrips() const;
    double getTrips(const CVObject* origin, const CVObject* destination) const;
    double getTrips(unsigned int originId, unsigned int destinationId) const;
    int pairCount() const { return int(trips.size()); }
    double totalTrips() const;

    void writeFields(QJsonObject& json) const override;
    void readFields(const QJsonObject& json, CVReadContext& context) override;

private:
    static quint64 key(unsigned int originId, unsigned int destinationId)
    {
        return (quint64(originId) << 32) | destinationId;
    }

    CVCentroidConfiguration* centroidConfiguration = nullptr;
    QHash<quint64, double> trips;
};
