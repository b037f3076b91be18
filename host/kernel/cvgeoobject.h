#pragma once

#include "cvbbox.h"
#include "cvobject.h"

#include <QVector>

#include <memory>

class CVLayer;
class CVMapPainter;

// An object shown on the map: it lives in one layer. Objects placed on
// another one (a stop or a detector on a section) are that object's top
// objects and know it as their parent.
class CRVKERNEL_EXPORT CVGeoObject : public CVObject
{
public:
    CVGeoObject(CVModel* model, const CVType* type) : CVObject(model, type) {}

    CVLayer* getLayer() const { return layer; }
    void setLayer(CVLayer* newLayer) { layer = newLayer; }

    void addTopObject(CVGeoObject* object);
    const QVector<CVGeoObject*>& getTopObjects() const;
    CVGeoObject* getParentObject() const { return stacking ? stacking->parentObject : nullptr; }

    // Map drawing: each type on the map draws itself and tells where it
    // lies, so that the map knows new types without being changed. The base
    // has no shape: it draws nothing and has an empty box.
    virtual CVBBox getBoundingBox() const { return CVBBox(); }
    virtual void draw(CVMapPainter& painter) const { Q_UNUSED(painter); }

private:
    // Few objects carry others or lie on one (stops and detectors on
    // sections): the links between them are kept apart, made when first
    // set, so that the sections, nodes and turnings of a model stay small.
    struct Stacking
    {
        CVGeoObject* parentObject = nullptr;
        QVector<CVGeoObject*> topObjects;
    };
    Stacking& stackingFields();

    CVLayer* layer = nullptr;
    std::unique_ptr<Stacking> stacking;
};
