#include "cvmodelwriter.h"

#include "cvcatalog.h"
#include "cvcentroidconfiguration.h"
#include "cvfolder.h"
#include "cvgeomodel.h"
#include "cvlayer.h"
#include "cvlog.h"
#include "cvmodel.h"
#include "cvodmatrix.h"
#include "cvpreferencesvalues.h"

#include <QBuffer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSaveFile>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>

namespace {

// Largest integer a double holds exactly: whole numbers up to it are
// written without a fraction, so a value reads back and saves again the same.
constexpr double ExactIntegerLimit = 9007199254740992.0;

// JSON text collected in a buffer and handed to the device in large pieces.
class JsonStream
{
public:
    explicit JsonStream(QIODevice& device) : device(device) {}

    void raw(const char* text)
    {
        for (; *text; ++text)
            buffer.Put(*text);
    }
    void key(const char* name)
    {
        value(QJsonValue(QString::fromLatin1(name)));
        buffer.Put(':');
    }
    // A further member of the object being written: ,"name":value
    void member(const char* name, const QJsonValue& json)
    {
        buffer.Put(',');
        key(name);
        value(json);
    }
    void value(const QJsonValue& json)
    {
        writer.Reset(buffer);
        write(json);
    }
    void number(double number)
    {
        writer.Reset(buffer);
        writeNumber(number);
    }
    void flushIfFull()
    {
        if (buffer.GetSize() >= FlushSize)
            flush();
    }
    bool flush()
    {
        const qint64 size = qint64(buffer.GetSize());
        const bool written = size == 0 || device.write(buffer.GetString(), size) == size;
        buffer.Clear();
        ok = ok && written;
        return ok;
    }
    bool isOk() const { return ok; }

private:
    static constexpr size_t FlushSize = 1 << 20;

    void writeNumber(double number)
    {
        if (!std::isfinite(number))
            writer.Null();
        else if (number == std::floor(number) && std::fabs(number) < ExactIntegerLimit)
            writer.Int64(static_cast<int64_t>(number));
        else
            writer.Double(number);
    }
    void writeString(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        writer.String(utf8.constData(), rapidjson::SizeType(utf8.size()));
    }
    void write(const QJsonValue& json)
    {
        switch (json.type()) {
        case QJsonValue::Bool:
            writer.Bool(json.toBool());
            break;
        case QJsonValue::Double:
            writeNumber(json.toDouble());
            break;
        case QJsonValue::String:
            writeString(json.toString());
            break;
        case QJsonValue::Array:
            writer.StartArray();
            for (const QJsonValue item : json.toArray())
                write(item);
            writer.EndArray();
            break;
        case QJsonValue::Object: {
            const QJsonObject object = json.toObject();
            writer.StartObject();
            for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
                writeString(it.key());
                write(it.value());
            }
            writer.EndObject();
            break;
        }
        default:
            writer.Null();
        }
    }

    QIODevice& device;
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer;
    bool ok = true;
};

QJsonValue idOrNull(const CVObject* object)
{
    return object ? QJsonValue(qint64(object->getId())) : QJsonValue();
}

void writeHeader(const CVModel& model, JsonStream& out)
{
    out.raw("{");
    out.key("format");
    out.value(QStringLiteral("corvia-model"));
    out.raw(",");
    out.key("version");
    out.value(CVModelWriter::FormatVersion);
    out.raw(",\n");

    QJsonObject preferences;
    const auto& values = model.getPreferences()->getValues();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        preferences.insert(it.key(), QJsonValue::fromVariant(it.value()));
    out.key("preferences");
    out.value(preferences);
    out.raw(",\n");

    QJsonArray log;
    for (const CVLogEntry& entry : model.getLog()->getEntries())
        log.append(QJsonObject{{QStringLiteral("level"), entry.level}, {QStringLiteral("text"), entry.text}});
    out.key("log");
    out.value(log);
    out.raw(",\n");

    QJsonArray layers;
    for (const CVLayer* layer : model.getGeoModel()->getLayers())
        layers.append(qint64(layer->getId()));
    CVGeoModel* geoModel = model.getGeoModel();
    const QJsonObject references{
        {QStringLiteral("lastId"), qint64(model.getLastId())},
        {QStringLiteral("rootFolder"), idOrNull(model.getRootFolder())},
        {QStringLiteral("activeCentroidConfiguration"), idOrNull(model.getActiveCentroidConfiguration())},
        {QStringLiteral("layers"), layers},
        {QStringLiteral("activeLayer"), idOrNull(geoModel->getActiveLayer())},
    };
    out.key("model");
    out.value(references);
    out.raw(",\n");
}

// Rows of one origin each: [origin, [destinations...], [trips...]].
void writeTrips(const CVODMatrix& matrix, JsonStream& out)
{
    const QVector<CVODMatrix::Trip> trips = matrix.sortedTrips();
    out.raw(",\"trips\":[");
    for (qsizetype rowStart = 0; rowStart < trips.size();) {
        qsizetype rowEnd = rowStart;
        while (rowEnd < trips.size() && trips[rowEnd].origin == trips[rowStart].origin)
            ++rowEnd;
        out.raw(rowStart == 0 ? "[" : ",[");
        out.number(trips[rowStart].origin);
        out.raw(",[");
        for (qsizetype i = rowStart; i < rowEnd; ++i) {
            if (i > rowStart)
                out.raw(",");
            out.number(trips[i].destination);
        }
        out.raw("],[");
        for (qsizetype i = rowStart; i < rowEnd; ++i) {
            if (i > rowStart)
                out.raw(",");
            out.number(trips[i].trips);
        }
        out.raw("]]");
        out.flushIfFull();
        rowStart = rowEnd;
    }
    out.raw("]");
}

void writeObject(const CVObject& object, JsonStream& out)
{
    out.raw("{");
    out.key("id");
    out.number(object.getId());
    out.member("type", object.getTypeName());
    out.member("name", object.getName());
    out.member("externalId", object.getExternalId());
    out.member("status", object.getStatus());
    if (object.savesDataValues()) {
        const QJsonObject data = object.dataValuesJson();
        if (!data.isEmpty())
            out.member("data", data);
    }
    QJsonObject fields;
    object.writeFields(fields);
    // The reserved keys belong to the object; a type never replaces them.
    for (const QString& reserved : CVObject::reservedKeys())
        fields.remove(reserved);
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
        out.raw(",");
        out.value(it.key());
        out.raw(":");
        out.value(it.value());
    }
    if (const auto* matrix = dynamic_cast<const CVODMatrix*>(&object))
        writeTrips(*matrix, out);
    out.raw("}");
}

bool writeModel(const CVModel& model, QIODevice& device)
{
    JsonStream out(device);
    writeHeader(model, out);
    out.key("objects");
    out.raw("[");
    bool first = true;
    for (const CVObject* object : model.getCatalog()->allObjects()) {
        out.raw(first ? "\n" : ",\n");
        first = false;
        writeObject(*object, out);
        out.flushIfFull();
        if (!out.isOk())
            return false;
    }
    out.raw("\n]}\n");
    return out.flush();
}

}  // namespace

bool CVModelWriter::save(const CVModel& model, const QString& path, QString* errorText)
{
    // A save replaces a file; what is not a regular file stays as it is.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        if (errorText)
            *errorText = QStringLiteral("%1 exists and is not a regular file").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeModel(model, file) || !file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QByteArray CVModelWriter::toJson(const CVModel& model)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    writeModel(model, buffer);
    return text;
}
