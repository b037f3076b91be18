#include "cvroadtype.h"

#include "cvregistry.h"

CV_REGISTER_TYPE(CVRoadType)

void CVRoadType::writeFields(QJsonObject& json) const
{
    json.insert(QStringLiteral("speed"), speed);
    json.insert(QStringLiteral("laneWidth"), laneWidth);
}
