#include "cvobjectconnection.h"

void CVObjectConnection::writeFields(QJsonObject& json) const
{
    json.insert(QStringLiteral("object"),
                connectionObject ? QJsonValue(qint64(connectionObject->getId())) : QJsonValue());
    json.insert(QStringLiteral("type"), connectionType);
}
