#pragma once

#include "reader/paramicsname.h"
#include "reader/paramicsphase.h"
#include "reader/paramicsrecordmap.h"

#include <cvpoint.h>

#include <QString>
#include <QVector>

class CVObject;

// A link name with an angle: an entry of a node's lists of entering and
// leaving links (angle unused), and of the angle-sorted list from which a
// link's turnings are made.
struct Section
{
    QString name;
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
    QString destination;
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
    QVector<ParamicsTurning> turnings;

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
    QVector<Section> inLinks;
    QVector<Section> outLinks;
    QVector<ParamicsPhase> priorities;
    ParamicsNode* rampNode = nullptr;
    float toRedTime = 0.0f;

    void appendInLink(const QString& name) { appendSection(inLinks, name); }
    void appendOutLink(const QString& name) { appendSection(outLinks, name); }
    void appendPriority(const ParamicsPhase& phase) { priorities.append(phase); }
    void increaseSectionCount() { ++sectionCount; }

private:
    // Most nodes have up to four links each way: room for four at once
    // spares the list its first regrowths.
    static void appendSection(QVector<Section>& sections, const QString& name)
    {
        if (sections.size() == sections.capacity())
            sections.reserve(sections.size() < 4 ? 4 : 2 * sections.size());
        sections.append(Section{name, 0.0});
    }
};

// The records of nodes by id and of links by name ("from:to").
using ParamicsNodeMap = ParamicsNamedRecords<ParamicsNode>;
using ParamicsLinkMap = ParamicsNamedRecords<ParamicsLink>;
