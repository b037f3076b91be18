#include "cvmodelwriter.h"

#include "cvcatalog.h"
#include "cvcentroidconfiguration.h"
#include "cvfieldwriter.h"
#include "cvfolder.h"
#include "cvgeomodel.h"
#include "cvjsontext.h"
#include "cvlayer.h"
#include "cvlog.h"
#include "cvmodel.h"
#include "cvodmatrix.h"
#include "cvoutputfile.h"
#include "cvpreferencesvalues.h"

#include <QBuffer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <string>

using namespace CVJsonText;

namespace {

// JSON text collected in a buffer and handed to the device in large pieces.
class JsonStream
{
public:
    explicit JsonStream(QIODevice& device) : device(device) { text.reserve(FlushSize + (FlushSize >> 2)); }

    std::string text;

    void raw(const char* part) { text.append(part); }
    void key(const char* name)
    {
        appendString(text, QString::fromLatin1(name));
        text.push_back(':');
    }
    // A further member of the object being written: ,"name":value
    void member(const char* name, const QJsonValue& json)
    {
        text.push_back(',');
        key(name);
        appendValue(text, json);
    }
    void value(const QJsonValue& json) { appendValue(text, json); }
    void flushIfFull()
    {
        if (text.size() >= FlushSize)
            flush();
    }
    bool flush()
    {
        const qint64 size = qint64(text.size());
        const bool written = size == 0 || device.write(text.data(), size) == size;
        text.clear();
        ok = ok && written;
        return ok;
    }
    bool isOk() const { return ok; }

private:
    static constexpr std::size_t FlushSize = 1 << 20;

    QIODevice& device;
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

    // Only imported models have them: other models' files stay as they were.
    if (const auto& settings = model.getImportSettings()) {
        out.key("importSettings");
        out.value(settings->toJson());
        out.raw(",\n");
    }
    if (const auto& reference = model.getGeoReference()) {
        out.key("geoReference");
        out.value(reference->toJson());
        out.raw(",\n");
    }
}

// Rows of one origin each: [origin, [destinations...], [trips...]], written
// straight from the matrix's pairs. The destinations go to the file as they
// come; the trips wait in a second buffer until the row ends.
void writeTrips(const CVODMatrix& matrix, JsonStream& out, std::string& values)
{
    std::string& text = out.text;
    text.append(",\"trips\":[");
    bool firstRow = true;
    bool inRow = false;
    unsigned int rowOrigin = 0;
    const auto endRow = [&] {
        text.append("],[");
        text.append(values);
        text.append("]]");
        values.clear();
        out.flushIfFull();
    };
    matrix.forEachPair([&](unsigned int origin, unsigned int destination, double trips) {
        if (!inRow || origin != rowOrigin) {
            if (inRow)
                endRow();
            text.append(firstRow ? "[" : ",[");
            firstRow = false;
            appendUnsigned(text, origin);
            text.append(",[");
            rowOrigin = origin;
            inRow = true;
        } else {
            text.push_back(',');
            values.push_back(',');
        }
        appendUnsigned(text, destination);
        appendNumber(values, trips);
    });
    if (inRow)
        endRow();
    text.push_back(']');
}

void writeObject(const CVObject& object, JsonStream& out, CVFieldWriter& fields, std::string& scratch)
{
    std::string& text = out.text;
    text.append("{\"id\":");
    appendUnsigned(text, object.getId());
    text.append(",\"type\":");
    appendString(text, object.getTypeName());
    text.append(",\"name\":");
    appendString(text, object.getName());
    text.append(",\"externalId\":");
    appendString(text, object.getExternalId());
    text.append(",\"status\":");
    appendInteger(text, object.getStatus());
    if (object.savesDataValues()) {
        const QJsonObject data = object.dataValuesJson();
        if (!data.isEmpty())
            out.member("data", data);
    }
    fields.clear();
    object.writeFields(fields);
    // The reserved keys belong to the object; a type never replaces them.
    fields.appendMembers(text, CVObject::reservedKeys());
    if (const auto* matrix = dynamic_cast<const CVODMatrix*>(&object))
        writeTrips(*matrix, out, scratch);
    text.push_back('}');
}

bool writeModel(const CVModel& model, QIODevice& device)
{
    JsonStream out(device);
    writeHeader(model, out);
    out.key("objects");
    out.raw("[");
    bool first = true;
    CVFieldWriter fields;
    std::string scratch;
    for (const CVObject* object : model.getCatalog()->allObjects()) {
        out.raw(first ? "\n" : ",\n");
        first = false;
        writeObject(*object, out, fields, scratch);
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
    if (!existing.isSymLink() && existing.exists() && !existing.isFile()) {
        if (errorText)
            *errorText = QStringLiteral("%1 exists and is not a regular file").arg(path);
        return false;
    }
    CVOutputFile file(path);
    if (!file.open() || !writeModel(model, *file.device()) || !file.commit()) {
        if (errorText)
            *errorText = file.errorString();
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
