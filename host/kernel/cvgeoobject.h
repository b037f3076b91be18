#pragma once

#include "cvobject.h"

#include <QVector>

class CVLayer;

// An object shown on the map: it lives in one layer.
class CRVKERNEL_EXPORT CVGeoObject : public CVObject
{
public:
    CVGeoObject(CVModel* model, const CVType* type) : CVObject(model, type) {}

    CVLayer* getLayer() const { return layer; }
    void setLayer(CVLayer* newLayer) { layer = newLayer; }

    // Objects placed on this one (stops and detectors on a section); they
    // belong to the model, this object only lists them.
    void addTopObject(CVGeoObject* object)
    {
        if (object && object != this && !topObjects.contains(object))
            topObjects.append(object);
    }
    const QVector<CVGeoObject*>& getTopObjects() const { return topObjects; }

private:
    CVLayer* layer = nullptr;
    QVector<CVGeoObject*> topObjects;
};
