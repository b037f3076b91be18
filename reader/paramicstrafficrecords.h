#pragma once

#include "reader/paramicsodvalues.h"

#include <QMap>
#include <QString>
#include <QTime>
#include <QVector>

// Records of the vehicles, demands, profile and matrix files.
//
// Owned by their containers in ParamicsRecordStore; each owns its values
// (a demand its rows, a matrix its values, a profile its steps). No record
// points to another: demands find their vehicle types and profile by
// number. Points to host objects: ParamicsVehicle::vehicle, the host
// vehicle type written back by VehicleBuilder (owned by the model, null
// before).

class CVVehicle;

// A vehicle type of the vehicles file: its class and its share of one
// demand matrix. Physical values come from the built-in class.
struct ParamicsVehicle
{
    explicit ParamicsVehicle(int typeNumber) : type(typeNumber) {}

    int type;
    CVVehicle* vehicle = nullptr;  // host vehicle type made from it, owned by the model
    QString className;             // "car", "lgv", "ogv1", "ogv2", "bus", "coach" or "minibus"; empty when none given
    int matrix = -1;               // demand matrix number; -1 when the type names none
    double proportion = 1.0;       // share of the matrix's trips, as a fraction
};

// One OD matrix of a demands file.
struct ParamicsDemand
{
    ParamicsDemand(int matrixNumber, int periodNumber) : matrix(matrixNumber), period(periodNumber) {}

    int matrix;  // selects the vehicle types that draw on it
    int period;  // the profile it follows
    // Origin zone number -> values in destination order, already divided
    // by the divisor in force when they were read.
    QMap<int, ParamicsOdValues> rows;
};

// A demand profile: the share of a matrix released in each time step.
struct ParamicsProfile
{
    explicit ParamicsProfile(int profileNumber, int intervalSeconds = 0)
        : number(profileNumber), interval(intervalSeconds)
    {
    }

    int number;
    int interval;           // length of one step, seconds
    QVector<float> values;  // percent of the matrix per step, already divided by the divisor
    QTime start;            // start of the first step; null when not given
};

// A whole-day matrix of the matrix file. It is square and its columns stand
// in the order of its rows.
struct ParamicsMatrix
{
    explicit ParamicsMatrix(int matrixNumber) : number(matrixNumber) {}

    // Trips from one zone to another; 0.0 when either zone has no row or the
    // position lies beyond the values read.
    double value(int origin, int destination) const
    {
        const auto row = rowIndex.constFind(origin);
        const auto column = rowIndex.constFind(destination);
        if (row == rowIndex.cend() || column == rowIndex.cend())
            return 0.0;
        const qint64 n = rowIndex.size();
        return values.at(qint64(row.value()) * n + column.value());
    }

    int number;
    ParamicsOdValues values;   // every value in file order, rows one after the other
    QMap<int, int> rowIndex;   // origin zone number -> 0-based row in reading order
};
