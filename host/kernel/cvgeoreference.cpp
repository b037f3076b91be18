#include "cvgeoreference.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QStringList>

#include <cmath>

namespace {

bool withinOffset(double value)
{
    return std::isfinite(value) && std::fabs(value) <= CVGeoReference::MaximumOffset;
}

bool withinRotation(double value)
{
    return std::isfinite(value) && std::fabs(value) <= CVGeoReference::MaximumRotation;
}

QString number(double value)
{
    return QString::number(value, 'g', 15);
}

}  // namespace

CVPoint CVGeoReference::place(const CVPoint& plane) const
{
    if (rotation == 0.0)
        return CVPoint(originEasting + plane.x, originNorthing + plane.y, plane.z);
    const double radians = rotation * M_PI / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return CVPoint(originEasting + plane.x * c - plane.y * s, originNorthing + plane.x * s + plane.y * c, plane.z);
}

bool CVGeoReference::operator==(const CVGeoReference& other) const
{
    return crs == other.crs && originEasting == other.originEasting && originNorthing == other.originNorthing
           && rotation == other.rotation;
}

QJsonObject CVGeoReference::toJson() const
{
    return QJsonObject{
        {QStringLiteral("crs"), crs},
        {QStringLiteral("origin"), QJsonArray{originEasting, originNorthing}},
        {QStringLiteral("rotation"), rotation},
    };
}

std::optional<CVGeoReference> CVGeoReference::fromJson(const QJsonObject& json, QString* problem)
{
    const auto fail = [problem](const QString& what) {
        if (problem)
            *problem = what;
        return std::nullopt;
    };
    const QJsonValue crs = json.value(QStringLiteral("crs"));
    if (!crs.isString() || crs.toString().size() > MaximumCrsLength)
        return fail(QStringLiteral("has no text \"crs\" of at most %1 characters").arg(MaximumCrsLength));
    const QJsonArray origin = json.value(QStringLiteral("origin")).toArray();
    if (origin.size() != 2 || !origin[0].isDouble() || !origin[1].isDouble() || !withinOffset(origin[0].toDouble())
        || !withinOffset(origin[1].toDouble()))
        return fail(QStringLiteral("has no \"origin\" of two numbers within %1").arg(MaximumOffset));
    const QJsonValue rotation = json.value(QStringLiteral("rotation"));
    if (!rotation.isDouble() || !withinRotation(rotation.toDouble()))
        return fail(QStringLiteral("has no \"rotation\" of -360 to 360 degrees"));
    CVGeoReference reference;
    reference.crs = crs.toString();
    reference.originEasting = origin[0].toDouble();
    reference.originNorthing = origin[1].toDouble();
    reference.rotation = rotation.toDouble();
    return reference;
}

bool CVGeoReference::setOrigin(const QString& text, QString* problem)
{
    const QStringList parts = text.split(QLatin1Char(','));
    double values[3] = {0.0, 0.0, 0.0};
    bool ok = parts.size() == 2 || parts.size() == 3;
    for (int i = 0; ok && i < parts.size(); ++i)
        values[i] = parts[i].trimmed().toDouble(&ok);
    if (!ok) {
        if (problem)
            *problem = QStringLiteral("needs EASTING,NORTHING or EASTING,NORTHING,ROTATION (numbers), not '%1'").arg(text);
        return false;
    }
    if (!withinOffset(values[0]) || !withinOffset(values[1]) || !withinRotation(values[2])) {
        if (problem)
            *problem = QStringLiteral("'%1' is out of range: easting and northing within %2, rotation within "
                                      "-360 to 360 degrees")
                           .arg(text, number(MaximumOffset));
        return false;
    }
    originEasting = values[0];
    originNorthing = values[1];
    rotation = values[2];
    return true;
}

QString CVGeoReference::originText() const
{
    QString text = number(originEasting) + QLatin1Char(',') + number(originNorthing);
    if (rotation != 0.0)
        text += QLatin1Char(',') + number(rotation);
    return text;
}
