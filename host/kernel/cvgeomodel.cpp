#include "cvgeomodel.h"

#include "cvlayer.h"
#include "cvsystem.h"

void CVGeoModel::add(CVLayer* layer, CVObject* object)
{
    if (!object)
        return;
    if (layer) {
        if (auto* geoObject = dynamic_cast<CVGeoObject*>(object))
            geoObject->setLayer(layer);
        layer->addObject(object);
        return;
    }
    if (auto* newLayer = dynamic_cast<CVLayer*>(object)) {
        if (!layers.contains(newLayer))
            layers.append(newLayer);
        if (!activeLayer)
            activeLayer = newLayer;
    }
}

CVLayer* CVGeoModel::getActiveLayer(bool create)
{
    if (!activeLayer && create) {
        auto* layer = static_cast<CVLayer*>(CVSystem::getSystem().newObject(QStringLiteral("CVLayer"), model, -1, true));
        add(nullptr, layer);
    }
    return activeLayer;
}
