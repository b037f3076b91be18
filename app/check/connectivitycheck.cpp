// Dead ends, sections that cannot be entered and parts of the network that
// are cut off from the rest.

#include "check/modelcheck.h"
#include "check/networkgraph.h"

#include <cvcentroid.h>
#include <cvsection.h>

#include <QStringList>

#include <algorithm>

namespace {

CheckFinding sectionFinding(CheckKind kind, const CVSection* section, const QString& text, bool atEnd)
{
    CheckFinding finding{kind, text, {checkObject(section)}, {}, false, 0.0};
    const CVPoints& points = section->getPoints();
    if (!points.isEmpty()) {
        finding.position = atEnd ? points.last() : points.first();
        finding.hasPosition = true;
    }
    return finding;
}

// Forward or backward reach of one component over the graph.
std::vector<char> reachOfComponent(const NetworkGraph& graph, int component, bool forward)
{
    const int n = graph.vertexCount();
    std::vector<std::vector<int>> predecessors;
    if (!forward) {
        predecessors.resize(std::size_t(n));
        for (int v = 0; v < n; ++v)
            graph.forEachSuccessor(v, [&](int w) { predecessors[std::size_t(w)].push_back(v); });
    }
    std::vector<char> seen(std::size_t(n), 0);
    std::vector<int> queue;
    for (int v = 0; v < n; ++v) {
        if (graph.component(v) == component) {
            seen[std::size_t(v)] = 1;
            queue.push_back(v);
        }
    }
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const auto visit = [&](int w) {
            if (!seen[std::size_t(w)]) {
                seen[std::size_t(w)] = 1;
                queue.push_back(w);
            }
        };
        if (forward)
            graph.forEachSuccessor(queue[i], visit);
        else
            std::for_each(predecessors[std::size_t(queue[i])].begin(), predecessors[std::size_t(queue[i])].end(), visit);
    }
    return seen;
}

// The component with the most sections: the network proper.
int mainComponent(const NetworkGraph& graph, std::vector<int>& sectionsPerComponent)
{
    sectionsPerComponent.assign(std::size_t(graph.componentCount()), 0);
    for (int v = 0; v < graph.sectionCount(); ++v)
        ++sectionsPerComponent[std::size_t(graph.component(v))];
    const auto largest = std::max_element(sectionsPerComponent.begin(), sectionsPerComponent.end());
    return largest == sectionsPerComponent.end() ? -1 : int(largest - sectionsPerComponent.begin());
}

void addParts(const NetworkGraph& graph, CheckReport& report)
{
    std::vector<int> sizes;
    const int main = mainComponent(graph, sizes);
    if (main < 0)
        return;
    const std::vector<char> fromMain = reachOfComponent(graph, main, true);
    const std::vector<char> toMain = reachOfComponent(graph, main, false);
    // A part is a component of two sections or more outside the network
    // proper; single sections outside it are dead ends or entries, told
    // by their own kinds or harmless.
    std::vector<QList<int>> members(std::size_t(graph.componentCount()));
    for (int v = 0; v < graph.sectionCount(); ++v) {
        const int c = graph.component(v);
        if (c != main && sizes[std::size_t(c)] >= 2)
            members[std::size_t(c)].append(v);
    }
    for (const QList<int>& part : members) {
        if (part.isEmpty())
            continue;
        const int first = part.first();
        const bool in = fromMain[std::size_t(first)];
        const bool out = toMain[std::size_t(first)];
        QString how = in ? QStringLiteral("can be entered but not left") : out ? QStringLiteral("can be left but not entered")
                                                                             : QStringLiteral("is cut off");
        CheckFinding finding = sectionFinding(CheckKind::DisconnectedPart, graph.section(first),
                                              QStringLiteral("%1 sections: the part %2").arg(part.size()).arg(how), false);
        finding.objects.clear();
        for (int v : part)
            finding.objects.append(checkObject(graph.section(v)));
        report.findings.append(finding);
    }
}

}  // namespace

void ModelCheck::checkConnectivity(const CVModel&, const NetworkGraph& graph, CheckReport& report)
{
    for (int v = 0; v < graph.sectionCount(); ++v) {
        const CVSection* section = graph.section(v);
        if (graph.outDegree(v) == 0)
            report.findings.append(sectionFinding(CheckKind::NoWayOut, section,
                                                  QStringLiteral("no turning and no centroid connection leaves it"), true));
        if (graph.inDegree(v) == 0)
            report.findings.append(sectionFinding(CheckKind::NoWayIn, section,
                                                  QStringLiteral("no turning and no centroid connection enters it"), false));
    }
    addParts(graph, report);
}
