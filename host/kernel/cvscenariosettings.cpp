#include "cvscenariosettings.h"

#include <QJsonValue>

namespace {

const char* const NumberKeys[] = {"startTime", "duration", "demandWeight", "amberTime", "redTime"};

std::optional<double> CVScenarioSettings::*numberMember(int index)
{
    static std::optional<double> CVScenarioSettings::* const members[] = {
        &CVScenarioSettings::startTime, &CVScenarioSettings::duration, &CVScenarioSettings::demandWeight,
        &CVScenarioSettings::amberTime, &CVScenarioSettings::redTime};
    return members[index];
}

}  // namespace

bool CVScenarioSettings::operator==(const CVScenarioSettings& other) const
{
    return startTime == other.startTime && duration == other.duration && demandWeight == other.demandWeight
           && seed == other.seed && amberTime == other.amberTime && redTime == other.redTime
           && roadSide == other.roadSide;
}

QJsonObject CVScenarioSettings::toJson() const
{
    QJsonObject json;
    for (int i = 0; i < int(std::size(NumberKeys)); ++i) {
        if (const std::optional<double>& value = this->*numberMember(i))
            json.insert(QLatin1String(NumberKeys[i]), *value);
    }
    if (seed)
        json.insert(QStringLiteral("seed"), *seed);
    if (roadSide)
        json.insert(QStringLiteral("roadSide"),
                    *roadSide == CVRoadSide::Left ? QStringLiteral("left") : QStringLiteral("right"));
    return json;
}

std::optional<CVScenarioSettings> CVScenarioSettings::fromJson(const QJsonObject& json, QString* problem)
{
    const auto fail = [problem](const QString& what) {
        if (problem)
            *problem = what;
        return std::nullopt;
    };
    CVScenarioSettings settings;
    for (int i = 0; i < int(std::size(NumberKeys)); ++i) {
        const QJsonValue value = json.value(QLatin1String(NumberKeys[i]));
        if (value.isUndefined())
            continue;
        if (!value.isDouble())
            return fail(QStringLiteral("has \"%1\" that is not a number").arg(QLatin1String(NumberKeys[i])));
        settings.*numberMember(i) = value.toDouble();
    }
    const QJsonValue seed = json.value(QStringLiteral("seed"));
    if (!seed.isUndefined()) {
        if (!seed.isDouble())
            return fail(QStringLiteral("has \"seed\" that is not a number"));
        settings.seed = seed.toInt();
    }
    const QJsonValue side = json.value(QStringLiteral("roadSide"));
    if (!side.isUndefined()) {
        if (side != QLatin1String("left") && side != QLatin1String("right"))
            return fail(QStringLiteral("has the road side %1, not \"right\" or \"left\"").arg(side.toVariant().toString()));
        settings.roadSide = side == QLatin1String("left") ? CVRoadSide::Left : CVRoadSide::Right;
    }
    return settings;
}
