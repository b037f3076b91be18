#pragma once

#include "cvobject.h"

// A road type, found by name in the catalogue. It carries the speed (km/h)
// and lane width (m) that a section of this type starts with.
class CRVKERNEL_EXPORT CVRoadType : public CVObject
{
public:
    CVRoadType(CVModel* model, const CVType* type) : CVObject(model, type) {}

    double getSpeed() const { return speed; }
    void setSpeed(double newSpeed) { speed = newSpeed; }
    double getLaneWidth() const { return laneWidth; }
    void setLaneWidth(double newLaneWidth) { laneWidth = newLaneWidth; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    double speed = 50.0;
    double laneWidth = 3.5;
};
