#pragma once

#include <QString>

class SumoNetwork;

// Writes the three tool configurations that turn the exported files into a
// running simulation, each naming its files relative to its own folder:
// PREFIX.netccfg (netconvert: network files in, PREFIX.net.xml out),
// PREFIX.od2trips.cfg (od2trips: districts and matrices in,
// PREFIX.trips.xml out) and PREFIX.sumocfg (sumo: network, trips, stops,
// detectors and buses over the whole demand window plus a settling time,
// with its statistics written to PREFIX.stats.xml).
class SumoConfigWriter
{
public:
    // Seconds the simulation runs on after the last departure, so that the
    // last vehicles reach their destinations on a city network.
    static constexpr double SettlingTime = 1800.0;

    static bool writeNetconvert(const SumoNetwork& network, const QString& prefix, QString* error);
    static bool writeOd2trips(const SumoNetwork& network, const QString& prefix, QString* error);
    static bool writeSumo(const SumoNetwork& network, const QString& prefix, QString* error);
};
