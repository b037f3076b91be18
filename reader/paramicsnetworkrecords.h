#pragma once

#include "reader/containers/paramicsinlinelist.h"
#include "reader/containers/paramicsname.h"
#include "reader/containers/paramicsrecordmap.h"
#include "reader/paramicsphase.h"

#include <cvpoint.h>

#include <QString>
#include <QVector>

#include <cstdint>
#include <utility>

// The records of the network files: nodes, links with their turnings and
// ramp entries, and the nodes' phases (paramicsphase.h).
//
// Owns: the node and link records belong to their maps (ParamicsNodeMap,
// ParamicsLinkMap, held by ParamicsRecordStore or the importer), which
// give them back together at the end of the import. Each record owns its
// texts and lists by value: a link its turnings and ramp entries, a node
// its lists of entering and leaving links and its phases.
// Points to other records (never owned, valid while the maps live): a
// link's fromNode, toNode and opposite; a turning's destination
// (ParamicsLinkName, the record of the link it leads into); the entries of
// a node's link lists (Section); a ramp node's rampNode.
// Points to host objects, owned by the model and written back by the
// builders of network/, with their ids beside them: ParamicsTurning::signal
// (TurningSignalBuilder), ParamicsTurning::turningId (TurningBuilder),
// ParamicsLink::section and sectionId (SectionBuilder), ParamicsNode::node
// and objectId (NodeBuilder, or RampBuilder for a ramp's cut node). The
// readers leave them null and 0.

class CVNode;
class CVObject;
class CVSection;

// The name of a link as a turning refers to it. Turnings are made from the
// link records and refer to the name the record of the link they lead into
// holds: the records of a network are made and given back together, and a
// region's hundreds of thousands of turnings then neither copy that name
// nor drop a reference to it, each somewhere else in memory. A name given
// as text (one that no record holds) is kept here.
struct ParamicsLink;

// The link a turning or an exit leads into, kept in one pointer: nearly
// always the link's record itself (heldBy), whose name is the link's name;
// a name that no record holds (from node ids holding ":", where two links
// share a name) is kept in a string of its own, marked by the pointer's
// lowest bit, and its link is looked up by name. Link records hold four
// turnings inline, so one pointer instead of a pointer and a string keeps
// a regional network's link records a fifth smaller, and the builders
// reach the next link without a look-up.
class ParamicsLinkName
{
public:
    ParamicsLinkName() = default;
    ParamicsLinkName(const QString& name) : bits(reinterpret_cast<std::uintptr_t>(new QString(name)) | Owned) {}
    // Refers to a link's record, which must outlive this.
    static ParamicsLinkName heldBy(ParamicsLink& link)
    {
        ParamicsLinkName name;
        name.bits = reinterpret_cast<std::uintptr_t>(&link);
        return name;
    }
    ParamicsLinkName(const ParamicsLinkName& other)
        : bits(other.owned() ? ParamicsLinkName(other.toString()).release() : other.bits)
    {
    }
    ParamicsLinkName(ParamicsLinkName&& other) noexcept : bits(other.release()) {}
    ParamicsLinkName& operator=(ParamicsLinkName other) noexcept
    {
        std::swap(bits, other.bits);
        return *this;
    }
    ~ParamicsLinkName()
    {
        if (owned())
            delete ownString();
    }

    inline const QString& toString() const;
    operator const QString&() const { return toString(); }
    // The record this name was taken from; null for a name of its own.
    ParamicsLink* heldLink() const { return owned() ? nullptr : reinterpret_cast<ParamicsLink*>(bits); }

private:
    static constexpr std::uintptr_t Owned = 1;  // records and strings are aligned to more than one byte
    bool owned() const { return bits & Owned; }
    const QString* ownString() const { return reinterpret_cast<const QString*>(bits & ~Owned); }
    std::uintptr_t release() noexcept { return std::exchange(bits, 0); }
    static const QString& noName()
    {
        static const QString empty;
        return empty;
    }

    std::uintptr_t bits = 0;
};

struct AngledSection
{
    ParamicsLinkName name;
    double angle = 0.0;
};

// The movement from a link into one following link at its end node. Lane
// numbers are the files' (counted from 1); from = 10000 with to = 0 means
// no lane recorded yet. After lane conversion, -1 means all lanes.
struct ParamicsTurning
{
    static constexpr int NoFromLane = 10000;
    static constexpr int NoToLane = 0;

    // In an order that leaves no padding between the fields.
    int originFromLane = NoFromLane;
    int originToLane = NoToLane;
    int destinationFromLane = NoFromLane;
    int destinationToLane = NoToLane;
    int warningIndicator = 0;
    unsigned int turningId = 0;
    ParamicsLinkName destination;
    CVObject* signal = nullptr;  // its "CVControlPlanSignal", owned by the model
    bool barred = false;

    bool originRecorded() const { return !(originFromLane == NoFromLane && originToLane == NoToLane); }
    bool destinationRecorded() const
    {
        return !(destinationFromLane == NoFromLane && destinationToLane == NoToLane);
    }
};

// A ramp entry of a link: the geometric node where a ramp joins, and the
// ramp's length as written.
struct ParamicsRamp
{
    QString node;
    CVPoint position;
    double length = 0.0;
};

// One direction of a road between two nodes.
struct ParamicsNode;

struct ParamicsLink
{
    QString from;
    QString to;
    // The records of the start and end nodes that the link's header named
    // (node records stay put once the nodes file is read): the builders
    // reach a link's nodes without looking their ids up. Null for a link
    // made without them; startNode and endNode then look the ids up.
    ParamicsNode* fromNode = nullptr;
    ParamicsNode* toNode = nullptr;
    QString name;
    QString roadType;
    double speed = 0.0;
    double width = 0.0;
    int lanes = 0;
    // The host section that the section builder made for the link, by id
    // and as the object, which the builders after it reach without a
    // look-up; 0 and null for a link without one (a barred link).
    unsigned int sectionId = 0;
    CVSection* section = nullptr;
    int category = -1;
    int arcCentre = -1;
    bool twoWay = false;
    bool barred = false;
    // Whether `opposite` holds the record of the link in the other
    // direction (named "to:from"), null for none: the link update finds it
    // once all links are read, and the section geometry needs it again.
    bool oppositeKnown = false;
    const ParamicsLink* opposite = nullptr;
    int inTurnings = 0;
    int outTurnings = 0;
    QVector<ParamicsRamp> ramps;
    // One turning per link leaving the end node: room for four in the record.
    ParamicsInlineList<ParamicsTurning, 4> turnings;

    static QString linkName(const QString& fromNode, const QString& toNode)
    {
        return ParamicsName::link(fromNode, toNode).toString();
    }

    void appendTurning(const ParamicsTurning& turning) { turnings.append(turning); }
    ParamicsTurning& turning(int index) { return turnings[index]; }
    int turningCount() const { return int(turnings.size()); }
    bool hasRamps() const { return !ramps.isEmpty(); }
    // Keeps ramps in ascending plane distance from the start node; an entry
    // at the same distance as an earlier one goes after it.
    void insertRamp(const ParamicsRamp& ramp, const CVPoint& startPosition);
    // The turning into the named following link, or null.
    ParamicsTurning* findTurning(const ParamicsName& destinationName);
    ParamicsTurning* findTurning(const QString& destinationName) { return findTurning(ParamicsName(destinationName)); }
    void increaseInTurnings() { ++inTurnings; }
    void increaseOutTurnings() { ++outTurnings; }
};

// An entry of a node's lists of entering and leaving links: the link's
// record, which stays in its map as long as the node's record lives.
struct Section
{
    explicit Section(ParamicsLink& link) : link(&link) {}

    const QString& name() const { return link->name; }

    ParamicsLink* link;  // never null
};

inline const QString& ParamicsLinkName::toString() const
{
    if (owned())
        return *ownString();
    return bits ? heldLink()->name : noName();
}

// A node's entering or leaving links, in the order the links file names
// them: room for four in the record, which most nodes need at most.
using ParamicsSectionList = ParamicsInlineList<Section, 4>;

// A node of the nodes file.
struct ParamicsNode
{
    enum Type { Junction = 0, Roundabout = 1, Other = 2 };

    QString id;
    // The host node built for it (by the node builder, or the ramp builder's
    // cut node for a ramp node) and its id; null and 0 before.
    unsigned int objectId = 0;
    CVNode* node = nullptr;
    int type = 0;
    CVPoint position;
    bool intermediate = false;
    int sectionCount = 0;
    ParamicsSectionList inLinks;
    ParamicsSectionList outLinks;
    QVector<ParamicsPhase> priorities;
    ParamicsNode* rampNode = nullptr;
    float toRedTime = 0.0f;

    void appendInLink(ParamicsLink& link) { inLinks.emplaceBack(link); }
    void appendOutLink(ParamicsLink& link) { outLinks.emplaceBack(link); }
    void appendPriority(const ParamicsPhase& phase) { priorities.append(phase); }
    void increaseSectionCount() { ++sectionCount; }
};

// The records of nodes by id and of links by name ("from:to").
using ParamicsNodeMap = ParamicsNamedRecords<ParamicsNode>;
using ParamicsLinkMap = ParamicsNamedRecords<ParamicsLink>;

// A link's start and end nodes.
inline ParamicsNode* startNode(const ParamicsLink& link, const ParamicsNodeMap& nodes)
{
    return link.fromNode ? link.fromNode : nodes.value(link.from, nullptr);
}

inline ParamicsNode* endNode(const ParamicsLink& link, const ParamicsNodeMap& nodes)
{
    return link.toNode ? link.toNode : nodes.value(link.to, nullptr);
}

// Whether two node ids of links name one node: compared as the nodes'
// records where both links have them (a node's record is the one of its
// id), which spares reading the ids' characters.
inline bool sameNode(const ParamicsNode* first, const QString& firstId, const ParamicsNode* second,
                     const QString& secondId)
{
    return first && second ? first == second : firstId == secondId;
}

// The link in the other direction: as the link update found it, or
// looked up for a link it has not seen.
inline const ParamicsLink* oppositeLink(const ParamicsLink& link, const ParamicsLinkMap& links)
{
    if (link.oppositeKnown)
        return link.opposite;
    return links.value(ParamicsName::link(link.to, link.from), nullptr);
}

// The link a turning or an exit leads into. Link records stay in their
// map from the header that made them to the end of the import, so the
// record a name was taken from is the link of that name.
inline ParamicsLink* namedLink(const ParamicsLinkName& name, const ParamicsLinkMap& links)
{
    if (ParamicsLink* link = name.heldLink())
        return link;
    return links.value(name.toString(), nullptr);
}
