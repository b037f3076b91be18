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

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

using namespace CVJsonText;

namespace {

// The JSON text before and after the object list, collected in a buffer
// and handed to the device at once.
class JsonStream
{
public:
    explicit JsonStream(QIODevice& device) : device(device) {}

    std::string text;

    void raw(const char* part) { text.append(part); }
    void key(const char* name)
    {
        appendString(text, QString::fromLatin1(name));
        text.push_back(':');
    }
    void value(const QJsonValue& json) { appendValue(text, json); }
    bool flush()
    {
        const qint64 size = qint64(text.size());
        const bool written = size == 0 || device.write(text.data(), size) == size;
        text.clear();
        ok = ok && written;
        return ok;
    }

private:
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
    if (const auto& scenario = model.getScenarioSettings()) {
        out.key("scenario");
        out.value(scenario->toJson());
        out.raw(",\n");
    }
}

// The text of trip values met before. A matrix holds few distinct values
// (whole numbers of trips times a few shares) while its values run into
// millions, and the shortest text of a double is dear to find: the texts
// are kept by the double's bits, the last one met in each slot.
class NumberTexts
{
public:
    void append(std::string& out, double number)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &number, sizeof bits);
        Entry& entry = entries[std::size_t((bits * 0x9E3779B97F4A7C15ull) >> (64 - SlotBits))];
        if (entry.length == 0 || entry.bits != bits) {
            const std::size_t start = out.size();
            appendNumber(out, number);
            const std::size_t length = out.size() - start;
            if (length <= sizeof entry.text) {
                entry.bits = bits;
                entry.length = std::uint8_t(length);
                std::memcpy(entry.text, out.data() + start, length);
            }
            return;
        }
        out.append(entry.text, entry.length);
    }

private:
    static constexpr int SlotBits = 10;
    struct Entry
    {
        std::uint64_t bits = 0;
        std::uint8_t length = 0;  // 0: empty
        char text[31];
    };
    std::vector<Entry> entries = std::vector<Entry>(std::size_t(1) << SlotBits);
};

// Rows of one origin each: [origin, [destinations...], [trips...]], written
// straight from the matrix's pairs. The destinations go to the text as they
// come; the trips wait in a second buffer until the row ends.
void writeTrips(const CVODMatrix& matrix, std::string& text, std::string& values, NumberTexts& numbers)
{
    text.append(",\"trips\":[");
    bool firstRow = true;
    bool inRow = false;
    unsigned int rowOrigin = 0;
    const auto endRow = [&] {
        text.append("],[");
        text.append(values);
        text.append("]]");
        values.clear();
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
        numbers.append(values, trips);
    });
    if (inRow)
        endRow();
    text.push_back(']');
}

// What one thread needs to write objects: reused from object to object.
struct ObjectWriter
{
    CVFieldWriter fields;
    std::string tripValues;
    NumberTexts tripTexts;

    void write(const CVObject& object, std::string& text)
    {
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
            if (!data.isEmpty()) {
                text.append(",\"data\":");
                appendValue(text, data);
            }
        }
        fields.clear();
        object.writeFields(fields);
        // The reserved keys belong to the object; a type never replaces them.
        fields.appendMembers(text, CVObject::reservedKeys());
        if (const auto* matrix = dynamic_cast<const CVODMatrix*>(&object))
            writeTrips(*matrix, text, tripValues, tripTexts);
        text.push_back('}');
    }
};

// A run of the object list written as one text: pieces are made on both
// cores and handed to the device in the list's order.
struct Piece
{
    qsizetype first = 0;
    qsizetype end = 0;
    std::string text;
    bool made = false;
};

// Runs of objectsPerPiece objects; an OD matrix, which may hold megabytes
// of trips, is a piece of its own. No more than one piece for 0.
std::vector<Piece> cutIntoPieces(const QList<CVObject*>& objects, qsizetype objectsPerPiece)
{
    std::vector<Piece> pieces;
    if (objectsPerPiece == 0) {
        if (!objects.isEmpty())
            pieces.push_back(Piece{0, objects.size(), {}, false});
        return pieces;
    }
    qsizetype first = 0;
    const auto cut = [&](qsizetype end) {
        if (end > first)
            pieces.push_back(Piece{first, end, {}, false});
        first = end;
    };
    for (qsizetype i = 0; i < objects.size(); ++i) {
        if (dynamic_cast<const CVODMatrix*>(objects[i])) {
            cut(i);
            cut(i + 1);
        } else if (i - first >= objectsPerPiece) {
            cut(i);
        }
    }
    cut(objects.size());
    return pieces;
}

void makePiece(const QList<CVObject*>& objects, Piece& piece, ObjectWriter& writer)
{
    for (qsizetype i = piece.first; i < piece.end; ++i) {
        piece.text.append(i == 0 ? "\n" : ",\n");
        writer.write(*objects[i], piece.text);
    }
}

bool writeText(QIODevice& device, const std::string& text)
{
    const qint64 size = qint64(text.size());
    return size == 0 || device.write(text.data(), size) == size;
}

// The pieces made by the calling thread and one helper, each taking the
// next piece not yet started, and written in order by the calling thread
// as each is done. At most Ahead pieces beyond the last written one are
// started, so the text in memory stays a few pieces long.
class PieceLine
{
public:
    PieceLine(const QList<CVObject*>& objects, std::vector<Piece>& pieces) : objects(objects), pieces(pieces) {}

    bool write(QIODevice& device)
    {
        // Without a second thread this one makes every piece itself.
        std::thread helper;
        try {
            helper = std::thread([this] { help(); });
        } catch (const std::system_error&) {
        }
        bool written = false;
        try {
            written = writeInOrder(device);
        } catch (...) {
            stopHelper(helper);
            throw;
        }
        stopHelper(helper);
        if (helperFailure)
            std::rethrow_exception(helperFailure);
        return written;
    }

private:
    static constexpr std::size_t Ahead = 4;

    bool mayStart() const { return next < pieces.size() && next < written + Ahead; }

    // Called with the lock held; makes the next piece without it, in the
    // buffer of a piece written before where there is one: a fresh buffer
    // of megabytes costs a page fault every few kilobytes.
    void makeNext(std::unique_lock<std::mutex>& lock, ObjectWriter& writer)
    {
        Piece& piece = pieces[next++];
        if (!spare.empty()) {
            piece.text.swap(spare.back());
            spare.pop_back();
        }
        lock.unlock();
        makePiece(objects, piece, writer);
        lock.lock();
        piece.made = true;
        changed.notify_all();
    }

    void help()
    {
        try {
            ObjectWriter writer;
            std::unique_lock<std::mutex> lock(mutex);
            for (;;) {
                changed.wait(lock, [this] { return stopped || next == pieces.size() || mayStart(); });
                if (stopped || next == pieces.size())
                    return;
                makeNext(lock, writer);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex);
            helperFailure = std::current_exception();
            stopped = true;
            changed.notify_all();
        }
    }

    bool writeInOrder(QIODevice& device)
    {
        ObjectWriter writer;
        for (Piece& piece : pieces) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                while (!piece.made && !helperFailure) {
                    if (mayStart())
                        makeNext(lock, writer);
                    else
                        changed.wait(lock);
                }
                if (helperFailure)
                    return false;
            }
            const bool ok = writeText(device, piece.text);
            piece.text.clear();
            {
                const std::lock_guard<std::mutex> lock(mutex);
                spare.push_back(std::move(piece.text));
                ++written;
                changed.notify_all();
            }
            if (!ok)
                return false;
        }
        return true;
    }

    void stopHelper(std::thread& helper)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stopped = true;
            changed.notify_all();
        }
        if (helper.joinable())
            helper.join();
    }

    const QList<CVObject*>& objects;
    std::vector<Piece>& pieces;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> spare;  // buffers of written pieces, emptied
    std::size_t next = 0;     // the first piece not started
    std::size_t written = 0;  // pieces handed to the device
    bool stopped = false;
    std::exception_ptr helperFailure;
};

bool writeObjects(const QList<CVObject*>& objects, QIODevice& device, qsizetype objectsPerPiece)
{
    std::vector<Piece> pieces = cutIntoPieces(objects, objectsPerPiece);
    if (pieces.size() > 1)
        return PieceLine(objects, pieces).write(device);
    ObjectWriter writer;
    for (Piece& piece : pieces)
        makePiece(objects, piece, writer);
    return pieces.empty() || writeText(device, pieces.front().text);
}

bool writeModel(const CVModel& model, QIODevice& device, qsizetype objectsPerPiece)
{
    JsonStream out(device);
    writeHeader(model, out);
    out.key("objects");
    out.raw("[");
    if (!out.flush() || !writeObjects(model.getCatalog()->allObjects(), device, objectsPerPiece))
        return false;
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
    if (!file.open() || !writeModel(model, *file.device(), ObjectsPerPiece) || !file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return true;
}

QByteArray CVModelWriter::toJson(const CVModel& model, qsizetype objectsPerPiece)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    writeModel(model, buffer, std::max<qsizetype>(0, objectsPerPiece));
    return text;
}
