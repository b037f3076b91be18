#pragma once

#include "network/hostlookup.h"

#include <QMap>

class CVCentroid;
class CVCentroidConfiguration;
class CVLayer;
class CVModel;
class CVSection;
struct ParamicsZone;

// Centroids of the zones and their connections to the network, in three
// steps that the geometry build runs apart: the centroids before the
// sections, the extreme nodes and connections after the ramps.
class CentroidBuilder
{
public:
    CentroidBuilder(CVModel* model, CVLayer* layer, CVCentroidConfiguration* configuration,
                    const QMap<int, ParamicsZone*>& zones, const ParamicsNodeMap& nodes, const ParamicsLinkMap& links);

    // One centroid per zone, at the zone's centroid point.
    void createCentroids();
    // Each zone's node with the fewest sections.
    void calculateExtremeNodes();
    // Moves each centroid onto its extreme node and connects it.
    void createCentroidConnections();

private:
    void connectCentroid(CVCentroid* centroid, CVSection* section, int connectionType);
    void connectDeadEnds(CVCentroid* centroid, const ParamicsZone* zone);

    CVModel* model;
    CVLayer* layer;
    CVCentroidConfiguration* configuration;
    const QMap<int, ParamicsZone*>& zones;
    const ParamicsNodeMap& nodes;
    const ParamicsLinkMap& links;
};
