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
    leavePattern();
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

void CVODMatrix::reservePairs(std::size_t count)
{
    leavePattern();
    pairs.reserve(pairs.size() + count);
}

CVODMatrix::Pattern CVODMatrix::makePattern(PatternKeys keys)
{
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (keys[i - 1] >= keys[i])
            return nullptr;
    }
    return std::make_shared<const PatternKeys>(std::move(keys));
}

bool CVODMatrix::setPatternTrips(const CollectedTrips& collected, const Scale& scale)
{
    if (!collected.keys || !pairs.empty() || pattern || collected.anyZeroTrips(scale))
        return false;
    pattern = collected.keys;
    patternValues = collected.values;
    patternScale = scale;
    return true;
}

void CVODMatrix::leavePattern()
{
    if (!pattern)
        return;
    const PatternKeys& keys = *pattern;
    pairs.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        pairs.push_back({keys[i], patternTrip(i)});
    sortedCount = pairs.size();
    pattern.reset();
    patternValues.reset();
}

void CVODMatrix::setTrips(const Trip* trips, std::size_t count)
{
    // Nothing to set: a matrix that shares its lists goes on sharing them.
    if (count == 0)
        return;
    leavePattern();
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

CVODMatrix::SharedKeys CVODMatrix::SharedKeys::of(Keys keys)
{
    SharedKeys shared;
    shared.list = makePattern(std::move(keys));
    return shared;
}

CVODMatrix::SharedTrips CVODMatrix::SharedTrips::of(Values trips)
{
    SharedTrips shared;
    if (std::find(trips.cbegin(), trips.cend(), 0.0) == trips.cend())
        shared.list = std::make_shared<const Values>(std::move(trips));
    return shared;
}

bool CVODMatrix::shareTrips(const SharedKeys& keys, const SharedTrips& trips)
{
    if (!keys || !trips || pattern || !pairs.empty() || keys.list->size() != trips.list->size())
        return false;
    // Scale{} gives every value back unchanged: 1 * v / 1 * 1 is v exactly.
    pattern = keys.list;
    patternValues = trips.list;
    patternScale = Scale{};
    return true;
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

int CVODMatrix::pairCount() const
{
    if (pattern)
        return int(pattern->size());
    settle();
    return int(pairs.size());
}

QVector<CVODMatrix::Trip> CVODMatrix::sortedTrips() const
{
    QVector<Trip> list;
    list.reserve(pairCount());
    forEachPair([&list](unsigned int origin, unsigned int destination, double trips) {
        list.append(Trip{origin, destination, trips});
    });
    return list;
}

double CVODMatrix::getTrips(const CVObject* origin, const CVObject* destination) const
{
    return origin && destination ? getTrips(origin->getId(), destination->getId()) : 0.0;
}

double CVODMatrix::getTrips(unsigned int originId, unsigned int destinationId) const
{
    const quint64 wanted = key(originId, destinationId);
    if (pattern) {
        const auto it = std::lower_bound(pattern->cbegin(), pattern->cend(), wanted);
        return it != pattern->cend() && *it == wanted ? patternTrip(std::size_t(it - pattern->cbegin())) : 0.0;
    }
    settle();
    const auto it = std::lower_bound(pairs.cbegin(), pairs.cend(), wanted,
                                     [](const Pair& p, quint64 key) { return p.key < key; });
    return it != pairs.cend() && it->key == wanted ? it->trips : 0.0;
}

double CVODMatrix::totalTrips() const
{
    double total = 0.0;
    forEachPair([&total](unsigned int, unsigned int, double trips) { total += trips; });
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
