#pragma once

#include "cvexport.h"
#include "cvimportsettings.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// How the network's own simulation runs it: the settings of the
// configuration file found beside an imported network, kept with the model
// and saved in its file, so that an export can run the same scenario.
// Each is empty when the file does not give it.
struct CRVKERNEL_EXPORT CVScenarioSettings
{
    std::optional<double> startTime;     // seconds after midnight
    std::optional<double> duration;      // seconds of simulation
    std::optional<double> demandWeight;  // per cent of the demand released
    std::optional<int> seed;
    std::optional<double> amberTime;     // seconds of yellow after a green
    std::optional<double> redTime;       // seconds of all-red after the yellow
    std::optional<CVRoadSide> roadSide;

    bool operator==(const CVScenarioSettings& other) const;
    bool operator!=(const CVScenarioSettings& other) const { return !(*this == other); }

    // The model file's form: one member per setting given, times in
    // seconds, the road side as "right" or "left".
    QJsonObject toJson() const;
    // Nothing, with a reason in problem, when the object is not of that form.
    static std::optional<CVScenarioSettings> fromJson(const QJsonObject& json, QString* problem);
};
