#pragma once

#include <QString>

class SumoNetwork;

// Writes the three tool configurations that turn the exported files into a
// running simulation, each naming its files relative to its own folder:
// PREFIX.netccfg (netconvert: network files in, PREFIX.net.xml out),
// PREFIX.od2trips.cfg (od2trips: districts and matrices in,
// PREFIX.trips.xml out) and PREFIX.sumocfg (sumo: network, trips, stops,
// detectors and buses over the scenario's period (see SumoScenario), with
// its statistics written to PREFIX.stats.xml).
class SumoConfigWriter
{
public:
    // Where the OD trips enter their first edge and at what speed.
    static constexpr const char* DepartLane = "best";
    static constexpr const char* DepartSpeed = "max";

    static bool writeNetconvert(const SumoNetwork& network, const QString& prefix, QString* error);
    static bool writeOd2trips(const SumoNetwork& network, const QString& prefix, QString* error);
    static bool writeSumo(const SumoNetwork& network, const QString& prefix, QString* error);
};
