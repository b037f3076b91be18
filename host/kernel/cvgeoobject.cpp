#include "cvgeoobject.h"

void CVGeoObject::addTopObject(CVGeoObject* object)
{
    if (!object || object == this || object->parentObject == this)
        return;
    object->parentObject = this;
    topObjects.append(object);
}
