#include "check/problemsfile.h"

#include "export/gismodule.h"

#include <cvoutputfile.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

namespace {

QString objectNames(const CheckFinding& finding)
{
    QStringList names;
    for (const CheckObject& object : finding.objects)
        names << object.label;
    return names.join(QStringLiteral("; "));
}

QString objectIds(const CheckFinding& finding)
{
    QStringList ids;
    for (const CheckObject& object : finding.objects)
        ids << QString::number(object.id);
    return ids.join(QLatin1Char(' '));
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool writeCsv(const CheckReport& report, const QString& path, QString* error)
{
    CVOutputFile file(path);
    if (!file.open()) {
        *error = file.errorString();
        return false;
    }
    QString text = QStringLiteral("kind,severity,text,objects,ids,trips,x,y\n");
    for (const CheckFinding& f : report.findings) {
        text += QStringList{QString::fromLatin1(checkKindInfo(f.kind).id), severityName(f.severity()), csvField(f.text),
                            csvField(objectNames(f)), objectIds(f), QString::number(f.trips, 'f', 2),
                            f.hasPosition ? QString::number(f.position.x, 'f', 3) : QString(),
                            f.hasPosition ? QString::number(f.position.y, 'f', 3) : QString()}
                    .join(QLatin1Char(','))
                + QLatin1Char('\n');
    }
    file.device()->write(text.toUtf8());
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

// One point a finding, at its position (none when it has none).
GisLayers::Layer findingsLayer(const CheckReport& report)
{
    using GisLayers::FieldType;
    GisLayers::Layer layer;
    layer.name = QStringLiteral("problems");
    for (const char* name : {"kind", "severity", "text", "objects", "ids"})
        layer.fields.append({QLatin1String(name), FieldType::String});
    layer.fields.append({QStringLiteral("trips"), FieldType::Real});
    for (const CheckFinding& f : report.findings) {
        GisLayers::Feature feature;
        if (f.hasPosition)
            feature.geometry.append(f.position);
        feature.values = {QString::fromLatin1(checkKindInfo(f.kind).id), severityName(f.severity()), f.text,
                          objectNames(f), objectIds(f), f.trips};
        layer.features.append(feature);
    }
    return layer;
}

// Written beside its place under a temporary name, then renamed.
bool writeGis(const CheckReport& report, const QString& path, GisFormat format, QString* error)
{
    const GisModule* gis = GisModule::load(error);
    if (!gis)
        return false;
    const QFileInfo target(path);
    QStringList created;
    if (!CVOutputFolders::createParents(target.absoluteFilePath(), &created, error))
        return false;
    QTemporaryDir staging(target.absolutePath() + QStringLiteral("/.corvia-output.XXXXXX"));
    if (!staging.isValid()) {
        *error = staging.errorString();
        CVOutputFolders::removeCreated(&created);
        return false;
    }
    const QString staged = staging.filePath(target.fileName());
    if (!gis->writePoints(findingsLayer(report), staged, format, error)) {
        CVOutputFolders::removeCreated(&created);
        return false;
    }
    QFile::remove(target.absoluteFilePath());
    if (!QFile::rename(staged, target.absoluteFilePath())) {
        *error = QStringLiteral("cannot move the file into place");
        CVOutputFolders::removeCreated(&created);
        return false;
    }
    return true;
}

}  // namespace

bool ProblemsFile::isGisFile(const QString& path)
{
    const GisFormat format = GisFormats::of(path);
    return format == GisFormat::GeoPackage || format == GisFormat::GeoJson;
}

bool ProblemsFile::write(const CheckReport& report, const QString& path, QString* error)
{
    if (isGisFile(path))
        return writeGis(report, path, GisFormats::of(path), error);
    return writeCsv(report, path, error);
}
