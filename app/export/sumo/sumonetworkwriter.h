#pragma once

#include <QString>

class SumoNetwork;

// Writes the plain network files that netconvert reads: PREFIX.nod.xml,
// PREFIX.edg.xml, PREFIX.con.xml and PREFIX.tll.xml.
class SumoNetworkWriter
{
public:
    static bool writeNodes(const SumoNetwork& network, const QString& path, QString* error);
    static bool writeEdges(const SumoNetwork& network, const QString& path, QString* error);
    // The connections of every turning; a section that ends at a node and
    // has none is written as one with no successor.
    static bool writeConnections(const SumoNetwork& network, const QString& path, QString* error);
    // Each fixed-time control junction with phases becomes a static program
    // of its node's traffic light. Its connections get link indices in the
    // order they are written, and each phase gives green ('G') to the links
    // of the turnings of its signals, red ('r') to the others; an
    // interphase shows yellow ('y') on links that were green in the phase
    // before it.
    static bool writeTrafficLights(const SumoNetwork& network, const QString& path, QString* error);
};
