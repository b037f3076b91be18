#include "check/problemsfile.h"

#include <cvoutputfile.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>

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

struct DatasetCloser
{
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

bool addFeatures(const CheckReport& report, OGRLayer* layer)
{
    const auto field = [layer](const char* name, OGRFieldType type) {
        OGRFieldDefn definition(name, type);
        return layer->CreateField(&definition) == OGRERR_NONE;
    };
    if (!field("kind", OFTString) || !field("severity", OFTString) || !field("text", OFTString)
        || !field("objects", OFTString) || !field("ids", OFTString) || !field("trips", OFTReal))
        return false;
    for (const CheckFinding& f : report.findings) {
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField("kind", checkKindInfo(f.kind).id);
        feature.SetField("severity", severityName(f.severity()).toUtf8().constData());
        feature.SetField("text", f.text.toUtf8().constData());
        feature.SetField("objects", objectNames(f).toUtf8().constData());
        feature.SetField("ids", objectIds(f).toUtf8().constData());
        feature.SetField("trips", f.trips);
        if (f.hasPosition) {
            OGRPoint point(f.position.x, f.position.y);
            feature.SetGeometry(&point);
        }
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            return false;
    }
    return true;
}

// Written beside its place under a temporary name, then renamed.
bool writeOgr(const CheckReport& report, const QString& path, const char* driverName, QString* error)
{
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (!driver) {
        *error = QStringLiteral("OGR has no %1 driver").arg(QLatin1String(driverName));
        return false;
    }
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
    {
        std::unique_ptr<GDALDataset, DatasetCloser> dataset(
            driver->Create(staged.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRLayer* layer = dataset ? dataset->CreateLayer("problems", nullptr, wkbPoint, nullptr) : nullptr;
        if (!layer || !addFeatures(report, layer)) {
            *error = QString::fromUtf8(CPLGetLastErrorMsg());
            CVOutputFolders::removeCreated(&created);
            return false;
        }
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

bool ProblemsFile::write(const CheckReport& report, const QString& path, QString* error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("gpkg"))
        return writeOgr(report, path, "GPKG", error);
    if (suffix == QLatin1String("geojson") || suffix == QLatin1String("json"))
        return writeOgr(report, path, "GeoJSON", error);
    return writeCsv(report, path, error);
}
