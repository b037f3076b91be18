#include "cvdpoint.h"

#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVDPoint)

void CVDPoint::writeFields(CVFieldWriter& json) const
{
    json.insert(QStringLiteral("position"), position);
}

void CVDPoint::readFields(const CVSavedObject& json, CVReadContext&)
{
    position = json.point(QStringLiteral("position"));
}

QString CVDPoint::readProblem() const
{
    return CVReadContext::positionProblem(position);
}
