#pragma once

// Records of the detectors, beacons and annotation files.

struct ParamicsDetector
{
};

struct ParamicsBeacon
{
};

struct ParamicsAnnotation
{
};
