#include "reader/linksreader.h"

#include "reader/containers/splitwork.h"

#include <cvpoints.h>

#include <QHash>

#include <algorithm>
#include <utility>

namespace {

using K = ParamicsToken;

// A link leaving a node: its name and the position of its end node.
struct Exit
{
    ParamicsLinkName name;
    CVPoint end;
};

// The links leaving the node whose end node is known, in the node's order.
QVector<Exit> exitsOf(const ParamicsNode* node, const ParamicsNodeMap& nodes)
{
    QVector<Exit> exits;
    exits.reserve(node->outLinks.size());
    for (const Section& out : node->outLinks) {
        ParamicsLink* next = out.link;
        const ParamicsNode* nextEnd = endNode(*next, nodes);
        // The exit is named "node:nextEnd": the name the link's record holds,
        // unless node ids holding ":" made two links one.
        if (nextEnd) {
            const bool ownName = sameNode(next->fromNode, next->from, node, node->id) &&
                                 sameNode(next->toNode, next->to, nextEnd, nextEnd->id);
            exits.append(Exit{ownName ? ParamicsLinkName::heldBy(*next)
                                      : ParamicsLinkName(ParamicsLink::linkName(node->id, nextEnd->id)),
                              nextEnd->position});
        }
    }
    return exits;
}

// The angle of the turn from the link p1-p2 into each exit, measured from
// the way back along the link: a right turn is about pi/2, straight on pi,
// a left turn 3pi/2. With right-hand traffic the U-turn (angle 0) is raised
// above every real turn.
void appendAngles(const CVPoint& p1, const CVPoint& p2, const QVector<Exit>& exits, bool rightHandDrive,
                  QVector<AngledSection>& sections)
{
    for (const Exit& exit : exits) {
        double angle = CVPoints::angleBetweenLines(p2, p1, p2, exit.end);
        if (angle < 0.0)
            angle += 2.0 * CVPI;
        else if (angle < 0.001 && rightHandDrive)
            angle = 2.0 * CVPI + 1.0;
        sections.append(AngledSection{exit.name, angle});
    }
}

}  // namespace

void LinksReader::read(ParamicsTokenStream& stream)
{
    in = &stream;
    // A link's line takes some twenty bytes or more: room for as many links
    // as the file could hold, grown at least twofold so that the numbered
    // files one after the other take few regrowths.
    const auto expected = std::size_t(links.size()) + std::size_t(stream.fileSize() / 20);
    if (expected > reserved) {
        reserved = std::max(expected, 2 * reserved);
        links.reserve(qsizetype(reserved));
    }
    while (in->notAtEnd())
        readToken(in->current());
    completeCurrent();
    in = nullptr;
}

void LinksReader::readToken(const ParamicsToken& token)
{
    switch (token.kind) {
    case K::Link: readLinkHeader(); break;
    case K::Category: setIfCurrent(&ParamicsLink::category, in->next().toInt()); break;
    case K::Lanes:
        if (in->next().isNumeric())
            setIfCurrent(&ParamicsLink::lanes, in->current().toInt());
        break;
    case K::Speed: readSpeed(); break;
    case K::Width: readWidth(); break;
    case K::Type:
        setIfCurrent(&ParamicsLink::roadType, in->next().text() == QLatin1String("highway")
                                                  ? QStringLiteral("Freeway")
                                                  : QStringLiteral("Urban Road"));
        break;
    case K::Barred:
        setIfCurrent(&ParamicsLink::barred, true);
        in->next();
        break;
    case K::Arc: readArc(); break;
    case K::Count: pendingRamps = in->next().toInt(); break;
    case K::From:
        if (pendingRamps > 0)
            startRamp(in->next().text());
        else
            in->next();
        break;
    case K::Length:
        if (pendingRamps > 0)
            finishRamp();
        else
            in->next();
        break;
    default: in->next(); break;
    }
}

// "link from to": opens the link of that name, new or read before. A
// link between unknown nodes is dropped with everything up to the next
// "link".
void LinksReader::readLinkHeader()
{
    completeCurrent();
    current = nullptr;
    // Each id is looked up as its word stands in the file; the link's
    // texts share the nodes' ids, which are the same characters.
    ParamicsNode* start = nodes.value(in->next().namePart(), nullptr);
    ParamicsNode* end = nodes.value(in->next().namePart(), nullptr);
    if (!start || !end)
        return;
    ParamicsLink* link = links.value(ParamicsName::link(start->id, end->id), nullptr);
    if (!link) {
        link = links.make();
        link->from = start->id;
        link->to = end->id;
        link->fromNode = start;
        link->toNode = end;
        link->name = ParamicsLink::linkName(start->id, end->id);
        links.insert(link->name, link);
    }
    start->appendOutLink(*link);
    end->appendInLink(*link);
    current = link;
}

// "speed v unit": km/h, or miles per hour when the unit is "mph".
void LinksReader::readSpeed()
{
    const double value = in->next().toDouble();
    const bool mph = in->next().text() == QLatin1String("mph");
    setIfCurrent(&ParamicsLink::speed, ParamicsUnits::kilometresPerHour(value, mph));
}

void LinksReader::readWidth()
{
    const double value = in->next().toDouble();
    setIfCurrent(&ParamicsLink::width, value * ParamicsUnits::lengthFactor(in->next()));
}

// "arc centre #n": the link is drawn along an arc about centre n.
void LinksReader::readArc()
{
    in->next();
    QString number = in->next().text();
    number.remove(QLatin1Char('#'));
    setIfCurrent(&ParamicsLink::arcCentre, number.toInt());
}

// "from node" of a ramp entry. The node becomes a geometric point of the
// ramp; an entry naming an unknown node has no position and is dropped.
void LinksReader::startRamp(const QString& nodeId)
{
    ParamicsNode* node = nodes.value(nodeId, nullptr);
    rampStarted = node != nullptr;
    if (!node)
        return;
    ramp = ParamicsRamp{nodeId, node->position, 0.0};
    node->intermediate = true;
}

// "length v unit" closes the entry; the length is taken as written.
// Each group of the current link counts against the expected number,
// also one that was dropped for naming an unknown node, so that the
// groups after it are read as they are written.
void LinksReader::finishRamp()
{
    ramp.length = in->next().toDouble();
    in->next();
    const bool started = std::exchange(rampStarted, false);
    if (!current)
        return;
    if (started) {
        const ParamicsNode* start = startNode(*current, nodes);
        current->insertRamp(ramp, start ? start->position : CVPoint());
    }
    --pendingRamps;
}

// A link without its own lane count takes its category's. The link is in
// the records from its header on.
void LinksReader::completeCurrent()
{
    if (!current)
        return;
    if (current->lanes == 0) {
        if (const ParamicsCategory* category = categories.value(current->category, nullptr))
            current->lanes = category->lanes;
    }
}

// Every link gets one turning per link leaving its end node, in the order
// in which the next-lanes and junctions files number a link's exits. The
// exits of a node are looked up once, for the first link that ends there,
// and shared by every other link ending there.
namespace {

using ExitsByNode = QHash<const ParamicsNode*, QVector<Exit>>;

// One link's turnings; the exits of its end node are looked up once for
// every link ending there.
void configureLink(ParamicsLink& link, const ParamicsNodeMap& nodes, bool rightHandDrive, ExitsByNode& exitsByNode,
                   QVector<AngledSection>& sections)
{
    sections.clear();
    const ParamicsNode* start = startNode(link, nodes);
    const ParamicsNode* end = endNode(link, nodes);
    if (start && end) {
        auto found = exitsByNode.find(end);
        if (found == exitsByNode.end())
            found = exitsByNode.insert(end, exitsOf(end, nodes));
        appendAngles(start->position, end->position, *found, rightHandDrive, sections);
    }
    TurningConfiguration::sortSections(sections, rightHandDrive);
    link.turnings.reserve(link.turnings.size() + sections.size());
    for (const AngledSection& section : std::as_const(sections)) {
        ParamicsTurning turning;
        turning.destination = section.name;
        turning.warningIndicator = 0;
        link.appendTurning(turning);
    }
}

}  // namespace

void TurningConfiguration::configure()
{
    // Each link's turnings depend on the records read and on nothing
    // configured before it: the links are shared between two threads,
    // each looking up the exits of the nodes it meets.
    const std::vector<ParamicsLink*> inOrder = links.recordsInNameOrder();
    constexpr std::size_t worthAThread = 8192;
    splitWorkInTwo(inOrder.size(), worthAThread, [&](std::size_t begin, std::size_t end) {
        ExitsByNode exitsByNode;
        exitsByNode.reserve(qsizetype(std::min<std::size_t>(end - begin, std::size_t(nodes.size()))));
        QVector<AngledSection> sections;
        for (std::size_t i = begin; i < end; ++i) {
            if (inOrder[i])
                configureLink(*inOrder[i], nodes, rightHandDrive, exitsByNode, sections);
        }
    });
}

void TurningConfiguration::calculateAngles(const ParamicsLink* link, QVector<AngledSection>& sections) const
{
    sections.clear();
    const ParamicsNode* start = startNode(*link, nodes);
    const ParamicsNode* end = endNode(*link, nodes);
    if (start && end)
        appendAngles(start->position, end->position, exitsOf(end, nodes), rightHandDrive, sections);
}

// Nearside exits first: ascending angle with right-hand traffic, descending
// with left-hand traffic; equal angles keep their order.
void TurningConfiguration::sortSections(QVector<AngledSection>& sections, bool rightHandDrive)
{
    const auto before = [rightHandDrive](const AngledSection& earlier, const AngledSection& later) {
        return rightHandDrive ? earlier.angle < later.angle : earlier.angle > later.angle;
    };
    // A node has a handful of exits: an insertion sort, stable as it is,
    // spares the merge sort's buffer for every link.
    constexpr qsizetype fewExits = 16;
    if (sections.size() > fewExits) {
        std::stable_sort(sections.begin(), sections.end(), before);
        return;
    }
    AngledSection* section = sections.data();
    for (qsizetype i = 1; i < sections.size(); ++i) {
        for (qsizetype j = i; j > 0 && before(section[j], section[j - 1]); --j)
            std::swap(section[j], section[j - 1]);
    }
}
