#pragma once

#include <cvpoint.h>

#include <QString>
#include <QVector>

// Records of the zones, categories and centres files, each owned by its
// map in ParamicsRecordStore. Each owns its values and texts; none points
// to another record or to a host object. ParamicsZone::centroidId is the id
// of the host centroid written back by CentroidBuilder (0 before).

// A traffic zone: its box, centroid point and number.
struct ParamicsZone
{
    int id = 0;
    unsigned int centroidId = 0;
    QString extremeNode;
    CVPoint centroidPoint;
    double maxX = 0.0;
    double maxY = 0.0;
    double minX = 0.0;
    double minY = 0.0;
    int index = 0;
    QVector<QString> zoneNodes;

    // All four bounds inclusive; heights are ignored.
    bool contains(const CVPoint& p) const { return minX <= p.x && p.x <= maxX && minY <= p.y && p.y <= maxY; }
};

// Default attributes of the links of one category.
struct ParamicsCategory
{
    int id = -1;
    int lanes = 1;
    double speed = 50.0;   // km/h
    double width = 3.0;    // all lanes together, metres
    QString type = QStringLiteral("urban");
    double median = 0.0;
    double toll = 0.0;
    double cost = 0.0;
};

// The centre of the circular arc along which a curved link is drawn.
struct ParamicsCentre
{
    int id = 0;
    double x = 0.0;
    double y = 0.0;
    double radius = 0.0;
};
