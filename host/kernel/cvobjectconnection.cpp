#include "cvobjectconnection.h"

#include "cvfieldwriter.h"
#include "cvgeoobject.h"
#include "cvreadcontext.h"
#include "cvsavedobject.h"

void CVObjectConnection::writeFields(CVFieldWriter& json) const
{
    json.insert(QStringLiteral("object"),
                connectionObject ? QJsonValue(qint64(connectionObject->getId())) : QJsonValue());
    json.insert(QStringLiteral("connectionType"), connectionType);
}

void CVObjectConnection::readFields(const CVSavedObject& json, CVReadContext& context)
{
    connectionObject = context.objectAs<CVGeoObject>(json.value(QStringLiteral("object")));
    connectionType = json.value(QStringLiteral("connectionType")).toInt();
}
