#pragma once

#include "network/hostlookup.h"

#include <QHash>
#include <QMap>
#include <QVector>

#include <utility>

class CVLayer;
class CVModel;
class CVPoint;
class CVRoadType;
class CVSection;
struct ParamicsCategory;
struct ParamicsCentre;

// Builds one host section per link that is not barred and whose nodes
// were read: its name, road type, speed and lanes, and its centre line,
// straight or along an arc, cut back at its nodes and moved sideways so
// that the two directions of a road lie side by side. Links with ramps are
// collected for the ramp builder.
class SectionBuilder
{
public:
    SectionBuilder(CVModel* model, CVLayer* layer, const ParamicsLinkMap& links, const ParamicsNodeMap& nodes,
                   const QMap<int, ParamicsCategory*>& categories, const QMap<int, ParamicsCentre*>& centres,
                   bool rightHandDrive, ParamicsLinkMap& rampLinks);

    void build();

    // The cut-back of a section at its start or end node.
    double calculateOrigDistance(ParamicsNode* node, double laneWidth) const;
    double calculateDestDistance(ParamicsNode* node, double laneWidth) const;
    // The sideways shift of a two-way link's centre line, to the right
    // with right-hand traffic.
    double calculateParallelDistance(ParamicsLink* link) const;
    // The point of the arc around the centre halfway between two angles.
    void createIntermediatePoint(double angle1, double angle2, int centre, CVPoint* point) const;

private:
    const ParamicsCategory& linkCategory(const ParamicsLink* link) const;
    static int categoryLanes(const ParamicsCategory& category);
    CVRoadType* findRoadType(const QString& name) const;
    void setSectionAttributes(CVSection* section, const ParamicsLink* link, const ParamicsCategory& category);
    // A node's open links, entering and leaving, counted once per node.
    using OpenLinkCounts = QHash<const ParamicsNode*, std::pair<int, int>>;
    void buildCentreLine(CVSection* section, ParamicsLink* link, ParamicsNode* startNode, ParamicsNode* endNode,
                         OpenLinkCounts& openLinks) const;
    void buildStraightCentreLine(CVSection* section, ParamicsLink* link, const CVPoint& start, const CVPoint& end,
                                 double originCut, double destinationCut) const;
    void buildArcCentreLine(CVSection* section, ParamicsLink* link, const CVPoint& start, const CVPoint& end,
                            double originCut, double destinationCut) const;
    int countOpenLinks(const ParamicsSectionList& entries) const;
    // calculateOrigDistance while building: a node's open links are counted
    // once, not again for every section that starts or ends there.
    double cutBackWhileBuilding(const ParamicsNode* node, double laneWidth, OpenLinkCounts& openLinks) const;
    static double cutBack(int entering, int leaving, double laneWidth);

    CVModel* model;
    CVLayer* layer;
    const ParamicsLinkMap& links;
    const ParamicsNodeMap& nodes;
    const QMap<int, ParamicsCategory*>& categories;
    const QMap<int, ParamicsCentre*>& centres;
    const bool rightHandDrive;
    ParamicsLinkMap& rampLinks;
};
