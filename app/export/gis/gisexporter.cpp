#include "export/gis/gisexporter.h"

#include "export/exporttext.h"
#include "export/gis/crstext.h"
#include "export/gis/gislayers.h"
#include "export/gis/gislayerstream.h"
#include "export/gis/gisplacement.h"
#include "export/gis/gisstyles.h"
#include "export/gis/gpkgspatialindex.h"
#include "export/gis/ogrfields.h"

#include <cvgeoreference.h>
#include <cvoutputfile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <ogr_feature.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <memory>

namespace {

using GisLayers::FieldType;

struct DatasetCloser
{
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

// GDAL reports problems through a global handler that prints them; while
// the exporter runs they are kept quiet and the last one becomes the error.
class QuietGdal
{
public:
    QuietGdal()
    {
        GDALAllRegister();
        // Grids are never fetched; see CrsText for what a CRS may name.
        OSRSetPROJEnableNetwork(FALSE);
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;

    static QString lastError(const QString& fallback)
    {
        // OGR's messages may span lines (an SQL statement); one line is shown.
        const QString message = QString::fromUtf8(CPLGetLastErrorMsg()).simplified();
        return message.isEmpty() ? fallback : message;
    }
};

double millimetres(double metres)
{
    return std::isfinite(metres) ? std::round(metres * 1000.0) / 1000.0 : 0.0;
}

const char* driverName(GisExporter::Format format)
{
    switch (format) {
    case GisExporter::Format::GeoPackage: return "GPKG";
    case GisExporter::Format::GeoJson: return "GeoJSON";
    case GisExporter::Format::FlatGeobuf: return "FlatGeobuf";
    case GisExporter::Format::Shapefile: return "ESRI Shapefile";
    case GisExporter::Format::Unknown: break;
    }
    return nullptr;
}

// Texts as the exports write them (ExportText).
void setValue(OGRFeature& feature, int index, const QVariant& value, FieldType type)
{
    if (index < 0)
        return;
    if (value.isNull())
        feature.SetFieldNull(index);
    else if (type == FieldType::String)
        feature.SetField(index, ExportText::storable(value.toString()).toUtf8().constData());
    else
        OgrFields::set(feature, index, value, type);
}

std::unique_ptr<OGRGeometry> geometry(const CVPoints& points, bool line, const CVGeoReference& where)
{
    if (!line) {
        const CVPoint p = where.place(points.first());
        return std::make_unique<OGRPoint>(millimetres(p.x), millimetres(p.y));
    }
    auto lineString = std::make_unique<OGRLineString>();
    lineString->setNumPoints(int(points.size()), FALSE);
    for (int i = 0; i < int(points.size()); ++i) {
        const CVPoint p = where.place(points[i]);
        lineString->setPoint(i, millimetres(p.x), millimetres(p.y));
    }
    return lineString;
}

// Writes one layer's features into an OGR layer whose fields it has (by
// name); kind, when given, fills the field "kind". With an index, each
// feature's box goes into it.
bool writeFeatures(OGRLayer* target, const GisLayers::Layer& layer, bool withKind, const CVGeoReference& where,
                   GpkgSpatialIndex* index = nullptr)
{
    const OGRFeatureDefn* definition = target->GetLayerDefn();
    QVector<int> indexes;
    for (const GisLayers::Field& field : layer.fields)
        indexes.append(definition->GetFieldIndex(field.name.toUtf8().constData()));
    const int kindIndex = withKind ? definition->GetFieldIndex("kind") : -1;
    // One feature for the whole layer: every field of the layer is set (or
    // nulled) anew each time, and making a feature costs more than filling it.
    OGRFeature feature(target->GetLayerDefn());
    const QVariant none;
    if (kindIndex >= 0)
        feature.SetField(kindIndex, layer.kind.toUtf8().constData());
    for (const GisLayers::Feature& f : layer.features) {
        feature.SetFID(f.id);
        for (int i = 0; i < layer.fields.size(); ++i)
            setValue(feature, indexes[i], i < f.values.size() ? f.values.at(i) : none, layer.fields[i].type);
        feature.SetGeometryDirectly(geometry(f.geometry, layer.lines, where).release());
        if (target->CreateFeature(&feature) != OGRERR_NONE)
            return false;
        if (index) {
            OGREnvelope box;
            feature.GetGeometryRef()->getEnvelope(&box);
            index->add(f.id, box);
        }
    }
    return true;
}

OGRwkbGeometryType geometryType(const GisLayers::Layer& layer)
{
    return layer.lines ? wkbLineString : wkbPoint;
}

// The fields of every layer, each name once, after "kind".
QVector<GisLayers::Field> unionOfFields(const QVector<GisLayers::Layer>& layers)
{
    QVector<GisLayers::Field> fields{{QStringLiteral("kind"), FieldType::String}};
    QStringList names{QStringLiteral("kind")};
    for (const GisLayers::Layer& layer : layers) {
        for (const GisLayers::Field& field : layer.fields) {
            if (!names.contains(field.name)) {
                names.append(field.name);
                fields.append(field);
            }
        }
    }
    return fields;
}

struct Target
{
    GisExporter::Format format;
    QString path;
    const OGRSpatialReference* srs;
    bool wgs84Output;  // GeoJSON with a CRS: reprojected by the driver
    CVGeoReference where;
};

Dataset create(const Target& target, const QString& path)
{
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName(target.format));
    if (!driver)
        return Dataset();
    return Dataset(driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
}

char** layerOptions(const Target& target)
{
    char** options = nullptr;
    if (target.format == GisExporter::Format::GeoJson) {
        if (target.wgs84Output)
            options = CSLSetNameValue(options, "RFC7946", "YES");
        else
            options = CSLSetNameValue(options, "COORDINATE_PRECISION", "3");
        options = CSLSetNameValue(options, "WRITE_NAME", "NO");
    }
    // Shapefiles otherwise hold Latin-1 only; the .cpg file tells readers.
    if (target.format == GisExporter::Format::Shapefile)
        options = CSLSetNameValue(options, "ENCODING", "UTF-8");
    return options;
}

// Turnings are drawn only close up (see GisStyles) and are the most
// numerous features of a large network; their spatial index would add about
// a tenth to a region's export and to its file for little use, so they get
// none (a GIS can add one).
bool unindexed(const QString& layerName)
{
    return layerName == QLatin1String("turnings");
}

OGRLayer* createLayer(GDALDataset& dataset, const Target& target, const QString& name, OGRwkbGeometryType type)
{
    char** options = layerOptions(target);
    // A GeoPackage's indexes are written by GpkgSpatialIndex.
    if (target.format == GisExporter::Format::GeoPackage)
        options = CSLSetNameValue(options, "SPATIAL_INDEX", "NO");
    OGRLayer* layer = dataset.CreateLayer(name.toUtf8().constData(), const_cast<OGRSpatialReference*>(target.srs), type, options);
    CSLDestroy(options);
    return layer;
}

// A file beside the layers (a style), in the same memory folder.
bool writeMemoryFile(const QString& path, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    VSILFILE* file = VSIFOpenL(path.toUtf8().constData(), "wb");
    if (!file)
        return false;
    const bool written = VSIFWriteL(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
    return VSIFCloseL(file) == 0 && written;
}

// The table in which the common desktop GIS looks for a GeoPackage layer's
// default style, with the columns it makes itself.
struct LayerStyle
{
    QString layer;
    QString qml;
};

bool writeStyleTable(GDALDataset& dataset, const QVector<LayerStyle>& layers)
{
    char** options = CSLSetNameValue(nullptr, "FID", "id");
    OGRLayer* styles = dataset.CreateLayer("layer_styles", nullptr, wkbNone, options);
    CSLDestroy(options);
    if (!styles)
        return false;
    for (const char* name : {"f_table_catalog", "f_table_schema", "f_table_name", "f_geometry_column", "styleName",
                             "styleQML", "styleSLD", "description", "owner", "ui"}) {
        OGRFieldDefn field(name, OFTString);
        if (styles->CreateField(&field) != OGRERR_NONE)
            return false;
    }
    OGRFieldDefn useAsDefault("useAsDefault", OFTInteger);
    useAsDefault.SetSubType(OFSTBoolean);
    OGRFieldDefn updateTime("update_time", OFTDateTime);
    updateTime.SetDefault("CURRENT_TIMESTAMP");
    if (styles->CreateField(&useAsDefault) != OGRERR_NONE || styles->CreateField(&updateTime) != OGRERR_NONE)
        return false;
    for (const LayerStyle& layer : layers) {
        OGRLayer* target = dataset.GetLayerByName(layer.layer.toUtf8().constData());
        if (!target)
            return false;
        OGRFeature style(styles->GetLayerDefn());
        style.SetField("f_table_catalog", "");
        style.SetField("f_table_schema", "");
        style.SetField("f_table_name", layer.layer.toUtf8().constData());
        style.SetField("f_geometry_column", target->GetGeometryColumn());
        style.SetField("styleName", layer.layer.toUtf8().constData());
        style.SetField("styleQML", layer.qml.toUtf8().constData());
        style.SetField("styleSLD", "");
        style.SetField("useAsDefault", 1);
        style.SetField("description", "corvia default style");
        style.SetField("owner", "");
        if (styles->CreateFeature(&style) != OGRERR_NONE)
            return false;
    }
    return true;
}

// The layers as the writers take them, one at a time (GisLayerStream), and
// the box they span when the placement is to be checked.
class Layers
{
public:
    Layers(const CVModel& model, bool placementChecked)
        : maker(model), stream([this](GisLayers::Layer& layer) { return maker.next(layer); }),
          placementChecked(placementChecked)
    {
    }

    bool next(GisLayers::Layer& layer, const CVGeoReference& where)
    {
        if (!stream.next(layer))
            return false;
        if (placementChecked)
            extent.add(layer, where);
        return true;
    }

    QVector<GisLayers::Layer> all(const CVGeoReference& where)
    {
        QVector<GisLayers::Layer> layers;
        GisLayers::Layer layer;
        while (next(layer, where))
            layers.append(std::move(layer));
        return layers;
    }

    const GisPlacement::Extent& placed() const { return extent; }

private:
    GisLayers::LayerMaker maker;
    GisLayerStream stream;  // after the maker, which it uses until destroyed
    bool placementChecked;
    GisPlacement::Extent extent;
};

// GeoJSON and FlatGeobuf: every kind in one layer, whose fields are those
// of all the kinds there are, so the layers are all made first.
bool writeOneLayer(const Target& target, Layers& source, QString* error)
{
    const QVector<GisLayers::Layer> layers = source.all(target.where);
    Dataset dataset = create(target, target.path);
    OGRLayer* layer = dataset ? createLayer(*dataset, target, QStringLiteral("network"), wkbUnknown) : nullptr;
    bool ok = layer && OgrFields::create(layer, unionOfFields(layers));
    for (int i = 0; ok && i < layers.size(); ++i)
        ok = writeFeatures(layer, layers[i], true, target.where);
    dataset.reset();  // closing writes what is left
    ok = ok && CPLGetLastErrorType() < CE_Failure;
    // GeoJSON is mostly read by web maps, which take no style file.
    if (ok && target.format == GisExporter::Format::FlatGeobuf) {
        const QFileInfo file(target.path);
        ok = writeMemoryFile(file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".qml"),
                             GisStyles::combinedStyle(layers));
    }
    if (!ok && error)
        *error = QuietGdal::lastError(QStringLiteral("OGR could not write the file"));
    return ok;
}

// About what a layer adds to a GeoPackage: a feature's geometry, its
// values and their share of the tables' pages.
qint64 geoPackageBytes(const GisLayers::Layer& layer)
{
    qint64 bytes = 0;
    for (const GisLayers::Feature& feature : layer.features)
        bytes += 64 + 16 * feature.geometry.size() + 8 * layer.fields.size();
    return bytes;
}

// A file in memory grows a tenth at a time, each time copied whole; room
// for each layer before it is written saves a region's GeoPackage a quarter
// of its writing time. The file keeps its length and content.
void reserveMemoryFile(const QString& path, qint64 bytes)
{
    VSILFILE* file = VSIFOpenL(path.toUtf8().constData(), "r+");
    if (!file)
        return;
    if (VSIFSeekL(file, 0, SEEK_END) == 0) {
        const vsi_l_offset length = VSIFTellL(file);
        if (vsi_l_offset(bytes) > length && VSIFTruncateL(file, vsi_l_offset(bytes)) == 0)
            VSIFTruncateL(file, length);
    }
    VSIFCloseL(file);
}

// GeoPackage: one layer per kind in one file, in one transaction.
bool writeLayers(const Target& target, Layers& layers, QString* error)
{
    Dataset dataset = create(target, target.path);
    bool ok = dataset && dataset->StartTransaction() == OGRERR_NONE;
    qint64 reserved = 1 << 20;
    QVector<LayerStyle> styles;
    GisLayers::Layer made;
    while (ok && layers.next(made, target.where)) {
        reserved += geoPackageBytes(made);
        reserveMemoryFile(target.path, reserved);
        OGRLayer* layer = createLayer(*dataset, target, made.name, geometryType(made));
        ok = layer && OgrFields::create(layer, made.fields);
        if (ok && unindexed(made.name)) {
            ok = writeFeatures(layer, made, false, target.where);
        } else if (ok) {
            GpkgSpatialIndex index;
            ok = index.begin(*dataset, *layer) && writeFeatures(layer, made, false, target.where, &index) &&
                 index.finish();
        }
        styles.append({made.name, GisStyles::layerStyle(made)});
    }
    ok = ok && writeStyleTable(*dataset, styles);
    ok = ok && dataset->CommitTransaction() == OGRERR_NONE;
    dataset.reset();
    if (!ok && error)
        *error = QuietGdal::lastError(QStringLiteral("OGR could not write the file"));
    return ok;
}

// Shapefiles: a folder, one shapefile (one geometry type) per kind.
bool writeShapefiles(const Target& target, Layers& layers, QString* error)
{
    GisLayers::Layer layer;
    while (layers.next(layer, target.where)) {
        const QString file = target.path + QLatin1Char('/') + layer.name + QStringLiteral(".shp");
        Dataset dataset = create(target, file);
        OGRLayer* shapes = dataset ? createLayer(*dataset, target, layer.name, geometryType(layer)) : nullptr;
        if (!shapes || !OgrFields::create(shapes, layer.fields) || !writeFeatures(shapes, layer, false, target.where)
            || !writeMemoryFile(target.path + QLatin1Char('/') + layer.name + QStringLiteral(".qml"),
                                GisStyles::layerStyle(layer))) {
            if (error)
                *error = QuietGdal::lastError(QStringLiteral("OGR could not write %1").arg(layer.name));
            return false;
        }
    }
    return true;
}

// OGR's drivers do not all check what they write, so they write into
// memory; the files are then written as CVOutputFolder does, every write
// checked, and appear together or not at all.
class MemoryFolder
{
public:
    MemoryFolder() : path(QStringLiteral("/vsimem/corvia-gis-%1").arg(++counter)) {}
    ~MemoryFolder() { VSIRmdirRecursive(path.toUtf8().constData()); }
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;

    const QString path;

    // nameFiles: the reason of a failure names the file (the export has several).
    bool copyTo(const QString& folder, bool nameFiles, QString* error) const
    {
        CVOutputFolder output(folder);
        if (!output.open())
            return fail(output.errorString(), error);
        char** names = VSIReadDir(path.toUtf8().constData());
        bool ok = true;
        for (int i = 0; ok && names && names[i]; ++i)
            ok = copyFile(QString::fromUtf8(names[i]), output, nameFiles, error);
        CSLDestroy(names);
        if (ok && !output.commit())
            return fail(output.errorString(), error);
        return ok;
    }

private:
    static inline int counter = 0;

    static bool fail(const QString& reason, QString* error)
    {
        if (error)
            *error = reason;
        return false;
    }

    bool copyFile(const QString& name, CVOutputFolder& output, bool nameFiles, QString* error) const
    {
        vsi_l_offset size = 0;
        const GByte* bytes = VSIGetMemFileBuffer((path + QLatin1Char('/') + name).toUtf8().constData(), &size, FALSE);
        CVOutputFile file(output.stagedPath(name));
        if (!file.open() || (bytes && file.device()->write(reinterpret_cast<const char*>(bytes), qint64(size)) != qint64(size)) ||
            !file.commit()) {
            return fail(nameFiles ? QStringLiteral("%1: %2").arg(QDir(output.folder()).filePath(name), file.errorString())
                                  : file.errorString(),
                        error);
        }
        return true;
    }
};

// The plane of the network when nobody said where on earth it lies.
OGRSpatialReference localCrs()
{
    OGRSpatialReference srs;
    srs.SetLocalCS(GisExporter::LocalCrsName);
    srs.SetLinearUnits(SRS_UL_METER, 1.0);
    return srs;
}

}  // namespace

bool GisExporter::checkCrs(const QString& crs, QString* error)
{
    const QString refusal = CrsText::refusal(crs);
    if (!refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }
    const QuietGdal quiet;
    OGRSpatialReference srs;
    if (srs.SetFromUserInput(crs.toUtf8().constData(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS) ==
        OGRERR_NONE)
        return true;
    if (error)
        *error = QStringLiteral("'%1' is no coordinate system that OGR knows (for example EPSG:32719)").arg(crs);
    return false;
}

QString GisExporter::placementRefusal(const CVGeoReference& where)
{
    QString error;
    if (where.crs.isEmpty())
        return where.hasOrigin() ? QStringLiteral("an origin needs the coordinate system it is given in (--crs CODE)")
                                 : QString();
    if (!checkCrs(where.crs, &error))
        return error;
    const QuietGdal quiet;
    OGRSpatialReference srs;
    srs.SetFromUserInput(where.crs.toUtf8().constData(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS);
    if (where.hasOrigin() && srs.IsGeographic())
        return QStringLiteral("an origin in metres needs a projected coordinate system; %1 is in degrees").arg(where.crs);
    return QString();
}

bool GisExporter::write(const CVModel& model, const QString& path, const std::optional<CVGeoReference>& where,
                        QStringList* warnings, QString* error)
{
    return write(model, path, GisFormats::of(path), where, warnings, error);
}

bool GisExporter::write(const CVModel& model, const QString& path, Format format,
                        const std::optional<CVGeoReference>& where, QStringList* warnings, QString* error)
{
    if (format == Format::Unknown) {
        if (error)
            *error = QStringLiteral("unknown GIS format: the file name should end in %1").arg(GisFormats::knownExtensions());
        return false;
    }
    const CVGeoReference placement = where.value_or(CVGeoReference());
    const QString refusal = placementRefusal(placement);
    if (!refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }
    const QuietGdal quiet;
    OGRSpatialReference srs;
    if (!placement.crs.isEmpty()) {
        srs.SetFromUserInput(placement.crs.toUtf8().constData(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS);
    } else if (format != Format::GeoJson) {
        srs = localCrs();
    } else if (warnings) {
        warnings->append(QStringLiteral("%1 holds the network's plane metres, which GIS tools take for longitude and "
                                        "latitude; give the network's coordinate system with --crs CODE (for example "
                                        "--crs EPSG:32719) to write longitude and latitude")
                             .arg(path));
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const MemoryFolder memory;
    const QFileInfo info(path);
    const bool folderOfFiles = format == Format::Shapefile;
    const QString memoryPath = folderOfFiles ? memory.path : memory.path + QLatin1Char('/') + info.fileName();
    const Target target{format, memoryPath, srs.IsEmpty() ? nullptr : &srs,
                        format == Format::GeoJson && !placement.crs.isEmpty(), placement};
    Layers layers(model, !placement.crs.isEmpty());
    bool written = false;
    switch (format) {
    case Format::GeoPackage: written = writeLayers(target, layers, error); break;
    case Format::Shapefile: written = writeShapefiles(target, layers, error); break;
    default: written = writeOneLayer(target, layers, error); break;
    }
    if (!written)
        return false;
    // Where the features lie is known once they are all made.
    if (!placement.crs.isEmpty() && warnings) {
        const QString outside = GisPlacement::outsideWarning(srs, layers.placed(), placement);
        if (!outside.isEmpty())
            warnings->append(QStringLiteral("%1: %2").arg(path, outside));
    }
    return memory.copyTo(folderOfFiles ? info.absoluteFilePath() : info.absolutePath(), folderOfFiles, error);
}