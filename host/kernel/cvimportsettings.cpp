#include "cvimportsettings.h"

#include <QJsonValue>

namespace {

QString roadSideName(CVRoadSide side)
{
    return side == CVRoadSide::Left ? QStringLiteral("left") : QStringLiteral("right");
}

}  // namespace

bool CVImportSettings::operator==(const CVImportSettings& other) const
{
    return sourceFormat == other.sourceFormat && variant == other.variant && lengthUnit == other.lengthUnit
           && unitFactor == other.unitFactor && roadSide == other.roadSide && demandFiles == other.demandFiles
           && directory == other.directory;
}

QJsonObject CVImportSettings::toJson() const
{
    return QJsonObject{
        {QStringLiteral("sourceFormat"), sourceFormat},
        {QStringLiteral("variant"), variant},
        {QStringLiteral("lengthUnit"), lengthUnit},
        {QStringLiteral("unitFactor"), unitFactor},
        {QStringLiteral("roadSide"), roadSideName(roadSide)},
        {QStringLiteral("demandFiles"), demandFiles},
        {QStringLiteral("directory"), directory},
    };
}

std::optional<CVImportSettings> CVImportSettings::fromJson(const QJsonObject& json, QString* problem)
{
    const auto fail = [problem](const QString& what) {
        if (problem)
            *problem = what;
        return std::nullopt;
    };
    for (const char* key : {"sourceFormat", "variant", "lengthUnit", "roadSide", "directory"}) {
        if (!json.value(QLatin1String(key)).isString())
            return fail(QStringLiteral("has no text \"%1\"").arg(QLatin1String(key)));
    }
    for (const char* key : {"unitFactor", "demandFiles"}) {
        if (!json.value(QLatin1String(key)).isDouble())
            return fail(QStringLiteral("has no number \"%1\"").arg(QLatin1String(key)));
    }
    CVImportSettings settings;
    settings.sourceFormat = json.value(QStringLiteral("sourceFormat")).toString();
    settings.variant = json.value(QStringLiteral("variant")).toString();
    settings.lengthUnit = json.value(QStringLiteral("lengthUnit")).toString();
    settings.unitFactor = json.value(QStringLiteral("unitFactor")).toDouble();
    settings.directory = json.value(QStringLiteral("directory")).toString();
    settings.demandFiles = json.value(QStringLiteral("demandFiles")).toInt();
    const QString side = json.value(QStringLiteral("roadSide")).toString();
    if (side != roadSideName(CVRoadSide::Right) && side != roadSideName(CVRoadSide::Left))
        return fail(QStringLiteral("has the road side \"%1\", not \"right\" or \"left\"").arg(side));
    settings.roadSide = side == roadSideName(CVRoadSide::Left) ? CVRoadSide::Left : CVRoadSide::Right;
    return settings;
}
