#pragma once

#include "cvobject.h"

// A vehicle type; its physical attributes are data values of the
// "CVVehicle::..." columns.
class CRVKERNEL_EXPORT CVVehicle : public CVObject
{
public:
    CVVehicle(CVModel* model, const CVType* type) : CVObject(model, type) {}
    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    // The attributes are the vehicle's data values: saved once, under their own name.
    bool savesDataValues() const override { return false; }
};
