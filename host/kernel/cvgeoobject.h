#pragma once

#include "cvobject.h"

class CVLayer;

// An object shown on the map: it lives in one layer.
class CRVKERNEL_EXPORT CVGeoObject : public CVObject
{
public:
    CVGeoObject(CVModel* model, const CVType* type) : CVObject(model, type) {}

    CVLayer* getLayer() const { return layer; }
    void setLayer(CVLayer* newLayer) { layer = newLayer; }

private:
    CVLayer* layer = nullptr;
};
