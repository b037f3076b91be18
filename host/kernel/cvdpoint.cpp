#include "cvdpoint.h"

#include "cvreadcontext.h"
#include "cvregistry.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVDPoint)

void CVDPoint::writeFields(QJsonObject& json) const
{
    json.insert(QStringLiteral("position"), QJsonArray{position.x, position.y, position.z});
}

void CVDPoint::readFields(const QJsonObject& json, CVReadContext&)
{
    position = CVReadContext::point(json.value(QStringLiteral("position")));
}
