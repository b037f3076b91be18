#pragma once

#include <cvpoint.h>

#include <QList>
#include <QString>

#include <vector>

class CVObject;

enum class CheckSeverity { Error, Warning, Note };

// What a modeller has to look at in an imported model. Kinds are stable
// words (tools and tests match them); their order here is the order of the
// report.
enum class CheckKind {
    NoWayOut,
    NoWayIn,
    DisconnectedPart,
    ZoneUnconnected,
    OdWithoutPath,
    LaneWithoutTurningOut,
    LaneWithoutTurningIn,
    MovementWithoutGreen,
    PhaseWithoutTime,
    PlanWithoutIntergreen,
    TurningsCross,
    ShortSection,
    NodesOnTop,
    CentreLineFolds,
    LineGap,
    StopBeyondSection,
    LinesShareName,
    StopsShareName,
    OtherVariant,
    OtherUnit,
    ConfigurationNotApplied,
};

struct CheckKindInfo
{
    CheckKind kind;
    const char* id;        // e.g. "no-way-out"
    CheckSeverity severity;
    const char* title;     // for people, e.g. "sections with no way out"
};

const std::vector<CheckKindInfo>& checkKinds();
const CheckKindInfo& checkKindInfo(CheckKind kind);
QString severityName(CheckSeverity severity);

// An object a finding is about: its host id and its name as the Paramics
// files have it ("link 12:13", "node 7", "zone 3", "line \"12\"").
struct CheckObject
{
    unsigned int id = 0;
    QString label;
};

struct CheckFinding
{
    CheckKind kind;
    QString text;  // one line for people, without the kind's title
    QList<CheckObject> objects;
    CVPoint position;
    bool hasPosition = false;
    double trips = 0.0;  // trips the fault costs; 0 where it costs none

    CheckSeverity severity() const { return checkKindInfo(kind).severity; }
};

// The findings of one check, in the kinds' order and, within a kind, in
// the order the objects have in the model.
struct CheckReport
{
    QList<CheckFinding> findings;

    int count(CheckKind kind) const;
    int count(CheckSeverity severity) const;
    bool hasErrors() const { return count(CheckSeverity::Error) > 0; }
    void sortByKind();
};

// "link 12:13", "node 7", "zone 3", "line \"12\"", "stop \"A\"", or the
// type and host id of an object the Paramics files do not name.
QString paramicsLabel(const CVObject* object);
CheckObject checkObject(const CVObject* object);
