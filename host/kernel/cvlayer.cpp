#include "cvlayer.h"

#include "cvregistry.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVLayer)

void CVLayer::addObject(CVObject* object)
{
    objects.append(object);
}

void CVLayer::writeFields(QJsonObject& json) const
{
    json.insert(QStringLiteral("level"), level);
    json.insert(QStringLiteral("internalName"), internalName);
    QJsonArray ids;
    for (const CVObject* object : objects)
        ids.append(qint64(object->getId()));
    json.insert(QStringLiteral("members"), ids);
}
