#include "cvodmatrix.h"

#include "cvcentroidconfiguration.h"
#include "cvreadcontext.h"
#include "cvregistry.h"

#include <QJsonArray>

#include <algorithm>

CV_REGISTER_TYPE(CVODMatrix)

void CVODMatrix::setTrips(const CVObject* origin, const CVObject* destination, double value)
{
    if (!origin || !destination)
        return;
    const quint64 pair = key(origin->getId(), destination->getId());
    if (value == 0.0)
        trips.remove(pair);
    else
        trips.insert(pair, value);
}

void CVODMatrix::setTrips(unsigned int originId, unsigned int destinationId, double value)
{
    const quint64 pair = key(originId, destinationId);
    if (value == 0.0)
        trips.remove(pair);
    else
        trips.insert(pair, value);
}

QVector<CVODMatrix::Trip> CVODMatrix::sortedTrips() const
{
    QVector<Trip> list;
    list.reserve(trips.size());
    for (auto it = trips.cbegin(); it != trips.cend(); ++it)
        list.append(Trip{unsigned(it.key() >> 32), unsigned(it.key() & 0xffffffffu), it.value()});
    std::sort(list.begin(), list.end(), [](const Trip& a, const Trip& b) {
        return a.origin != b.origin ? a.origin < b.origin : a.destination < b.destination;
    });
    return list;
}

double CVODMatrix::getTrips(const CVObject* origin, const CVObject* destination) const
{
    return origin && destination ? getTrips(origin->getId(), destination->getId()) : 0.0;
}

double CVODMatrix::getTrips(unsigned int originId, unsigned int destinationId) const
{
    return trips.value(key(originId, destinationId), 0.0);
}

double CVODMatrix::totalTrips() const
{
    double total = 0.0;
    for (double value : trips)
        total += value;
    return total;
}

void CVODMatrix::writeFields(QJsonObject& json) const
{
    CVTrafficDemandItem::writeFields(json);
    json.insert(QStringLiteral("centroidConfiguration"),
                centroidConfiguration ? QJsonValue(qint64(centroidConfiguration->getId()))
                                      : QJsonValue(QJsonValue::Null));
}

void CVODMatrix::readFields(const QJsonObject& json, CVReadContext& context)
{
    CVTrafficDemandItem::readFields(json, context);
    centroidConfiguration = context.objectAs<CVCentroidConfiguration>(json.value(QStringLiteral("centroidConfiguration")));
}
