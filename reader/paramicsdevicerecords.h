#pragma once

#include <cvpoint.h>

#include <QString>

// Records of the detectors, beacons and annotation files.
//
// Owned by their lists in ParamicsRecordStore; each owns its values and
// texts. They name their link by text ("from:to") and point to no record
// and no host object.

// A loop detector on a link.
struct ParamicsDetector
{
    QString id;
    double position = 0.0;  // metres from the start of the link
    QString link;           // "start node:end node"
    double length = 0.0;    // length of the detection zone, metres
};

// A variable message sign on a link.
struct ParamicsBeacon
{
    QString id;
    QString link;           // "start node:end node"
    double position = 0.0;  // metres from the start of the link
};

// A text label on the map.
struct ParamicsAnnotation
{
    QString text;       // quotes included
    CVPoint position;   // x and y in metres; z carries the text height
};
