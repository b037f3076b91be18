#include "cvodmatrix.h"

#include "cvcentroidconfiguration.h"
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
    QVector<quint64> pairs(trips.keyBegin(), trips.keyEnd());
    std::sort(pairs.begin(), pairs.end());
    QJsonArray list;
    for (quint64 pair : pairs)
        list.append(QJsonArray{qint64(pair >> 32), qint64(pair & 0xffffffffu), trips.value(pair)});
    json.insert(QStringLiteral("trips"), list);
    json.insert(QStringLiteral("centroidConfiguration"),
                centroidConfiguration ? QJsonValue(qint64(centroidConfiguration->getId()))
                                      : QJsonValue(QJsonValue::Null));
}
