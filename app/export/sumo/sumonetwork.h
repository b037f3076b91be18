#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

class CVModel;
class CVNode;
class CVObject;
class CVSection;
class CVTurning;

// The model's road network as SUMO sees it: one edge per section, the
// nodes at its ends, one connection per lane pair of every turning, and
// which nodes are signalised. Ids: node "n<id>", edge "e<id>"; a section
// that lacks an end node gets a node of its own there ("n<id>.from",
// "n<id>.to").
//
// Lanes: SUMO numbers an edge's lanes from 0 at the right, the host from 0
// at the left, so host lane i of an n-lane section is SUMO lane n - 1 - i.
// A SUMO edge has one lane count along its whole length; a section's side
// lanes (entrance and exit lanes, and lanes missing over part of a cut
// section) are given the whole length, so every lane a turning uses
// exists on the edge.
class SumoNetwork
{
public:
    struct Connection
    {
        const CVTurning* turning = nullptr;
        const CVSection* from = nullptr;
        const CVSection* to = nullptr;
        int fromLane = 0;  // SUMO lane indices
        int toLane = 0;
    };

    explicit SumoNetwork(const CVModel& model);

    static QString edgeId(const CVSection* section);
    static QString nodeId(const CVNode* node);
    // A vehicle type's id in the route and OD files, unique in its model;
    // empty for none.
    static QString vehicleTypeId(const CVObject* vehicle);
    static int sumoLane(int hostLane, int laneCount) { return laneCount - 1 - hostLane; }
    // The lane pairs of a turning between host lane ranges [originFrom,
    // originTo] and [destinationFrom, destinationTo]: as many pairs as the
    // wider range has lanes, spread evenly over the narrower one, so every
    // lane of both ranges is used once at least. Host lane indices.
    static QVector<QPair<int, int>> lanePairs(int originFrom, int originTo, int destinationFrom, int destinationTo);

    const CVModel& model() const { return source; }
    const QVector<const CVSection*>& sections() const { return sectionList; }
    bool isExported(const CVSection* section) const { return exported.contains(section); }
    const QVector<Connection>& connections() const { return connectionList; }
    // Ids of the nodes that have a junction in a control plan.
    bool isSignalised(unsigned int nodeId) const { return signalised.contains(nodeId); }
    // The edge's end nodes as written: the section's node or its own one.
    QString fromNode(const CVSection* section) const;
    QString toNode(const CVSection* section) const;

private:
    static QString cleanedId(const QString& name);
    void collectSections();
    void collectConnections();
    void collectSignalisedNodes();

    const CVModel& source;
    QVector<const CVSection*> sectionList;
    QSet<const CVSection*> exported;
    QVector<Connection> connectionList;
    QHash<unsigned int, bool> signalised;
};
