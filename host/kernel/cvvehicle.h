#pragma once

#include "cvobject.h"

// A vehicle type; its physical attributes are data values of the
// "CVVehicle::..." columns.
class CRVKERNEL_EXPORT CVVehicle : public CVObject
{
public:
    CVVehicle(CVModel* model, const CVType* type) : CVObject(model, type) {}
    void writeFields(QJsonObject& json) const override;
};
