#pragma once

#include "cvobject.h"
#include "cvtimeduration.h"

#include <QTime>

// A piece of traffic demand: a time slice and the vehicle type it applies to.
class CRVKERNEL_EXPORT CVTrafficDemandItem : public CVObject
{
public:
    CVTrafficDemandItem(CVModel* model, const CVType* type) : CVObject(model, type) {}

    void setInterval(const QTime& startTime, const CVTimeDuration& length);
    QTime getStart() const { return start; }
    CVTimeDuration getDuration() const { return duration; }
    void setVehicle(CVObject* vehicleType) { vehicle = vehicleType; }
    CVObject* getVehicle() const { return vehicle; }

    // "<vehicle type> hh:mm:ss - hh:mm:ss"; with longName the item's type comes first.
    QString getNameAutomatically(bool longName) const;

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    QString readProblem() const override;

private:
    QTime start = QTime(0, 0);
    CVTimeDuration duration;
    CVObject* vehicle = nullptr;
};
