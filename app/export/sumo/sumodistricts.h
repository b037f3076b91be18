#pragma once

#include <QString>
#include <QHash>
#include <QVector>

#include <memory>
#include <mutex>
#include <vector>

class CVCentroid;
class CVSection;
class SumoNetwork;

// The district of every centroid: the exported sections its trips start on
// (sources: its connections that leave it) and end on (sinks: those that
// reach it). A centroid that has sinks but no source gets as sources the
// sections that run the other way along its sinks (the same road in the
// opposite direction), or else those that carry on from where its sinks
// end; one with sources but no sink likewise gets the sections that run
// the other way along its sources, or else those that lead to where its
// sources begin. A centroid with neither keeps none: its trips cannot be
// placed, and the export says so.
class SumoDistricts
{
public:
    struct District
    {
        const CVCentroid* centroid = nullptr;
        QVector<const CVSection*> sources;
        QVector<const CVSection*> sinks;
    };

    explicit SumoDistricts(const SumoNetwork& network);

    const QVector<District>& all() const { return districts; }
    // The index in all() of a centroid's district, -1 for none.
    int districtOf(unsigned int centroidId) const
    {
        if (!bySparseCentroidId.isEmpty())
            return bySparseCentroidId.value(centroidId, -1);
        // Below the first id the difference wraps round to a large number.
        const std::size_t at = std::size_t(centroidId - firstCentroidId);
        return at < byCentroidId.size() ? byCentroidId[at] : -1;
    }
    // Whether trips can start in, or end in, the district of that index.
    bool hasSources(int district) const { return !districts[district].sources.isEmpty(); }
    bool hasSinks(int district) const { return !districts[district].sinks.isEmpty(); }
    // Whether some route over the exported turnings leads from one of the
    // origin district's sources to one of the destination district's sinks
    // (indices in all(), the one with sources, the other with sinks). The
    // walk from an origin is made once, the first time it is asked for, by
    // whichever thread asks first.
    bool joins(int origin, int destination) const;
    // The zone a centroid stands for, in a modeller's words.
    static QString zoneName(const CVCentroid& centroid);

private:
    void buildRoutes(const SumoNetwork& network);

    QVector<District> districts;
    // Index into districts by centroid id, -1 for none: a vector while the
    // ids span about as many numbers as there are centroids (as imports
    // number them), a table otherwise, so that ids far apart size nothing.
    std::vector<int> byCentroidId;  // from firstCentroidId on
    unsigned int firstCentroidId = 0;
    QHash<unsigned int, int> bySparseCentroidId;
    // Section index -> the section indices its turnings lead to.
    std::vector<std::vector<int>> next;
    std::vector<const CVSection*> sectionOf;
    QVector<std::vector<int>> sourceIndices;  // per district
    QVector<std::vector<int>> sinkIndices;
    // The strongly connected component of every section, and per district
    // the components of its sources and sinks (sorted): a source and a sink
    // in one component are joined, which answers most pairs without a walk.
    std::vector<int> component;
    QVector<std::vector<int>> sourceComponents;
    QVector<std::vector<int>> sinkComponents;
    mutable std::vector<std::vector<char>> reachable;  // per district: destinations joined, once asked
    std::unique_ptr<std::once_flag[]> walked;           // per district: reachable filled
};
