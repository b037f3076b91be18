#include "cvtext.h"

#include "cvregistry.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVText)

void CVText::writeFields(QJsonObject& json) const
{
    json.insert(QStringLiteral("position"), QJsonArray{position.x, position.y, position.z});
    json.insert(QStringLiteral("angle"), angle);
    json.insert(QStringLiteral("height"), height);
    json.insert(QStringLiteral("text"), text);
}
