// Trips that cannot travel: zones without a connection in or out, and OD
// pairs whose zones no path joins. A pair whose origin enters and whose
// destination is reached from the network's largest strongly connected
// component has a path; only the other pairs need a search, one per
// origin zone at most, kept for its further pairs.

#include "check/checktext.h"
#include "check/modelcheck.h"
#include "check/networkgraph.h"

#include "export/modelobjects.h"

#include <cvcentroid.h>
#include <cvodmatrix.h>

#include <algorithm>
#include <unordered_map>

namespace {

struct ZoneLoss
{
    double out = 0.0;  // trips from the zone that cannot leave it
    double in = 0.0;   // trips to the zone that cannot arrive
    double unreachable = 0.0;
    std::unordered_map<int, double> toZone;  // trips to zones without a path
};

class DemandCheck
{
public:
    explicit DemandCheck(const NetworkGraph& graph)
        : graph(graph), zones(std::size_t(graph.zoneCount())), seen(std::size_t(graph.vertexCount()), 0)
    {
        findMainComponent();
    }

    void addMatrix(const CVODMatrix& matrix)
    {
        matrix.forEachPair([this](unsigned int originId, unsigned int destinationId, double trips) {
            const int o = graph.zoneOf(originId);
            const int d = graph.zoneOf(destinationId);
            if (o < 0 || d < 0 || o == d || trips <= 0.0)
                return;
            ZoneLoss& origin = zones[std::size_t(o)];
            if (graph.outDegree(graph.source(o)) == 0) {
                origin.out += trips;
            } else if (graph.inDegree(graph.sink(d)) == 0) {
                zones[std::size_t(d)].in += trips;
            } else if (!(leavesIntoMain[std::size_t(o)] && arrivesFromMain[std::size_t(d)]) && !reaches(o, d)) {
                origin.toZone[d] += trips;
                origin.unreachable += trips;
            }
        });
    }

    void report(CheckReport& report) const
    {
        for (int zone = 0; zone < graph.zoneCount(); ++zone) {
            const ZoneLoss& loss = zones[std::size_t(zone)];
            const CVCentroid* centroid = graph.centroid(zone);
            const bool noOut = graph.outDegree(graph.source(zone)) == 0;
            const bool noIn = graph.inDegree(graph.sink(zone)) == 0;
            if ((noOut && noIn) || loss.out > 0.0 || loss.in > 0.0) {
                QString text = noOut && noIn ? QStringLiteral("no connection in or out")
                               : noOut       ? QStringLiteral("no connection out")
                                             : QStringLiteral("no connection in");
                if (loss.out + loss.in > 0.0)
                    text += QStringLiteral(": %1 trips lost").arg(loss.out + loss.in, 0, 'f', 1);
                report.findings.append(zoneFinding(CheckKind::ZoneUnconnected, centroid, text, loss.out + loss.in));
            }
            if (loss.unreachable > 0.0)
                report.findings.append(pathFinding(zone, loss));
        }
    }

private:
    static CheckFinding zoneFinding(CheckKind kind, const CVCentroid* centroid, const QString& text, double trips)
    {
        return {kind, text, {checkObject(centroid)}, centroid->getPosition(), true, trips};
    }

    CheckFinding pathFinding(int zone, const ZoneLoss& loss) const
    {
        CheckFinding finding = zoneFinding(CheckKind::OdWithoutPath, graph.centroid(zone), QString(), loss.unreachable);
        std::vector<int> destinations;
        for (const auto& entry : loss.toZone)
            destinations.push_back(entry.first);
        std::sort(destinations.begin(), destinations.end());
        for (int d : destinations)
            finding.objects.append(checkObject(graph.centroid(d)));
        finding.text = QStringLiteral("no path to %1 zone(s) (%2): %3 trips lost")
                           .arg(destinations.size())
                           .arg(CheckText::objectList(finding, CheckText::ObjectsShown, 1))
                           .arg(loss.unreachable, 0, 'f', 1);
        return finding;
    }

    void findMainComponent()
    {
        std::vector<int> sizes(std::size_t(graph.componentCount()), 0);
        for (int v = 0; v < graph.sectionCount(); ++v)
            ++sizes[std::size_t(graph.component(v))];
        const int main = sizes.empty() ? -1 : int(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
        leavesIntoMain.assign(std::size_t(graph.zoneCount()), 0);
        arrivesFromMain.assign(std::size_t(graph.zoneCount()), 0);
        for (int v = 0; v < graph.sectionCount(); ++v) {
            if (graph.component(v) != main)
                continue;
            graph.forEachSuccessor(v, [&](int w) {
                if (!graph.isSection(w))
                    arrivesFromMain[std::size_t(w - graph.sink(0))] = 1;
            });
        }
        for (int zone = 0; zone < graph.zoneCount(); ++zone) {
            graph.forEachSuccessor(graph.source(zone), [&](int s) {
                if (graph.component(s) == main)
                    leavesIntoMain[std::size_t(zone)] = 1;
            });
        }
    }

    bool reaches(int origin, int destination)
    {
        auto found = reached.find(origin);
        if (found == reached.end())
            found = reached.emplace(origin, search(graph.source(origin))).first;
        return found->second[std::size_t(destination)];
    }

    // The zones whose sinks a path from the vertex reaches.
    std::vector<char> search(int from)
    {
        ++stamp;
        std::vector<int> queue{from};
        seen[std::size_t(from)] = stamp;
        std::vector<char> sinks(std::size_t(graph.zoneCount()), 0);
        for (std::size_t i = 0; i < queue.size(); ++i) {
            const int v = queue[i];
            if (v >= graph.sink(0))
                sinks[std::size_t(v - graph.sink(0))] = 1;
            graph.forEachSuccessor(v, [&](int w) {
                if (seen[std::size_t(w)] != stamp) {
                    seen[std::size_t(w)] = stamp;
                    queue.push_back(w);
                }
            });
        }
        return sinks;
    }

    const NetworkGraph& graph;
    std::vector<ZoneLoss> zones;
    std::vector<char> leavesIntoMain;
    std::vector<char> arrivesFromMain;
    std::vector<int> seen;
    int stamp = 0;
    std::unordered_map<int, std::vector<char>> reached;
};

}  // namespace

void ModelCheck::checkDemand(const CVModel& model, const NetworkGraph& graph, CheckReport& report)
{
    DemandCheck check(graph);
    for (const CVODMatrix* matrix : modelObjects<CVODMatrix>(model, QStringLiteral("CVODMatrix")))
        check.addMatrix(*matrix);
    check.report(report);
}
