#pragma once

#include "reader/paramicsbasevehicle.h"

#include <QMap>
#include <QString>
#include <QVector>

class CVModel;
class CVVehicle;
struct ParamicsVehicle;

using ParamicsBaseVehicleMap = QMap<QString, ParamicsBaseVehicle*>;
// Vehicle type records by demand matrix number, in file order.
using ParamicsVehicleMap = QMap<int, QVector<ParamicsVehicle*>>;

// Fills the table of built-in vehicle classes, replacing any entry of the
// same class name.
class BaseVehicleBuilder
{
public:
    explicit BaseVehicleBuilder(ParamicsBaseVehicleMap& baseVehicles);

    void build();

private:
    ParamicsBaseVehicleMap& baseVehicles;
};

// One host vehicle type per vehicle record of a built-in class; the record
// keeps it for the demand builder.
class VehicleBuilder
{
public:
    VehicleBuilder(CVModel* model, const ParamicsBaseVehicleMap& baseVehicles, const ParamicsVehicleMap& vehicles);

    void build();

private:
    CVVehicle* createVehicle(const ParamicsVehicle& record, const ParamicsBaseVehicle& base);

    CVModel* model;
    const ParamicsBaseVehicleMap& baseVehicles;
    const ParamicsVehicleMap& vehicles;
};
