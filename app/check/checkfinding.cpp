#include "check/checkfinding.h"

#include <cvobject.h>
#include <cvsection.h>
#include <cvturning.h>

#include <QRegularExpression>

#include <algorithm>

const std::vector<CheckKindInfo>& checkKinds()
{
    static const std::vector<CheckKindInfo> kinds = {
        {CheckKind::NoWayOut, "no-way-out", CheckSeverity::Warning, "sections with no way out"},
        {CheckKind::NoWayIn, "no-way-in", CheckSeverity::Warning, "sections with no way in"},
        {CheckKind::DisconnectedPart, "disconnected-part", CheckSeverity::Warning, "network parts not connected to the rest"},
        {CheckKind::ZoneUnconnected, "zone-unconnected", CheckSeverity::Error, "zones with no connection in or out"},
        {CheckKind::OdWithoutPath, "od-without-path", CheckSeverity::Error, "OD pairs with trips but no path"},
        {CheckKind::LaneWithoutTurningOut, "lane-without-turning-out", CheckSeverity::Warning, "lanes no turning leaves from"},
        {CheckKind::LaneWithoutTurningIn, "lane-without-turning-in", CheckSeverity::Note, "lanes no turning arrives at"},
        {CheckKind::MovementWithoutGreen, "movement-without-green", CheckSeverity::Warning, "signalised movements green in no phase"},
        {CheckKind::PhaseWithoutTime, "phase-without-time", CheckSeverity::Warning, "phases of zero length"},
        {CheckKind::PlanWithoutIntergreen, "plan-without-intergreen", CheckSeverity::Note, "signal plans without intergreen"},
        {CheckKind::TurningsCross, "turnings-cross", CheckSeverity::Warning, "turnings crossing at the same lanes"},
        {CheckKind::ShortSection, "short-section", CheckSeverity::Warning, "sections shorter than 5 m"},
        {CheckKind::NodesOnTop, "nodes-on-top", CheckSeverity::Warning, "nodes on top of each other"},
        {CheckKind::CentreLineFolds, "centre-line-folds", CheckSeverity::Warning, "centre lines that fold back"},
        {CheckKind::LineGap, "line-gap", CheckSeverity::Error, "bus lines with a gap"},
        {CheckKind::StopBeyondSection, "stop-beyond-section", CheckSeverity::Warning, "stops beyond their section"},
        {CheckKind::LinesShareName, "lines-share-name", CheckSeverity::Warning, "bus lines sharing a name"},
        {CheckKind::StopsShareName, "stops-share-name", CheckSeverity::Note, "bus stops sharing a name"},
        {CheckKind::OtherVariant, "other-variant", CheckSeverity::Error, "input that looks like the other variant"},
        {CheckKind::OtherUnit, "other-unit", CheckSeverity::Warning, "unit words against the chosen unit"},
        {CheckKind::ConfigurationNotApplied, "configuration-not-applied", CheckSeverity::Note, "configuration not applied"},
    };
    return kinds;
}

const CheckKindInfo& checkKindInfo(CheckKind kind)
{
    return checkKinds().at(std::size_t(kind));
}

QString severityName(CheckSeverity severity)
{
    switch (severity) {
    case CheckSeverity::Error:
        return QStringLiteral("error");
    case CheckSeverity::Warning:
        return QStringLiteral("warning");
    case CheckSeverity::Note:
        break;
    }
    return QStringLiteral("note");
}

int CheckReport::count(CheckKind kind) const
{
    return int(std::count_if(findings.cbegin(), findings.cend(), [kind](const CheckFinding& f) { return f.kind == kind; }));
}

int CheckReport::count(CheckSeverity severity) const
{
    return int(std::count_if(findings.cbegin(), findings.cend(),
                             [severity](const CheckFinding& f) { return f.severity() == severity; }));
}

void CheckReport::sortByKind()
{
    std::stable_sort(findings.begin(), findings.end(),
                     [](const CheckFinding& a, const CheckFinding& b) { return int(a.kind) < int(b.kind); });
}

QString paramicsLabel(const CVObject* object)
{
    if (!object)
        return QString();
    const QString& type = object->getTypeName();
    const QString& name = object->getName();
    if (type == QLatin1String("CVSection")) {
        // Sections carry their link's two node numbers: "N12_N13" is link 12:13.
        static const QRegularExpression linkName(QStringLiteral("^N(.+)_N(.+)$"));
        const QRegularExpressionMatch match = linkName.match(name);
        if (match.hasMatch())
            return QStringLiteral("link %1:%2").arg(match.captured(1), match.captured(2));
    } else if (type == QLatin1String("CVTurning")) {
        const auto* turning = static_cast<const CVTurning*>(object);
        return QStringLiteral("turning %1 to %2").arg(paramicsLabel(turning->getOrigin()), paramicsLabel(turning->getDestination()));
    } else if (type == QLatin1String("CVNode") && !name.isEmpty()) {
        return QStringLiteral("node %1").arg(name);
    } else if (type == QLatin1String("CVCentroid")) {
        return QStringLiteral("zone %1").arg(object->getExternalId().isEmpty() ? name : object->getExternalId());
    } else if (type == QLatin1String("CVPublicLine") && !name.isEmpty()) {
        return QStringLiteral("line %1").arg(name);
    } else if (type == QLatin1String("CVBusStop") && !name.isEmpty()) {
        return QStringLiteral("stop %1").arg(name);
    }
    return name.isEmpty() ? QStringLiteral("%1 #%2").arg(type).arg(object->getId()) : name;
}

CheckObject checkObject(const CVObject* object)
{
    return {object ? object->getId() : 0, paramicsLabel(object)};
}
