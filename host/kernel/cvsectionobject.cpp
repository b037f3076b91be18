#include "cvsectionobject.h"

#include "cvregistry.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVBusStop)
CV_REGISTER_TYPE(CVDetector)
CV_REGISTER_TYPE(CVVMS)

void CVSectionObject::writeFields(QJsonObject& json) const
{
    const CVGeoObject* section = getSection();
    json.insert(QStringLiteral("section"), section ? QJsonValue(qint64(section->getId())) : QJsonValue(QJsonValue::Null));
    json.insert(QStringLiteral("position"), double(position));
    json.insert(QStringLiteral("lanes"), QJsonArray{fromLane, toLane});
    json.insert(QStringLiteral("length"), double(length));
}
