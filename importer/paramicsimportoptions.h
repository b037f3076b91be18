#pragma once

#include "reader/paramicsunits.h"

#include <QMetaType>
#include <QString>

#include <optional>

// The options of one import, as the import dialog offers them. Every value
// the dialog can show has an enumerator; text appears only at the edges
// (the dialog's combo boxes, the command line, the model file), through
// the conversions below.
enum class ParamicsVariant { Quadstone, Sias };
enum class ParamicsLengthUnit { Metric, Feet };
enum class RoadRule { KeepRight, KeepLeft };

struct ParamicsImportOptions
{
    QString directory;
    ParamicsVariant variant = ParamicsVariant::Quadstone;
    ParamicsLengthUnit units = ParamicsLengthUnit::Metric;
    RoadRule rule = RoadRule::KeepRight;
    // 1 reads "demands", N > 1 reads demands.1 to demands.N, 0 none.
    int demandFiles = 1;

    bool operator==(const ParamicsImportOptions& o) const
    {
        return directory == o.directory && variant == o.variant && units == o.units && rule == o.rule
            && demandFiles == o.demandFiles;
    }
    bool operator!=(const ParamicsImportOptions& o) const { return !(*this == o); }
};
Q_DECLARE_METATYPE(ParamicsImportOptions)

// The names the dialog shows and the files' own words use.
inline QString variantName(ParamicsVariant v)
{
    return v == ParamicsVariant::Sias ? QStringLiteral("Sias") : QStringLiteral("Quadstone");
}

inline QString lengthUnitName(ParamicsLengthUnit u)
{
    return u == ParamicsLengthUnit::Feet ? QStringLiteral("Feet") : QStringLiteral("Metric");
}

inline QString roadRuleName(RoadRule r)
{
    return r == RoadRule::KeepLeft ? QStringLiteral("left") : QStringLiteral("right");
}

// Metres per unit of the files' lengths.
inline double lengthUnitFactor(ParamicsLengthUnit u)
{
    return u == ParamicsLengthUnit::Feet ? ParamicsUnits::FeetFactor : 1.0;
}

inline std::optional<ParamicsVariant> variantFromName(const QString& name)
{
    if (name == QLatin1String("Quadstone"))
        return ParamicsVariant::Quadstone;
    if (name == QLatin1String("Sias"))
        return ParamicsVariant::Sias;
    return std::nullopt;
}

inline std::optional<ParamicsLengthUnit> lengthUnitFromName(const QString& name)
{
    if (name == QLatin1String("Metric"))
        return ParamicsLengthUnit::Metric;
    if (name == QLatin1String("Feet"))
        return ParamicsLengthUnit::Feet;
    return std::nullopt;
}

inline std::optional<RoadRule> roadRuleFromName(const QString& name)
{
    if (name == QLatin1String("right"))
        return RoadRule::KeepRight;
    if (name == QLatin1String("left"))
        return RoadRule::KeepLeft;
    return std::nullopt;
}
