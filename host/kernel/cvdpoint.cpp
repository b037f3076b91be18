#include "cvdpoint.h"

#include "cvregistry.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVDPoint)

void CVDPoint::writeFields(QJsonObject& json) const
{
    json.insert(QStringLiteral("position"), QJsonArray{position.x, position.y, position.z});
}
