#pragma once

#include "cvexport.h"

#include <QVector>

class CVLayer;
class CVObject;
class CVModel;

// The map side of the model: its layers and which one is active.
class CRVKERNEL_EXPORT CVGeoModel
{
public:
    explicit CVGeoModel(CVModel* model) : model(model) {}

    // With a layer: shows the object in that layer. Without one: the object
    // must be a layer, which joins the model's layers (the first becomes active).
    void add(CVLayer* layer, CVObject* object);
    CVLayer* getActiveLayer(bool create = false);
    void setActiveLayer(CVLayer* layer) { activeLayer = layer; }
    const QVector<CVLayer*>& getLayers() const { return layers; }

private:
    CVModel* model;
    QVector<CVLayer*> layers;
    CVLayer* activeLayer = nullptr;
};
