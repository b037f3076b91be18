#pragma once

#include "cvbbox.h"
#include "cvobject.h"

class CVLayer;
class CVMapPainter;

// An object shown on the map: it lives in one layer.
class CRVKERNEL_EXPORT CVGeoObject : public CVObject
{
public:
    CVGeoObject(CVModel* model, const CVType* type) : CVObject(model, type) {}

    CVLayer* getLayer() const { return layer; }
    void setLayer(CVLayer* newLayer) { layer = newLayer; }

    // Map drawing: each type on the map draws itself and tells where it
    // lies, so that the map knows new types without being changed. The base
    // has no shape: it draws nothing and has an empty box.
    virtual CVBBox getBoundingBox() const { return CVBBox(); }
    virtual void draw(CVMapPainter& painter) const { Q_UNUSED(painter); }

private:
    CVLayer* layer = nullptr;
};
