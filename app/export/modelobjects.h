#pragma once

#include <cvcatalog.h>
#include <cvmodel.h>

#include <QList>
#include <QString>

// The model's objects of one registered type, in id order, as the class the
// caller reads them through. Objects of another class are left out, and a
// type that is not registered gives an empty list, so exporters can ask for
// types that a build may lack.
template <typename T>
QList<T*> modelObjects(const CVModel& model, const QString& typeName)
{
    QList<T*> result;
    const CVType* type = model.getType(typeName);
    const CVCatalog* catalog = model.getCatalog();
    if (!type || !catalog)
        return result;
    const CVCatalog::ObjectsById* objects = catalog->getObjectsByType(type);
    if (!objects)
        return result;
    result.reserve(objects->size());
    for (CVObject* object : *objects) {
        if (T* typed = dynamic_cast<T*>(object))
            result.append(typed);
    }
    return result;
}
