#pragma once

#include <QVector>

#include <vector>

class CVCentroid;
class CVModel;
class CVSection;

// Where traffic can go in a model: one vertex per section and two per
// zone's centroid (a source that trips leave, a sink they arrive at, so
// that no path runs through a zone), an arc per turning (section to
// section) and per centroid connection (source into section, section
// into sink). Built once per check, with its strongly connected
// components.
class NetworkGraph
{
public:
    explicit NetworkGraph(const CVModel& model);

    int sectionCount() const { return int(sections.size()); }
    int zoneCount() const { return int(centroids.size()); }
    int vertexCount() const { return sectionCount() + 2 * zoneCount(); }
    const CVSection* section(int vertex) const { return sections[std::size_t(vertex)]; }
    const CVCentroid* centroid(int zone) const { return centroids[std::size_t(zone)]; }
    bool isSection(int vertex) const { return vertex < sectionCount(); }
    int source(int zone) const { return sectionCount() + zone; }
    int sink(int zone) const { return sectionCount() + zoneCount() + zone; }
    // By host id: the vertex of a section, the zone of a centroid; -1 for any other id.
    int sectionVertex(unsigned int id) const { return id < byId.size() && byId[id] >= 0 ? byId[id] : -1; }
    int zoneOf(unsigned int id) const { return id < byId.size() && byId[id] <= -2 ? -2 - byId[id] : -1; }

    int outDegree(int vertex) const { return outStart[std::size_t(vertex) + 1] - outStart[std::size_t(vertex)]; }
    int inDegree(int vertex) const { return inDegrees[std::size_t(vertex)]; }
    template <typename Visit>
    void forEachSuccessor(int vertex, Visit visit) const
    {
        for (int i = outStart[std::size_t(vertex)]; i < outStart[std::size_t(vertex) + 1]; ++i)
            visit(targets[std::size_t(i)]);
    }

    // Strongly connected components: component(v) in 0..componentCount()-1.
    int componentCount() const { return components; }
    int component(int vertex) const { return componentOf[std::size_t(vertex)]; }

private:
    void addVertices(const CVModel& model);
    void addArcs(const CVModel& model);
    void findComponents();

    std::vector<const CVSection*> sections;
    std::vector<const CVCentroid*> centroids;
    std::vector<int> byId;  // section vertex, or -2 - zone; -1 for other ids
    std::vector<int> outStart;  // arcs of v: targets[outStart[v] .. outStart[v+1])
    std::vector<int> targets;
    std::vector<int> inDegrees;
    std::vector<int> componentOf;
    int components = 0;
};
