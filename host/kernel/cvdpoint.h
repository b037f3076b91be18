#pragma once

#include "cvgeoobject.h"
#include "cvpoint.h"

// A map object that stands at one point (nodes, centroids).
class CRVKERNEL_EXPORT CVDPoint : public CVGeoObject
{
public:
    CVDPoint(CVModel* model, const CVType* type) : CVGeoObject(model, type) {}

    const CVPoint& getPosition() const { return position; }
    void setPosition(const CVPoint& newPosition) { position = newPosition; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    QString readProblem() const override;

private:
    CVPoint position;
};
