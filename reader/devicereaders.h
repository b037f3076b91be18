#pragma once

#include "reader/paramicsdevicerecords.h"
#include "reader/paramicstokenstream.h"

#include <QVector>

#include <limits>

// Readers of the detectors and beacons (variable message signs) files.
// After a keyword's values are taken, the loop looks at the last value
// token again: names, numbers and units are skipped there, while a keyword
// written in place of a value still takes effect ("vms count 2" begins a
// sign named count, then sets the count).

// "loop ID" (or "sloop ID") begins a detector; "link", "at" and "length"
// fill the current one and are ignored before the first.
class DetectorsReader
{
public:
    DetectorsReader(ParamicsTokenStream& stream, QVector<ParamicsDetector*>& detectors)
        : in(stream), detectors(detectors)
    {
    }
    ~DetectorsReader() { delete current; }
    DetectorsReader(const DetectorsReader&) = delete;
    DetectorsReader& operator=(const DetectorsReader&) = delete;

    void read();

private:
    void fileCurrent();

    ParamicsTokenStream& in;
    QVector<ParamicsDetector*>& detectors;
    ParamicsDetector* current = nullptr;
};

// "vms ID" begins a sign. With "count N", beginning sign N + 1 ends the
// file and that sign is not kept; without it there is no limit.
class BeaconsReader
{
public:
    BeaconsReader(ParamicsTokenStream& stream, QVector<ParamicsBeacon*>& beacons) : in(stream), beacons(beacons) {}
    ~BeaconsReader() { delete current; }
    BeaconsReader(const BeaconsReader&) = delete;
    BeaconsReader& operator=(const BeaconsReader&) = delete;

    void read();

private:
    void fileCurrent();

    ParamicsTokenStream& in;
    QVector<ParamicsBeacon*>& beacons;
    ParamicsBeacon* current = nullptr;
};
