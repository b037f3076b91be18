#include "export/sumo/sumoconfigwriter.h"

#include "export/sumo/sumomatrices.h"
#include "export/sumo/sumonetwork.h"
#include "export/sumo/sumoxmlfile.h"

#include <QFileInfo>

#include <cmath>

namespace {

// File names in a configuration are relative to the configuration's folder,
// which is the prefix's folder.
QString local(const QString& prefix, const char* suffix)
{
    return QFileInfo(prefix).fileName() + QLatin1String(suffix);
}

void option(QXmlStreamWriter& xml, const char* name, const QString& value)
{
    xml.writeEmptyElement(QLatin1String(name));
    xml.writeAttribute(QStringLiteral("value"), value);
}

// Whole numbers without decimals ("27000"), others as they are ("0.4").
QString number(double value)
{
    return value == std::floor(value) ? QString::number(qint64(value)) : QString::number(value, 'g', 10);
}

void writeSeed(QXmlStreamWriter& xml, const SumoScenario& scenario)
{
    if (!scenario.seed)
        return;
    xml.writeStartElement(QStringLiteral("random_number"));
    option(xml, "seed", QString::number(*scenario.seed));
    xml.writeEndElement();
}

}  // namespace

bool SumoConfigWriter::writeNetconvert(const SumoNetwork& network, const QString& prefix, QString* error)
{
    SumoXmlFile file(prefix + QStringLiteral(".netccfg"), QStringLiteral("configuration"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    xml.writeStartElement(QStringLiteral("input"));
    option(xml, "node-files", local(prefix, ".nod.xml"));
    option(xml, "edge-files", local(prefix, ".edg.xml"));
    option(xml, "connection-files", local(prefix, ".con.xml"));
    option(xml, "tllogic-files", local(prefix, ".tll.xml"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("output"));
    option(xml, "output-file", local(prefix, ".net.xml"));
    xml.writeEndElement();
    // U-turns that the model does not have would also shift the link
    // indices of the signal programs.
    xml.writeStartElement(QStringLiteral("processing"));
    option(xml, "no-turnarounds", QStringLiteral("true"));
    // Left-hand traffic: lane 0 at the left kerb (as the connections number
    // them), and the right turn, which crosses the oncoming traffic, yields.
    if (network.roadSide() == CVRoadSide::Left)
        option(xml, "lefthand", QStringLiteral("true"));
    xml.writeEndElement();
    // The programs netconvert makes itself (signals without a fixed-time
    // plan) take the network's amber and all-red too.
    xml.writeStartElement(QStringLiteral("tls_building"));
    option(xml, "tls.yellow.time", number(network.scenario().amberTime));
    if (network.scenario().allRedTime > 0.0)
        option(xml, "tls.allred.time", number(network.scenario().allRedTime));
    xml.writeEndElement();
    return file.finish(error);
}

bool SumoConfigWriter::writeOd2trips(const SumoNetwork& network, const QString& prefix, QString* error)
{
    SumoXmlFile file(prefix + QStringLiteral(".od2trips.cfg"), QStringLiteral("configuration"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    xml.writeStartElement(QStringLiteral("input"));
    option(xml, "taz-files", local(prefix, ".taz.xml"));
    QStringList textMatrices;
    QStringList xmlMatrices;
    for (const SumoMatrices::File& matrix : SumoMatrices::files(network, prefix))
        (matrix.text ? textMatrices : xmlMatrices).append(QFileInfo(matrix.path).fileName());
    if (!textMatrices.isEmpty())
        option(xml, "od-matrix-files", textMatrices.join(QLatin1Char(',')));
    if (!xmlMatrices.isEmpty())
        option(xml, "od-amitran-files", xmlMatrices.join(QLatin1Char(',')));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("output"));
    option(xml, "output-file", local(prefix, ".trips.xml"));
    xml.writeEndElement();
    // The share of the matrices that the network's own simulation releases.
    xml.writeStartElement(QStringLiteral("processing"));
    option(xml, "scale", number(network.scenario().scale));
    xml.writeEndElement();
    writeSeed(xml, network.scenario());
    // Where and how fast trips enter (measured, see docs/sumo.md): in the
    // lane that leads on to their next turn, at the speed the lane allows.
    xml.writeStartElement(QStringLiteral("defaults"));
    option(xml, "departlane", QLatin1String(DepartLane));
    option(xml, "departspeed", QLatin1String(DepartSpeed));
    xml.writeEndElement();
    return file.finish(error);
}

bool SumoConfigWriter::writeSumo(const SumoNetwork& network, const QString& prefix, QString* error)
{
    SumoXmlFile file(prefix + QStringLiteral(".sumocfg"), QStringLiteral("configuration"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    xml.writeStartElement(QStringLiteral("input"));
    option(xml, "net-file", local(prefix, ".net.xml"));
    option(xml, "route-files", local(prefix, ".trips.xml"));
    // The districts first: the trips start and end in them; the vehicle
    // types of rou.xml before the trips that use them.
    option(xml, "additional-files",
           local(prefix, ".taz.xml") + QLatin1Char(',') + local(prefix, ".add.xml") + QLatin1Char(',') + local(prefix, ".rou.xml"));
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("time"));
    option(xml, "begin", number(network.scenario().begin));
    option(xml, "end", number(network.scenario().end));
    xml.writeEndElement();
    writeSeed(xml, network.scenario());

    // Trips between districts are routed by sumo when they depart, from the
    // district to the district: over whichever of its source and sink
    // sections gives the best route, so that a trip is not stranded on a
    // section from which its destination cannot be reached. A pair that no
    // route joins is reported and left out, not fatal.
    xml.writeStartElement(QStringLiteral("processing"));
    option(xml, "ignore-route-errors", QStringLiteral("true"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("routing"));
    option(xml, "device.rerouting.probability", QStringLiteral("1"));
    option(xml, "device.rerouting.with-taz", QStringLiteral("true"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("output"));
    option(xml, "statistic-output", local(prefix, ".stats.xml"));
    xml.writeEndElement();
    // Debian's sumo has no schemas: without this it would look for them on
    // the web.
    xml.writeStartElement(QStringLiteral("report"));
    option(xml, "xml-validation", QStringLiteral("never"));
    option(xml, "duration-log.statistics", QStringLiteral("true"));
    option(xml, "no-step-log", QStringLiteral("true"));
    xml.writeEndElement();
    return file.finish(error);
}
