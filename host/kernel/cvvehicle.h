#pragma once

#include "cvobject.h"

// A vehicle type; its attributes are data values of the vehicle columns.
class CRVKERNEL_EXPORT CVVehicle : public CVObject
{
public:
    CVVehicle(CVModel* model, const CVType* type) : CVObject(model, type) {}
};
