#include "cvroadtype.h"

#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

CV_REGISTER_TYPE(CVRoadType)

void CVRoadType::writeFields(CVFieldWriter& json) const
{
    json.insert(QStringLiteral("speed"), speed);
    json.insert(QStringLiteral("laneWidth"), laneWidth);
}

void CVRoadType::readFields(const CVSavedObject& json, CVReadContext&)
{
    speed = CVReadContext::number(json.value(QStringLiteral("speed")));
    laneWidth = CVReadContext::number(json.value(QStringLiteral("laneWidth")));
}
