#pragma once

#include <QString>

// Owned by its map in ParamicsRecordStore; values only, no pointers.

// A built-in vehicle class: the physical values that every vehicle type of
// the class takes. -1 marks a value the class does not give.
struct ParamicsBaseVehicle
{
    static constexpr double NotGiven = -1.0;

    QString className;
    double length = NotGiven;    // m
    double width = NotGiven;     // m
    double maxSpeed = NotGiven;  // km/h
    double maxAccel = NotGiven;  // m/s2
    double maxDecel = NotGiven;  // m/s2
};
