#include "cvlayer.h"

#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVLayer)

void CVLayer::addObject(CVObject* object)
{
    objects.append(object);
}

void CVLayer::writeFields(CVFieldWriter& json) const
{
    json.insert(QStringLiteral("level"), level);
    json.insert(QStringLiteral("internalName"), internalName);
    QJsonArray ids;
    for (const CVObject* object : objects)
        ids.append(qint64(object->getId()));
    json.insert(QStringLiteral("members"), ids);
}

void CVLayer::readFields(const CVSavedObject& json, CVReadContext& context)
{
    level = json.value(QStringLiteral("level")).toInt();
    internalName = json.value(QStringLiteral("internalName")).toString();
    for (CVObject* object : context.objectList(json.value(QStringLiteral("members")))) {
        if (auto* geoObject = dynamic_cast<CVGeoObject*>(object))
            geoObject->setLayer(this);
        addObject(object);
    }
}
