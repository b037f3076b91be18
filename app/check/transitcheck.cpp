// Bus lines and stops: gaps in a line's path, stops placed past their
// section's end, and lines or stops that share a name.

#include "check/modelcheck.h"

#include "export/modelobjects.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvpublicline.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvturning.h>

#include <QMap>

namespace {

bool joined(const CVSection* from, const CVSection* to)
{
    if (!from->getDestination() || from->getDestination() != to->getOrigin())
        return false;
    for (const CVTurning* turning : from->getDestination()->getFromTurnings(from)) {
        if (turning->getDestination() == to)
            return true;
    }
    return false;
}

void checkLine(const CVModel& model, const CVPublicLine* line, CheckReport& report)
{
    const QVector<unsigned int>& ids = line->getSections();
    for (int i = 0; i + 1 < ids.size(); ++i) {
        const auto* from = dynamic_cast<const CVSection*>(model.getCatalog()->find(ids[i]));
        const auto* to = dynamic_cast<const CVSection*>(model.getCatalog()->find(ids[i + 1]));
        if (!from || !to || joined(from, to))
            continue;
        const QString why = from->getDestination() != to->getOrigin() ? QStringLiteral("they do not meet")
                                                                       : QStringLiteral("no turning joins them");
        CheckFinding finding{CheckKind::LineGap,
                             QStringLiteral("between %1 and %2 (sections %3 and %4 of %5): %6")
                                 .arg(paramicsLabel(from), paramicsLabel(to))
                                 .arg(i + 1)
                                 .arg(i + 2)
                                 .arg(ids.size())
                                 .arg(why),
                             {checkObject(line), checkObject(from), checkObject(to)},
                             {},
                             false,
                             0.0};
        if (!from->getPoints().isEmpty()) {
            finding.position = from->getPoints().last();
            finding.hasPosition = true;
        }
        report.findings.append(finding);
    }
}

void checkStop(const CVBusStop* stop, CheckReport& report)
{
    const auto* section = dynamic_cast<const CVSection*>(stop->getSection());
    if (!section)
        return;
    const double length = section->length2D();
    const double end = double(stop->getPosition()) + double(stop->getLength());
    if (stop->getPosition() >= 0.0f && end <= length + 0.01)
        return;
    CheckFinding finding{CheckKind::StopBeyondSection,
                         QStringLiteral("from %1 m to %2 m along %3, which is %4 m long")
                             .arg(stop->getPosition(), 0, 'f', 1)
                             .arg(end, 0, 'f', 1)
                             .arg(paramicsLabel(section))
                             .arg(length, 0, 'f', 1),
                         {checkObject(stop), checkObject(section)},
                         {},
                         false,
                         0.0};
    if (!section->getPoints().isEmpty()) {
        finding.position = section->getPoints().last();
        finding.hasPosition = true;
    }
    report.findings.append(finding);
}

template <typename T>
void checkNames(const QList<T*>& objects, CheckKind kind, const QString& what, CheckReport& report)
{
    QMap<QString, QList<const T*>> byName;
    for (const T* object : objects) {
        if (!object->getName().isEmpty())
            byName[object->getName()].append(object);
    }
    for (auto it = byName.cbegin(); it != byName.cend(); ++it) {
        if (it.value().size() < 2)
            continue;
        CheckFinding finding{kind, QStringLiteral("%1 %2 share the name %3").arg(it.value().size()).arg(what, it.key()),
                             {}, {}, false, 0.0};
        for (const T* object : it.value())
            finding.objects.append(checkObject(object));
        report.findings.append(finding);
    }
}

}  // namespace

void ModelCheck::checkTransit(const CVModel& model, CheckReport& report)
{
    const QList<CVPublicLine*> lines = modelObjects<CVPublicLine>(model, QStringLiteral("CVPublicLine"));
    for (const CVPublicLine* line : lines)
        checkLine(model, line, report);
    const QList<CVBusStop*> stops = modelObjects<CVBusStop>(model, QStringLiteral("CVBusStop"));
    for (const CVBusStop* stop : stops)
        checkStop(stop, report);
    checkNames(lines, CheckKind::LinesShareName, QStringLiteral("lines"), report);
    checkNames(stops, CheckKind::StopsShareName, QStringLiteral("stops"), report);
}
