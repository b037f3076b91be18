#include "cvgeoobject.h"

CVGeoObject::Stacking& CVGeoObject::stackingFields()
{
    if (!stacking)
        stacking = std::make_unique<Stacking>();
    return *stacking;
}

const QVector<CVGeoObject*>& CVGeoObject::getTopObjects() const
{
    static const QVector<CVGeoObject*> none;
    return stacking ? stacking->topObjects : none;
}

void CVGeoObject::addTopObject(CVGeoObject* object)
{
    if (!object || object == this || object->getParentObject() == this)
        return;
    object->stackingFields().parentObject = this;
    stackingFields().topObjects.append(object);
}
