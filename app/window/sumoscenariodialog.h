#pragma once

#include <cvscenariosettings.h>

#include <optional>

class QWidget;

// Export > SUMO...: the scenario the export runs, as the network's
// configuration gave it, for the user to change: start time and simulated
// time (empty: the demand's own period), demand weight, seed (empty:
// sumo's), amber and all-red times. The rule of the road is shown; it is
// the import's. Nothing when the user cancels.
namespace SumoScenarioDialog {

std::optional<CVScenarioSettings> ask(QWidget* parent, const CVScenarioSettings& initial);

}  // namespace SumoScenarioDialog
