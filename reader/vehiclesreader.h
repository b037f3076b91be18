#pragma once

#include "reader/paramicstokenstream.h"
#include "reader/paramicstrafficrecords.h"

#include <QMap>
#include <QVector>

// The vehicles file: vehicle types, filed under the demand matrix they
// draw on.
//
// Each type block starts at "type" and runs to the next one. A block is
// filed under its matrix only when it ends, so the last "matrix" of the
// block decides where it goes. After a value is taken, the loop looks at the
// value token again: a number is skipped there, a keyword written in its
// place still takes effect. Keywords before the first "type" have no block
// to apply to and are ignored with their values.
class VehiclesReader
{
public:
    VehiclesReader(ParamicsTokenStream& stream, QMap<int, QVector<ParamicsVehicle*>>& vehicles)
        : in(stream), vehicles(vehicles)
    {
    }
    ~VehiclesReader() { delete current; }
    VehiclesReader(const VehiclesReader&) = delete;
    VehiclesReader& operator=(const VehiclesReader&) = delete;

    void read();

private:
    void fileCurrent();

    ParamicsTokenStream& in;
    QMap<int, QVector<ParamicsVehicle*>>& vehicles;
    ParamicsVehicle* current = nullptr;
};
