#include "export/sumo/sumodistricts.h"

#include "export/modelobjects.h"
#include "export/sumo/sumonetwork.h"

#include <cvcentroid.h>
#include <cvobjectconnection.h>
#include <cvsection.h>

#include <QHash>

#include <algorithm>
#include <limits>

namespace {

bool sameRoadOtherWay(const SumoNetwork& network, const CVSection* a, const CVSection* b)
{
    return network.fromNode(a) == network.toNode(b) && network.toNode(a) == network.fromNode(b);
}

// The sections that run the other way along the given ones; else those
// that leave where they end (towards true) or reach where they begin.
QVector<const CVSection*> standIns(const SumoNetwork& network, const QVector<const CVSection*>& given, bool leaving)
{
    QVector<const CVSection*> result;
    for (const CVSection* other : network.sections()) {
        for (const CVSection* section : given) {
            if (sameRoadOtherWay(network, section, other) && !result.contains(other))
                result.append(other);
        }
    }
    if (!result.isEmpty())
        return result;
    for (const CVSection* other : network.sections()) {
        for (const CVSection* section : given) {
            const bool touches = leaving ? network.fromNode(other) == network.toNode(section)
                                         : network.toNode(other) == network.fromNode(section);
            if (touches && other != section && !result.contains(other))
                result.append(other);
        }
    }
    return result;
}

// The strongly connected components of a graph given by its successors:
// Tarjan's algorithm without recursion, as a city has tens of thousands of
// sections in a row.
std::vector<int> components(const std::vector<std::vector<int>>& next)
{
    const int n = int(next.size());
    std::vector<int> index(std::size_t(n), -1), low(std::size_t(n), 0), result(std::size_t(n), -1);
    std::vector<int> stack;
    std::vector<char> onStack(std::size_t(n), 0);
    std::vector<std::pair<int, std::size_t>> calls;  // node, next successor to look at
    int counter = 0;
    int found = 0;
    for (int root = 0; root < n; ++root) {
        if (index[std::size_t(root)] >= 0)
            continue;
        calls.push_back({root, 0});
        while (!calls.empty()) {
            auto& [v, i] = calls.back();
            const std::size_t at = std::size_t(v);
            if (i == 0 && index[at] < 0) {
                index[at] = low[at] = counter++;
                stack.push_back(v);
                onStack[at] = 1;
            }
            if (i < next[at].size()) {
                const int w = next[at][i++];
                if (index[std::size_t(w)] < 0)
                    calls.push_back({w, 0});
                else if (onStack[std::size_t(w)])
                    low[at] = std::min(low[at], index[std::size_t(w)]);
                continue;
            }
            if (low[at] == index[at]) {
                int w;
                do {
                    w = stack.back();
                    stack.pop_back();
                    onStack[std::size_t(w)] = 0;
                    result[std::size_t(w)] = found;
                } while (w != v);
                ++found;
            }
            const int done = v;
            calls.pop_back();
            if (!calls.empty()) {
                const std::size_t parent = std::size_t(calls.back().first);
                low[parent] = std::min(low[parent], low[std::size_t(done)]);
            }
        }
    }
    return result;
}

std::vector<int> sortedUnique(std::vector<int> values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

}  // namespace

SumoDistricts::SumoDistricts(const SumoNetwork& network)
{
    const QList<CVCentroid*> centroids = modelObjects<CVCentroid>(network.model(), QStringLiteral("CVCentroid"));
    // An import makes its centroids one after the other: their ids make
    // one short run, found by an offset into a vector.
    std::size_t largestId = 0;
    std::size_t smallestId = std::numeric_limits<unsigned int>::max();
    for (const CVCentroid* centroid : centroids) {
        largestId = std::max<std::size_t>(largestId, centroid->getId());
        smallestId = std::min<std::size_t>(smallestId, centroid->getId());
    }
    constexpr std::size_t SparseSlack = 1 << 16;
    const bool dense = centroids.isEmpty() || largestId - smallestId <= 4 * std::size_t(centroids.size()) + SparseSlack;
    if (dense && !centroids.isEmpty()) {
        firstCentroidId = unsigned(smallestId);
        byCentroidId.assign(largestId - smallestId + 1, -1);
    }
    for (const CVCentroid* centroid : centroids) {
        District district;
        district.centroid = centroid;
        for (const CVObjectConnection* connection : centroid->getConnections()) {
            const auto* section = dynamic_cast<const CVSection*>(connection->getConnectionObject());
            if (!section || !network.isExported(section))
                continue;
            const int type = connection->getConnectionType();
            if ((type == CVCentroid::eFrom || type == CVCentroid::eBoth) && !district.sources.contains(section))
                district.sources << section;
            if ((type == CVCentroid::eTo || type == CVCentroid::eBoth) && !district.sinks.contains(section))
                district.sinks << section;
        }
        if (district.sources.isEmpty())
            district.sources = standIns(network, district.sinks, true);
        if (district.sinks.isEmpty())
            district.sinks = standIns(network, district.sources, false);
        if (dense)
            byCentroidId[centroid->getId() - firstCentroidId] = int(districts.size());
        else
            bySparseCentroidId.insert(centroid->getId(), int(districts.size()));
        districts.append(district);
    }
    buildRoutes(network);
}

void SumoDistricts::buildRoutes(const SumoNetwork& network)
{
    QHash<const CVSection*, int> index;
    for (const CVSection* section : network.sections()) {
        index.insert(section, int(sectionOf.size()));
        sectionOf.push_back(section);
    }
    next.resize(sectionOf.size());
    for (const SumoNetwork::Connection& c : network.connections())
        next[index.value(c.from)].push_back(index.value(c.to));
    for (std::vector<int>& targets : next) {
        std::sort(targets.begin(), targets.end());
        targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    }
    component = components(next);
    for (const District& district : std::as_const(districts)) {
        std::vector<int> sources;
        std::vector<int> sinks;
        std::vector<int> sourceParts;
        std::vector<int> sinkParts;
        for (const CVSection* s : district.sources) {
            sources.push_back(index.value(s));
            sourceParts.push_back(component[std::size_t(sources.back())]);
        }
        for (const CVSection* s : district.sinks) {
            sinks.push_back(index.value(s));
            sinkParts.push_back(component[std::size_t(sinks.back())]);
        }
        sourceIndices.append(sources);
        sinkIndices.append(sinks);
        sourceComponents.append(sortedUnique(sourceParts));
        sinkComponents.append(sortedUnique(sinkParts));
    }
    reachable.resize(std::size_t(districts.size()));
    walked.reset(new std::once_flag[std::size_t(districts.size())]);
}

bool SumoDistricts::joins(int origin, int destination) const
{
    const std::vector<int>& out = sourceComponents[origin];
    const std::vector<int>& in = sinkComponents[destination];
    for (std::size_t i = 0, j = 0; i < out.size() && j < in.size();) {
        if (out[i] == in[j])
            return true;
        out[i] < in[j] ? ++i : ++j;
    }
    std::vector<char>& joined = reachable[std::size_t(origin)];
    std::call_once(walked[std::size_t(origin)], [&] {
        // Every section a trip from the origin's sources can reach.
        std::vector<char> seen(sectionOf.size(), 0);
        std::vector<int> queue = sourceIndices[origin];
        for (int s : queue)
            seen[std::size_t(s)] = 1;
        for (std::size_t i = 0; i < queue.size(); ++i) {
            for (int n : next[std::size_t(queue[i])]) {
                if (!seen[std::size_t(n)]) {
                    seen[std::size_t(n)] = 1;
                    queue.push_back(n);
                }
            }
        }
        joined.assign(std::size_t(districts.size()), 0);
        for (int d = 0; d < districts.size(); ++d) {
            const std::vector<int>& sinks = sinkIndices[d];
            joined[std::size_t(d)] =
                std::any_of(sinks.cbegin(), sinks.cend(), [&](int s) { return seen[std::size_t(s)] != 0; });
        }
    });
    return joined[std::size_t(destination)] != 0;
}

QString SumoDistricts::zoneName(const CVCentroid& centroid)
{
    return centroid.getName().isEmpty() ? QStringLiteral("c%1").arg(centroid.getId()) : centroid.getName();
}
