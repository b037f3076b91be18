#include "export/sumo/sumonetwork.h"

#include "export/modelobjects.h"

#include <cvcontroljunction.h>
#include <cvcontrolplan.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvturning.h>

#include <algorithm>

SumoNetwork::SumoNetwork(const CVModel& model) : source(model)
{
    collectSections();
    collectConnections();
    collectSignalisedNodes();
}

QString SumoNetwork::edgeId(const CVSection* section)
{
    return QStringLiteral("e%1").arg(section->getId());
}

QString SumoNetwork::nodeId(const CVNode* node)
{
    return QStringLiteral("n%1").arg(node->getId());
}

QString SumoNetwork::fromNode(const CVSection* section) const
{
    return section->getOrigin() ? nodeId(section->getOrigin()) : QStringLiteral("n%1.from").arg(section->getId());
}

QString SumoNetwork::toNode(const CVSection* section) const
{
    // A section that starts and ends at the same node would be a loop that
    // SUMO refuses; it ends at a node of its own instead.
    if (section->getDestination() && section->getDestination() != section->getOrigin())
        return nodeId(section->getDestination());
    return QStringLiteral("n%1.to").arg(section->getId());
}

QVector<QPair<int, int>> SumoNetwork::lanePairs(int originFrom, int originTo, int destinationFrom, int destinationTo)
{
    QVector<QPair<int, int>> pairs;
    const int originCount = originTo - originFrom + 1;
    const int destinationCount = destinationTo - destinationFrom + 1;
    if (originCount <= 0 || destinationCount <= 0)
        return pairs;
    const int count = std::max(originCount, destinationCount);
    for (int k = 0; k < count; ++k)
        pairs.append({originFrom + k * originCount / count, destinationFrom + k * destinationCount / count});
    return pairs;
}

void SumoNetwork::collectSections()
{
    for (const CVSection* section : modelObjects<CVSection>(source, QStringLiteral("CVSection"))) {
        // SUMO needs a line and a lane to build an edge.
        if (section->getPoints().size() >= 2 && section->getNbLanes() > 0) {
            sectionList.append(section);
            exported.insert(section);
        }
    }
}

void SumoNetwork::collectConnections()
{
    for (const CVTurning* turning : modelObjects<CVTurning>(source, QStringLiteral("CVTurning"))) {
        const CVSection* from = turning->getOrigin();
        const CVSection* to = turning->getDestination();
        if (!exported.contains(from) || !exported.contains(to))
            continue;
        // The turning joins the two edges only where the origin's end node
        // is the destination's start node in the exported network.
        if (toNode(from) != fromNode(to))
            continue;
        const int fromCount = from->getNbLanes();
        const int toCount = to->getNbLanes();
        const auto pairs = lanePairs(turning->getOriginFromLane(), turning->getOriginToLane(),
                                     turning->getDestinationFromLane(), turning->getDestinationToLane());
        for (const auto& pair : pairs) {
            if (pair.first < 0 || pair.first >= fromCount || pair.second < 0 || pair.second >= toCount)
                continue;  // a lane the section does not have
            connectionList.append({turning, from, to, sumoLane(pair.first, fromCount), sumoLane(pair.second, toCount)});
        }
    }
}

void SumoNetwork::collectSignalisedNodes()
{
    for (const CVControlPlan* plan : modelObjects<CVControlPlan>(source, QStringLiteral("CVControlPlan"))) {
        for (const auto& junction : plan->getJunctions())
            signalised.insert(junction->getNodeId(), true);
    }
}

QString SumoNetwork::vehicleTypeId(const CVObject* vehicle)
{
    if (!vehicle)
        return QString();
    if (vehicle->getName().isEmpty())
        return QStringLiteral("v%1").arg(vehicle->getId());
    // Names that meet in one id once cleaned (two vehicles "Car", or "a b"
    // and "a_b"): the one with the lowest object id keeps it, the others get
    // "~" and their object id, which no cleaned name contains.
    const QString id = cleanedId(vehicle->getName());
    const CVModel* model = vehicle->getModel();
    if (!model)
        return id;
    for (const CVObject* other : modelObjects<CVObject>(*model, vehicle->getTypeName())) {
        if (other->getId() >= vehicle->getId())
            break;
        if (!other->getName().isEmpty() && cleanedId(other->getName()) == id)
            return QStringLiteral("%1~%2").arg(id).arg(vehicle->getId());
    }
    return id;
}

// SUMO ids take no spaces or XML-special characters.
QString SumoNetwork::cleanedId(const QString& name)
{
    QString id = name;
    for (QChar& c : id) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('-') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    }
    return id;
}
