#pragma once

#include <cvscenariosettings.h>

#include <optional>

class CVModel;

// What the user asks of one export beyond the model's own scenario.
struct SumoOverrides
{
    // Settings in place of the model's (the window's export dialog).
    std::optional<CVScenarioSettings> scenario;
    std::optional<double> scale;  // share of the OD trips released; 1 is all of them
    std::optional<double> begin;  // seconds after midnight
    std::optional<double> end;
};

// The scenario a SUMO export runs: the model's scenario settings (its
// network's configuration file), the user's overrides, and the clock that
// the OD slices and the bus departures share.
//
// One clock: bus departures and OD slices are clock times of one day. The
// simulation starts at the configuration's start time, or else at the
// first OD slice, or else at the first bus. A demand that the import gave
// its stand-in period (every matrix 08:00 for one hour: the network has no
// profile) starts at the configuration's start time instead. Timetables
// whose every departure lies before that start count from it (a timetable
// written from 00:00 for a morning peak); otherwise they are clock times.
// The simulation runs from the start, or the first slice or bus before it,
// for the configuration's simulation time, widened to the last slice's
// end and the last bus, and then the settling time.
class SumoScenario
{
public:
    // Seconds of yellow after every green when the network gives none.
    static constexpr double DefaultAmberTime = 3.0;
    // Seconds the simulation runs on after the last departure, so that the
    // last vehicles reach their destinations on a city network.
    static constexpr double SettlingTime = 900.0;

    explicit SumoScenario(const CVModel& model, const SumoOverrides& overrides = {});

    double scale = 1.0;
    std::optional<int> seed;
    double amberTime = DefaultAmberTime;
    double allRedTime = 0.0;  // after the yellow, where the signal plan has no intergreen
    double matrixShift = 0.0; // seconds added to every OD slice's start
    double busShift = 0.0;    // seconds added to every bus departure
    double begin = 0.0;       // of the simulation, seconds after midnight
    double end = 0.0;

    // The import's stand-in period of a demand without a profile.
    static constexpr double StandInStart = 8 * 3600.0;
    static constexpr double StandInDuration = 3600.0;
};
