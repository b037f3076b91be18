#pragma once

#include "export/sumo/sumoscenario.h"

#include <cvimportsettings.h>

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
// Lanes: the host numbers a section's lanes from 0 at the left. SUMO
// numbers them from 0 at the kerb: at the right in right-hand traffic, so
// host lane i of an n-lane section is SUMO lane n - 1 - i there, and at the
// left in a left-hand network, where host lane i is SUMO lane i.
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

    explicit SumoNetwork(const CVModel& model, const SumoOverrides& overrides = {});

    static QString edgeId(const CVSection* section);
    static QString nodeId(const CVNode* node);
    // A vehicle type's id in the route and OD files, unique in its model;
    // empty for none.
    static QString vehicleTypeId(const CVObject* vehicle);
    static int sumoLane(int hostLane, int laneCount, CVRoadSide side)
    {
        return side == CVRoadSide::Left ? hostLane : laneCount - 1 - hostLane;
    }
    // "e<id>_<SUMO lane>" of a host lane.
    QString laneId(const CVSection* section, int hostLane) const;
    // The model's rule of the road, which the network is built for.
    CVRoadSide roadSide() const { return side; }
    // The lane pairs of a turning between host lane ranges [originFrom,
    // originTo] and [destinationFrom, destinationTo]: as many pairs as the
    // wider range has lanes, spread evenly over the narrower one, so every
    // lane of both ranges is used once at least. Host lane indices.
    static QVector<QPair<int, int>> lanePairs(int originFrom, int originTo, int destinationFrom, int destinationTo);

    const CVModel& model() const { return source; }
    // The scenario the simulation runs: its clock, demand share and signals' times.
    const SumoScenario& scenario() const { return scenarioValues; }
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
    CVRoadSide side = CVRoadSide::Right;
    SumoScenario scenarioValues;
    QVector<const CVSection*> sectionList;
    QSet<const CVSection*> exported;
    QVector<Connection> connectionList;
    QHash<unsigned int, bool> signalised;
};
