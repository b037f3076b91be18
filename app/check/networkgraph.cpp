#include "check/networkgraph.h"

#include "export/modelobjects.h"

#include <cvcenconnection.h>
#include <cvcentroid.h>
#include <cvmodel.h>
#include <cvsection.h>
#include <cvturning.h>

#include <algorithm>
#include <utility>

NetworkGraph::NetworkGraph(const CVModel& model)
{
    addVertices(model);
    addArcs(model);
    findComponents();
}

void NetworkGraph::addVertices(const CVModel& model)
{
    for (const CVSection* s : modelObjects<CVSection>(model, QStringLiteral("CVSection")))
        sections.push_back(s);
    for (const CVCentroid* c : modelObjects<CVCentroid>(model, QStringLiteral("CVCentroid")))
        centroids.push_back(c);
    byId.assign(std::size_t(model.getLastId()) + 1, -1);
    for (int v = 0; v < sectionCount(); ++v) {
        if (section(v)->getId() < byId.size())
            byId[section(v)->getId()] = v;
    }
    for (int zone = 0; zone < zoneCount(); ++zone) {
        if (centroid(zone)->getId() < byId.size())
            byId[centroid(zone)->getId()] = -2 - zone;
    }
}

void NetworkGraph::addArcs(const CVModel& model)
{
    std::vector<std::pair<int, int>> arcs;
    for (const CVTurning* t : modelObjects<CVTurning>(model, QStringLiteral("CVTurning"))) {
        const int from = t->getOrigin() ? sectionVertex(t->getOrigin()->getId()) : -1;
        const int to = t->getDestination() ? sectionVertex(t->getDestination()->getId()) : -1;
        if (from >= 0 && to >= 0)
            arcs.emplace_back(from, to);
    }
    for (int zone = 0; zone < zoneCount(); ++zone) {
        for (const CVObjectConnection* c : centroid(zone)->getConnections()) {
            const int s = c->getConnectionObject() ? sectionVertex(c->getConnectionObject()->getId()) : -1;
            if (s < 0)
                continue;
            // Type 0: trips leave the centroid into the section; 1: they arrive from it.
            if (c->getConnectionType() == 0)
                arcs.emplace_back(source(zone), s);
            else
                arcs.emplace_back(s, sink(zone));
        }
    }
    outStart.assign(std::size_t(vertexCount()) + 1, 0);
    inDegrees.assign(std::size_t(vertexCount()), 0);
    for (const auto& arc : arcs) {
        ++outStart[std::size_t(arc.first) + 1];
        ++inDegrees[std::size_t(arc.second)];
    }
    for (std::size_t v = 1; v < outStart.size(); ++v)
        outStart[v] += outStart[v - 1];
    targets.resize(arcs.size());
    std::vector<int> next(outStart.begin(), outStart.end() - 1);
    for (const auto& arc : arcs)
        targets[std::size_t(next[std::size_t(arc.first)]++)] = arc.second;
}

// Tarjan's algorithm without recursion: a region has paths of tens of
// thousands of sections, deeper than the stack allows.
void NetworkGraph::findComponents()
{
    const int n = vertexCount();
    std::vector<int> index(std::size_t(n), -1);
    std::vector<int> low(std::size_t(n), 0);
    std::vector<char> onStack(std::size_t(n), 0);
    std::vector<int> stack;
    std::vector<std::pair<int, int>> calls;  // vertex, next arc to look at
    componentOf.assign(std::size_t(n), -1);
    int counter = 0;
    for (int root = 0; root < n; ++root) {
        if (index[std::size_t(root)] >= 0)
            continue;
        calls.emplace_back(root, outStart[std::size_t(root)]);
        index[std::size_t(root)] = low[std::size_t(root)] = counter++;
        stack.push_back(root);
        onStack[std::size_t(root)] = 1;
        while (!calls.empty()) {
            auto& [v, arc] = calls.back();
            if (arc < outStart[std::size_t(v) + 1]) {
                const int w = targets[std::size_t(arc++)];
                if (index[std::size_t(w)] < 0) {
                    index[std::size_t(w)] = low[std::size_t(w)] = counter++;
                    stack.push_back(w);
                    onStack[std::size_t(w)] = 1;
                    calls.emplace_back(w, outStart[std::size_t(w)]);
                } else if (onStack[std::size_t(w)]) {
                    low[std::size_t(v)] = std::min(low[std::size_t(v)], index[std::size_t(w)]);
                }
                continue;
            }
            const int done = v;
            calls.pop_back();
            if (!calls.empty())
                low[std::size_t(calls.back().first)] = std::min(low[std::size_t(calls.back().first)], low[std::size_t(done)]);
            if (low[std::size_t(done)] == index[std::size_t(done)]) {
                int w;
                do {
                    w = stack.back();
                    stack.pop_back();
                    onStack[std::size_t(w)] = 0;
                    componentOf[std::size_t(w)] = components;
                } while (w != done);
                ++components;
            }
        }
    }
}
