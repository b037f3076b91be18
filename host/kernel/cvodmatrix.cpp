#include "cvodmatrix.h"

#include "cvcentroidconfiguration.h"
#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

#include <QJsonArray>

#include <algorithm>

CV_REGISTER_TYPE(CVODMatrix)

void CVODMatrix::setTrips(const CVObject* origin, const CVObject* destination, double value)
{
    if (!origin || !destination)
        return;
    setTrips(origin->getId(), destination->getId(), value);
}

void CVODMatrix::setTrips(unsigned int originId, unsigned int destinationId, double value)
{
    const quint64 pair = key(originId, destinationId);
    const bool inOrder = sortedCount == pairs.size() && (pairs.empty() || pairs.back().key < pair);
    if (inOrder) {
        // A pair after every stored one is new: 0 has nothing to forget.
        if (value != 0.0) {
            pairs.push_back({pair, value});
            ++sortedCount;
        }
        return;
    }
    pairs.push_back({pair, value});
}

void CVODMatrix::setTrips(const Trip* trips, std::size_t count)
{
    pairs.reserve(pairs.size() + count);
    std::size_t i = 0;
    if (sortedCount == pairs.size()) {
        // The pairs that come in order are appended without a call each; the
        // first that does not is set, with all after it, one by one.
        bool any = !pairs.empty();
        quint64 last = any ? pairs.back().key : 0;
        for (; i < count; ++i) {
            const quint64 pair = key(trips[i].origin, trips[i].destination);
            if (any && pair <= last)
                break;
            if (trips[i].trips != 0.0) {
                pairs.push_back({pair, trips[i].trips});
                last = pair;
                any = true;
            }
        }
        sortedCount = pairs.size();
    }
    for (; i < count; ++i)
        setTrips(trips[i].origin, trips[i].destination, trips[i].trips);
}

void CVODMatrix::settle() const
{
    if (sortedCount == pairs.size())
        return;
    const auto byKey = [](const Pair& a, const Pair& b) { return a.key < b.key; };
    // Stable, so that among settings of one pair the last stays last.
    std::stable_sort(pairs.begin() + std::ptrdiff_t(sortedCount), pairs.end(), byKey);
    std::inplace_merge(pairs.begin(), pairs.begin() + std::ptrdiff_t(sortedCount), pairs.end(), byKey);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const bool lastOfKey = i + 1 == pairs.size() || pairs[i + 1].key != pairs[i].key;
        if (lastOfKey && pairs[i].trips != 0.0)
            pairs[kept++] = pairs[i];
    }
    pairs.resize(kept);
    pairs.shrink_to_fit();
    sortedCount = kept;
}

const CVODMatrix::Pair* CVODMatrix::find(quint64 pair) const
{
    settle();
    const auto it = std::lower_bound(pairs.cbegin(), pairs.cend(), pair,
                                     [](const Pair& p, quint64 wanted) { return p.key < wanted; });
    return it != pairs.cend() && it->key == pair ? &*it : nullptr;
}

int CVODMatrix::pairCount() const
{
    settle();
    return int(pairs.size());
}

QVector<CVODMatrix::Trip> CVODMatrix::sortedTrips() const
{
    settle();
    QVector<Trip> list;
    list.reserve(qsizetype(pairs.size()));
    for (const Pair& pair : pairs)
        list.append(Trip{unsigned(pair.key >> 32), unsigned(pair.key & 0xffffffffu), pair.trips});
    return list;
}

double CVODMatrix::getTrips(const CVObject* origin, const CVObject* destination) const
{
    return origin && destination ? getTrips(origin->getId(), destination->getId()) : 0.0;
}

double CVODMatrix::getTrips(unsigned int originId, unsigned int destinationId) const
{
    const Pair* pair = find(key(originId, destinationId));
    return pair ? pair->trips : 0.0;
}

double CVODMatrix::totalTrips() const
{
    settle();
    double total = 0.0;
    for (const Pair& pair : pairs)
        total += pair.trips;
    return total;
}

void CVODMatrix::writeFields(CVFieldWriter& json) const
{
    CVTrafficDemandItem::writeFields(json);
    json.insert(QStringLiteral("centroidConfiguration"),
                centroidConfiguration ? QJsonValue(qint64(centroidConfiguration->getId()))
                                      : QJsonValue(QJsonValue::Null));
}

void CVODMatrix::readFields(const CVSavedObject& json, CVReadContext& context)
{
    CVTrafficDemandItem::readFields(json, context);
    centroidConfiguration = context.objectAs<CVCentroidConfiguration>(json.value(QStringLiteral("centroidConfiguration")));
}
