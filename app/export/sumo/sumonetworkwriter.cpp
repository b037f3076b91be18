#include "export/sumo/sumonetworkwriter.h"

#include "export/exporttext.h"
#include "export/modelobjects.h"
#include "export/sumo/sumonetwork.h"
#include "export/sumo/sumoxmlfile.h"

#include <cvcatalog.h>
#include <cvcontroljunction.h>
#include <cvcontrolphase.h>
#include <cvcontrolplan.h>
#include <cvcontrolplansignal.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvturning.h>

#include <QSet>

#include <algorithm>

namespace {

QString number(double value)
{
    return QString::number(value, 'f', 2);
}

QString shape(const CVPoints& points)
{
    QStringList parts;
    parts.reserve(points.size());
    for (const CVPoint& p : points)
        parts.append(number(p.x) + QLatin1Char(',') + number(p.y));
    return parts.join(QLatin1Char(' '));
}

void writeNode(QXmlStreamWriter& xml, const QString& id, const CVPoint& position, const QString& type)
{
    xml.writeEmptyElement(QStringLiteral("node"));
    xml.writeAttribute(QStringLiteral("id"), id);
    xml.writeAttribute(QStringLiteral("x"), number(position.x));
    xml.writeAttribute(QStringLiteral("y"), number(position.y));
    xml.writeAttribute(QStringLiteral("type"), type);
}

void writeConnection(QXmlStreamWriter& xml, const SumoNetwork::Connection& c)
{
    xml.writeEmptyElement(QStringLiteral("connection"));
    xml.writeAttribute(QStringLiteral("from"), SumoNetwork::edgeId(c.from));
    xml.writeAttribute(QStringLiteral("to"), SumoNetwork::edgeId(c.to));
    xml.writeAttribute(QStringLiteral("fromLane"), QString::number(c.fromLane));
    xml.writeAttribute(QStringLiteral("toLane"), QString::number(c.toLane));
}

// The connections through each signalised node, in the order written: the
// position in that list is the connection's link index.
QHash<unsigned int, QVector<SumoNetwork::Connection>> signalLinks(const SumoNetwork& network)
{
    QHash<unsigned int, QVector<SumoNetwork::Connection>> links;
    for (const SumoNetwork::Connection& c : network.connections()) {
        const CVNode* node = c.turning->getNode() ? c.turning->getNode() : c.from->getDestination();
        if (node && network.isSignalised(node->getId()))
            links[node->getId()].append(c);
    }
    return links;
}

QSet<unsigned int> greenTurnings(const CVModel& model, const CVControlPhase& phase)
{
    QSet<unsigned int> turnings;
    const CVCatalog* catalog = model.getCatalog();
    for (const CVControlPhase::Signal& signal : phase.getSignals()) {
        const auto* planSignal = dynamic_cast<const CVControlPlanSignal*>(catalog ? catalog->find(signal.id) : nullptr);
        if (!planSignal)
            continue;
        for (unsigned int id : planSignal->getTurningIds())
            turnings.insert(id);
    }
    return turnings;
}

// The fixed-time phases of a junction that run: in the order of their start
// times, those without a duration left out.
QVector<const CVControlPhase*> runningPhases(const CVControlJunction& junction)
{
    QVector<const CVControlPhase*> phases;
    for (const CVControlPhase* phase : junction.getPhases()) {
        if (phase->getDuration() > 0.0f)
            phases.append(phase);
    }
    std::stable_sort(phases.begin(), phases.end(),
                     [](const CVControlPhase* a, const CVControlPhase* b) { return a->getFrom() < b->getFrom(); });
    return phases;
}

bool isGreen(QChar state)
{
    return state == QLatin1Char('G') || state == QLatin1Char('g');
}

// A link that no running phase lists is a movement the plan leaves out
// (often a slip turn or a turn that the signal plan treats as filtering).
// It goes with its approach: it may go, giving way (g), whenever another
// link of the same incoming section has green; an approach that no phase
// serves at all may go, giving way, through the whole cycle.
void releaseUnlistedLinks(QVector<QString>& states, const QVector<SumoNetwork::Connection>& links)
{
    for (int i = 0; i < links.size(); ++i) {
        const bool listed = std::any_of(states.cbegin(), states.cend(), [i](const QString& s) { return isGreen(s[i]); });
        if (listed)
            continue;
        bool approachServed = false;
        for (QString& state : states) {
            for (int j = 0; j < links.size(); ++j) {
                if (links[j].from == links[i].from && state[j] == QLatin1Char('G')) {
                    state[i] = QLatin1Char('g');
                    approachServed = true;
                    break;
                }
            }
        }
        if (!approachServed) {
            for (QString& state : states)
                state[i] = QLatin1Char('g');
        }
    }
}

// The state of every link in every running phase: green for the turnings
// of the phase's signals, red otherwise; unlisted links go with their
// approach; an interphase shows yellow where the phase before it had green.
QVector<QString> phaseStates(const SumoNetwork& network, const QVector<const CVControlPhase*>& phases,
                             const QVector<SumoNetwork::Connection>& links)
{
    QVector<QString> states;
    for (const CVControlPhase* phase : phases) {
        const QSet<unsigned int> green = greenTurnings(network.model(), *phase);
        QString state(links.size(), QLatin1Char('r'));
        for (int i = 0; i < links.size(); ++i) {
            if (green.contains(links[i].turning->getId()))
                state[i] = QLatin1Char('G');
        }
        states.append(state);
    }
    releaseUnlistedLinks(states, links);
    for (int p = 1; p < phases.size(); ++p) {
        if (!phases[p]->isInterphase())
            continue;
        for (int i = 0; i < links.size(); ++i) {
            if (!isGreen(states[p][i]) && isGreen(states[p - 1][i]))
                states[p][i] = QLatin1Char('y');
        }
    }
    return states;
}

bool writeProgram(QXmlStreamWriter& xml, const SumoNetwork& network, const CVControlPlan& plan,
                  const CVControlJunction& junction, const QVector<SumoNetwork::Connection>& links)
{
    const QVector<const CVControlPhase*> phases = runningPhases(junction);
    if (phases.isEmpty())
        return false;
    const QVector<QString> states = phaseStates(network, phases, links);
    xml.writeStartElement(QStringLiteral("tlLogic"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("n%1").arg(junction.getNodeId()));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("static"));
    xml.writeAttribute(QStringLiteral("programID"), QStringLiteral("p%1").arg(plan.getId()));
    xml.writeAttribute(QStringLiteral("offset"), number(double(plan.getOffset()) + double(junction.getOffset())));
    for (int p = 0; p < phases.size(); ++p) {
        xml.writeEmptyElement(QStringLiteral("phase"));
        xml.writeAttribute(QStringLiteral("duration"), number(double(phases[p]->getDuration())));
        xml.writeAttribute(QStringLiteral("state"), states[p]);
    }
    xml.writeEndElement();
    return true;
}

}  // namespace

bool SumoNetworkWriter::writeNodes(const SumoNetwork& network, const QString& path, QString* error)
{
    SumoXmlFile file(path, QStringLiteral("nodes"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    QSet<QString> written;
    for (const CVNode* node : modelObjects<CVNode>(network.model(), QStringLiteral("CVNode"))) {
        writeNode(xml, SumoNetwork::nodeId(node), node->getPosition(),
                  network.isSignalised(node->getId()) ? QStringLiteral("traffic_light") : QStringLiteral("priority"));
        written.insert(SumoNetwork::nodeId(node));
    }
    // The ends of sections that have no node there.
    for (const CVSection* section : network.sections()) {
        const QString from = network.fromNode(section);
        const QString to = network.toNode(section);
        if (!written.contains(from)) {
            writeNode(xml, from, section->getPoints().first(), QStringLiteral("priority"));
            written.insert(from);
        }
        if (!written.contains(to)) {
            writeNode(xml, to, section->getPoints().last(), QStringLiteral("priority"));
            written.insert(to);
        }
    }
    return file.finish(error);
}

bool SumoNetworkWriter::writeEdges(const SumoNetwork& network, const QString& path, QString* error)
{
    SumoXmlFile file(path, QStringLiteral("edges"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    for (const CVSection* section : network.sections()) {
        xml.writeEmptyElement(QStringLiteral("edge"));
        xml.writeAttribute(QStringLiteral("id"), SumoNetwork::edgeId(section));
        xml.writeAttribute(QStringLiteral("from"), network.fromNode(section));
        xml.writeAttribute(QStringLiteral("to"), network.toNode(section));
        if (!section->getName().isEmpty())
            xml.writeAttribute(QStringLiteral("name"), ExportText::storable(section->getName()));
        xml.writeAttribute(QStringLiteral("numLanes"), QString::number(section->getNbLanes()));
        if (section->getSpeed() > 0.0)
            xml.writeAttribute(QStringLiteral("speed"), number(section->getSpeed() / 3.6));
        if (section->getLaneWidth() > 0.0)
            xml.writeAttribute(QStringLiteral("width"), number(section->getLaneWidth()));
        // The host line is the section's centre line.
        xml.writeAttribute(QStringLiteral("spreadType"), QStringLiteral("center"));
        xml.writeAttribute(QStringLiteral("shape"), shape(section->drawingPoints()));
    }
    return file.finish(error);
}

bool SumoNetworkWriter::writeConnections(const SumoNetwork& network, const QString& path, QString* error)
{
    SumoXmlFile file(path, QStringLiteral("connections"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    QSet<const CVSection*> connected;
    for (const SumoNetwork::Connection& c : network.connections()) {
        writeConnection(xml, c);
        connected.insert(c.from);
    }
    // A section that no turning leaves at its node has no way on: without
    // this, netconvert would guess connections for it (and, at a traffic
    // light, leave them out of the signal program).
    for (const CVSection* section : network.sections()) {
        if (connected.contains(section) || !section->getDestination() ||
            network.toNode(section) != SumoNetwork::nodeId(section->getDestination()))
            continue;
        xml.writeEmptyElement(QStringLiteral("connection"));
        xml.writeAttribute(QStringLiteral("from"), SumoNetwork::edgeId(section));
    }
    return file.finish(error);
}

bool SumoNetworkWriter::writeTrafficLights(const SumoNetwork& network, const QString& path, QString* error)
{
    SumoXmlFile file(path, QStringLiteral("tlLogics"));
    if (!file.isOpen())
        return file.finish(error);
    QXmlStreamWriter& xml = file.writer();
    const auto links = signalLinks(network);
    QSet<unsigned int> programmed;
    for (const CVControlPlan* plan : modelObjects<CVControlPlan>(network.model(), QStringLiteral("CVControlPlan"))) {
        for (const auto& junction : plan->getJunctions()) {
            const auto nodeLinks = links.value(junction->getNodeId());
            if (junction->getControlJunctionType() != CVControlJunction::FixedControl || nodeLinks.isEmpty())
                continue;
            if (writeProgram(xml, network, *plan, *junction, nodeLinks))
                programmed.insert(junction->getNodeId());
        }
    }
    // Link indices of the programmed nodes; other traffic lights get the
    // program netconvert makes.
    // By node id: a hash's order changes from run to run.
    QList<unsigned int> nodeIds = links.keys();
    std::sort(nodeIds.begin(), nodeIds.end());
    for (unsigned int nodeId : nodeIds) {
        if (!programmed.contains(nodeId))
            continue;
        const QVector<SumoNetwork::Connection> nodeLinks = links.value(nodeId);
        for (int i = 0; i < nodeLinks.size(); ++i) {
            writeConnection(xml, nodeLinks[i]);
            xml.writeAttribute(QStringLiteral("tl"), QStringLiteral("n%1").arg(nodeId));
            xml.writeAttribute(QStringLiteral("linkIndex"), QString::number(i));
        }
    }
    return file.finish(error);
}
