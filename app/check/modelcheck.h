#pragma once

#include "check/checkfinding.h"

#include <QString>

class CVModel;
class NetworkGraph;

// The application's own check of an imported model: what a modeller must
// repair before simulating it. Reads the host model only; with the
// network's directory it also looks at the Paramics files for signs of the
// wrong variant, unit or configuration.
namespace ModelCheck {

CheckReport run(const CVModel& model, const QString& directory = QString());

// The parts, each adding its findings to the report.
void checkConnectivity(const CVModel& model, const NetworkGraph& graph, CheckReport& report);
void checkDemand(const CVModel& model, const NetworkGraph& graph, CheckReport& report);
void checkLanes(const CVModel& model, CheckReport& report);
void checkSignals(const CVModel& model, CheckReport& report);
void checkGeometry(const CVModel& model, CheckReport& report);
void checkTransit(const CVModel& model, CheckReport& report);
void checkInput(const CVModel& model, const QString& directory, CheckReport& report);

// Thresholds, in metres and degrees.
constexpr double ShortSectionLength = 5.0;
constexpr double NodesOnTopDistance = 0.5;
constexpr double FoldAngle = 150.0;

}  // namespace ModelCheck
