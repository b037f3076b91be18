#include "check/checktext.h"

namespace {

QString plural(int count, const char* word)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(QLatin1String(word)).arg(count == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace

QString CheckText::countLine(const CheckReport& report)
{
    return QStringLiteral("Check: %1, %2, %3")
        .arg(plural(report.count(CheckSeverity::Error), "error"), plural(report.count(CheckSeverity::Warning), "warning"),
             plural(report.count(CheckSeverity::Note), "note"));
}

QString CheckText::objectList(const CheckFinding& finding, int shown, int first)
{
    QStringList names;
    for (int i = first; i < finding.objects.size() && (shown < 0 || i - first < shown); ++i)
        names << finding.objects[i].label;
    QString text = names.join(QStringLiteral(", "));
    const int more = int(finding.objects.size()) - first - int(names.size());
    if (more > 0)
        text += QStringLiteral(" and %1 more").arg(more);
    return text;
}

QStringList CheckText::lines(const CheckReport& report, bool all)
{
    QStringList result;
    for (const CheckKindInfo& info : checkKinds()) {
        QList<const CheckFinding*> findings;
        double trips = 0.0;
        for (const CheckFinding& f : report.findings) {
            if (f.kind == info.kind) {
                findings.append(&f);
                trips += f.trips;
            }
        }
        if (findings.isEmpty())
            continue;
        QString head = QStringLiteral("%1: %2 (%3) [%4]")
                           .arg(severityName(info.severity), QLatin1String(info.title))
                           .arg(findings.size())
                           .arg(QLatin1String(info.id));
        if (trips > 0.0)
            head += QStringLiteral(", %1 trips lost").arg(trips, 0, 'f', 1);
        result << head;
        const int shown = all ? int(findings.size()) : std::min(int(findings.size()), FindingsShown);
        for (int i = 0; i < shown; ++i) {
            // The finding's first object is what it is about; its text names the others.
            const CheckFinding& f = *findings[i];
            result << (f.objects.isEmpty() ? QStringLiteral("  %1").arg(f.text)
                                           : QStringLiteral("  %1: %2").arg(f.objects.first().label, f.text));
            if (all && f.objects.size() > 1)
                result << QStringLiteral("    objects: %1").arg(objectList(f, -1));
        }
        if (shown < findings.size())
            result << QStringLiteral("  ... and %1 more (--verbose lists all)").arg(findings.size() - shown);
    }
    return result;
}
