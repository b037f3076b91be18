#pragma once

#include <QString>

class SumoNetwork;

// Writes what runs on the network: PREFIX.taz.xml (districts),
// PREFIX.add.xml (bus stops and induction loops) and PREFIX.rou.xml
// (vehicle types and bus lines). The OD matrices are SumoMatrices'.
class SumoDemandWriter
{
public:
    // One district "c<id>" per centroid, with the sources and sinks of
    // SumoDistricts.
    static bool writeDistricts(const SumoNetwork& network, const QString& path, QString* error);
    // A bus stop "bs<id>" on the kerb lane of its lane range; an
    // induction loop "d<id>.<lane>" on every lane of a detector's range,
    // counting into detectorOutput every 60 s.
    static bool writeAdditionals(const SumoNetwork& network, const QString& path, const QString& detectorOutput,
                                 QString* error);
    // Vehicle types (with the numbered distributions that the OD matrices
    // name them by), and one bus per scheduled departure of every line, over
    // the line's sections, stopping at its stops in route order.
    static bool writeRoutes(const SumoNetwork& network, const QString& path, QString* error);
};
