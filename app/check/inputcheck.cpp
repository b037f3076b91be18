// Signs in the Paramics files that the import ran with the wrong options:
// words of the other variant, unit words against the chosen unit, a
// configuration whose settings the import did not take, and bus routes
// whose names the importer's cut made equal.

#include "check/inputscan.h"
#include "check/modelcheck.h"

#include "export/modelobjects.h"

#include <cvimportsettings.h>
#include <cvmodel.h>
#include <cvpublicline.h>

namespace {

CheckFinding inputFinding(CheckKind kind, const QString& text)
{
    return {kind, text, {}, {}, false, 0.0};
}

void checkVariant(const QString& variant, const InputScan& scan, CheckReport& report)
{
    const bool sias = variant == QLatin1String("Sias");
    const QStringList& mine = sias ? scan.siasSigns : scan.quadstoneSigns;
    const QStringList& other = sias ? scan.quadstoneSigns : scan.siasSigns;
    // Words of both variants prove nothing; only the other's words alone do.
    if (!other.isEmpty() && mine.isEmpty())
        report.findings.append(inputFinding(
            CheckKind::OtherVariant, QStringLiteral("read as %1, but the files have words of the %2 variant (%3)")
                                         .arg(variant, sias ? QStringLiteral("Quadstone") : QStringLiteral("Sias"),
                                              other.join(QStringLiteral(", ")))));
}

void checkUnits(const QString& unit, const InputScan& scan, CheckReport& report)
{
    for (const auto& file : scan.unitWords) {
        if (file.second != unit)
            report.findings.append(inputFinding(
                CheckKind::OtherUnit, QStringLiteral("%1 has unit words of %2, not %3 as chosen; they set the unit of "
                                                     "the files read from there on")
                                          .arg(file.first, file.second, unit)));
    }
}

void checkConfiguration(const CVImportSettings& settings, const InputScan& scan, CheckReport& report)
{
    if (!scan.hasConfiguration)
        return;
    QStringList ignored;
    if (!scan.configurationUnits.isEmpty() && scan.configurationUnits != scan.unitAfterReading(settings.lengthUnit))
        ignored << QStringLiteral("units %1").arg(scan.configurationUnits);
    const QString rule = settings.roadSide == CVRoadSide::Left ? QStringLiteral("left") : QStringLiteral("right");
    if (!scan.configurationRule.isEmpty() && scan.configurationRule != rule)
        ignored << QStringLiteral("%1-hand drive").arg(scan.configurationRule);
    QString text = settings.variant == QLatin1String("Sias")
                       ? QStringLiteral("only its stop delay and time to red were applied")
                       : QStringLiteral("not read: the Quadstone variant reads no configuration");
    if (!ignored.isEmpty())
        text += QStringLiteral("; it says %1, the import used otherwise").arg(ignored.join(QStringLiteral(", ")));
    else if (settings.variant == QLatin1String("Sias"))
        return;
    report.findings.append(inputFinding(CheckKind::ConfigurationNotApplied, text));
}

void checkRouteNames(const CVModel& model, const InputScan& scan, CheckReport& report)
{
    const QList<CVPublicLine*> lines = modelObjects<CVPublicLine>(model, QStringLiteral("CVPublicLine"));
    for (auto it = scan.routesCutToOneName.cbegin(); it != scan.routesCutToOneName.cend(); ++it) {
        CheckFinding finding = inputFinding(CheckKind::LinesShareName,
                                            QStringLiteral("%1 routes (%2) are cut to the one name %3 and replace each other")
                                                .arg(it.value().size())
                                                .arg(it.value().join(QStringLiteral(", ")), it.key()));
        for (const CVPublicLine* line : lines) {
            if (line->getName() == it.key())
                finding.objects.append(checkObject(line));
        }
        report.findings.append(finding);
    }
}

}  // namespace

void ModelCheck::checkInput(const CVModel& model, const QString& directory, CheckReport& report)
{
    const std::optional<CVImportSettings>& settings = model.getImportSettings();
    if (!settings)
        return;
    const InputScan scan = InputScan::of(directory);
    checkVariant(settings->variant, scan, report);
    checkUnits(settings->lengthUnit, scan, report);
    checkConfiguration(*settings, scan, report);
    checkRouteNames(model, scan, report);
}
