#pragma once

#include "reader/paramicsinlinelist.h"
#include "reader/paramicsname.h"
#include "reader/paramicsphase.h"
#include "reader/paramicsrecordmap.h"

#include <cvpoint.h>

#include <QString>
#include <QVector>

class CVObject;

// The name of a link as a turning refers to it. Turnings are made from the
// link records and refer to the name the record of the link they lead into
// holds: the records of a network are made and given back together, and a
// region's hundreds of thousands of turnings then neither copy that name
// nor drop a reference to it, each somewhere else in memory. A name given
// as text (one that no record holds) is kept here.
class ParamicsLinkName
{
public:
    ParamicsLinkName() = default;
    ParamicsLinkName(const QString& name) : text(name) {}
    // Refers to the name a record holds, which must outlive this.
    static ParamicsLinkName heldBy(const QString& recordName)
    {
        ParamicsLinkName name;
        name.held = &recordName;
        return name;
    }

    const QString& toString() const { return held ? *held : text; }
    operator const QString&() const { return toString(); }

private:
    const QString* held = nullptr;
    QString text;
};

// A link name with an angle: an entry of the angle-sorted list from which a
// link's turnings are made.
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

    int originFromLane = NoFromLane;
    int originToLane = NoToLane;
    int destinationFromLane = NoFromLane;
    int destinationToLane = NoToLane;
    bool barred = false;
    ParamicsLinkName destination;
    int warningIndicator = 0;
    unsigned int turningId = 0;
    CVObject* signal = nullptr;  // its "CVControlPlanSignal", owned by the model

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
struct ParamicsLink
{
    QString from;
    QString to;
    QString name;
    QString roadType;
    double speed = 0.0;
    double width = 0.0;
    int lanes = 0;
    unsigned int sectionId = 0;
    int category = -1;
    int arcCentre = -1;
    bool twoWay = false;
    bool barred = false;
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

// An entry of a node's lists of entering and leaving links: the name the
// link's record holds, which lives as long as the node's record.
struct Section
{
    explicit Section(const ParamicsLink& link) : name(link.name) {}

    const QString& name;
};

// A node's entering or leaving links, in the order the links file names
// them: room for four in the record, which most nodes need at most.
using ParamicsSectionList = ParamicsInlineList<Section, 4>;

// A node of the nodes file.
struct ParamicsNode
{
    enum Type { Junction = 0, Roundabout = 1, Other = 2 };

    QString id;
    unsigned int objectId = 0;
    int type = 0;
    CVPoint position;
    bool intermediate = false;
    int sectionCount = 0;
    ParamicsSectionList inLinks;
    ParamicsSectionList outLinks;
    QVector<ParamicsPhase> priorities;
    ParamicsNode* rampNode = nullptr;
    float toRedTime = 0.0f;

    void appendInLink(const ParamicsLink& link) { inLinks.emplaceBack(link); }
    void appendOutLink(const ParamicsLink& link) { outLinks.emplaceBack(link); }
    void appendPriority(const ParamicsPhase& phase) { priorities.append(phase); }
    void increaseSectionCount() { ++sectionCount; }
};

// The records of nodes by id and of links by name ("from:to").
using ParamicsNodeMap = ParamicsNamedRecords<ParamicsNode>;
using ParamicsLinkMap = ParamicsNamedRecords<ParamicsLink>;
