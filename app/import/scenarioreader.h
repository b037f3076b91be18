#pragma once

#include <cvscenariosettings.h>

#include <QString>

#include <optional>

class ParamicsTokenStream;

// The simulation settings of a network's configuration file ("start time
// 07:30:00", "simulation time 01:00:00", "demand weight 40.0", "seed 6",
// "amber time 3.000", "red time 5.000", "right hand drive" or "left hand
// drive"), read with the readers' lexer. The importer takes only what
// signal control needs from that file; the application keeps the rest
// with the model for the exports. Other words are skipped.
namespace ScenarioReader {

// Nothing when the directory has no configuration file.
std::optional<CVScenarioSettings> read(const QString& directory);
CVScenarioSettings read(ParamicsTokenStream& in);

// Seconds of "hh:mm:ss", "hh:mm" or a plain number of seconds; nothing for
// other text.
std::optional<double> clockSeconds(const QString& text);

// The settings in a modeller's words, for summaries: "start 07:30:00,
// 01:00:00 simulated, demand weight 40 %, ...".
QString describe(const CVScenarioSettings& settings);

}  // namespace ScenarioReader
