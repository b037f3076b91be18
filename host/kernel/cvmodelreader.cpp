#include "cvmodelreader.h"

#include "cvcatalog.h"
#include "cvcentroid.h"
#include "cvcentroidconfiguration.h"
#include "cvfolder.h"
#include "cvgeomodel.h"
#include "cvguardedmapping.h"
#include "cvlayer.h"
#include "cvlog.h"
#include "cvmappedmodelfile.h"
#include "cvmodel.h"
#include "cvmodelwriter.h"
#include "cvodmatrix.h"
#include "cvpreferencesvalues.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvtriprows.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace CVModelFileReading;

constexpr unsigned ParseFlags = rapidjson::kParseFullPrecisionFlag | rapidjson::kParseStopWhenDoneFlag;
// The first pass takes numbers as text and converts them itself: millions
// of trips, most of them 17 digits long, convert much faster that way, and
// as exactly.
constexpr unsigned FirstPassFlags = ParseFlags | rapidjson::kParseNumbersAsStringsFlag;
// A check of the syntax alone reads to the end of the file, so that
// anything after the top-level object is an error.
constexpr unsigned CheckFlags = rapidjson::kParseNumbersAsStringsFlag;

// Arrays and objects nested deeper than this are refused: the JSON reader
// goes one call deeper per level, and a model file nests a few levels.
constexpr int MaxNesting = 512;

// Parts of a mapped file already read are handed back this many bytes at
// a time.
constexpr std::size_t ReleaseStep = std::size_t(32) << 20;

QString invalidJson(rapidjson::ParseErrorCode code)
{
    return QStringLiteral("invalid JSON: %1").arg(QString::fromLatin1(rapidjson::GetParseError_En(code)));
}

// A number's text, checked as JSON already, as a double: false when it is
// too large for one. Too small gives zero or a denormal, as a JSON reader
// takes it.
bool jsonNumber(const char* text, std::size_t length, double& value)
{
    const std::from_chars_result result = std::from_chars(text, text + length, value);
    if (result.ec == std::errc::result_out_of_range) {
        value = std::strtod(text, nullptr);
        return !std::isinf(value);
    }
    return true;
}

QString notAnObjectAtTop()
{
    return QStringLiteral("is not a model file (its top level is not a JSON object)");
}

// Builds Qt JSON values from reader events, for the values before and
// after the object list (format, preferences, log, the model's references).
class ValueBuilder
{
public:
    bool busy() const { return !frames.empty(); }
    // False when the value is not complete yet; otherwise done holds it.
    bool add(const QJsonValue& value, QJsonValue& done)
    {
        if (frames.empty()) {
            done = value;
            return true;
        }
        Frame& top = frames.back();
        if (top.isObject)
            top.members.emplace_back(std::move(top.key), value);
        else
            top.array.append(value);
        return false;
    }
    void startObject() { frames.push_back(Frame{true, {}, {}, {}}); }
    void startArray() { frames.push_back(Frame{false, {}, {}, {}}); }
    void key(const QString& name) { frames.back().key = name; }
    bool end(QJsonValue& done)
    {
        Frame top = std::move(frames.back());
        frames.pop_back();
        return add(top.isObject ? QJsonValue(objectOf(top.members)) : QJsonValue(top.array), done);
    }

private:
    using Members = std::vector<std::pair<QString, QJsonValue>>;
    struct Frame
    {
        bool isObject;
        Members members;
        QJsonArray array;
        QString key;
    };
    // A JSON object keeps its keys sorted: inserted in file order, each key
    // of a large object in random order would move half the others. Sorted
    // first, every insert appends; the stable sort keeps the last of keys
    // given twice last, so it wins as in the file.
    static QJsonObject objectOf(Members& members)
    {
        std::stable_sort(members.begin(), members.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        QJsonObject object;
        for (auto& [name, value] : members)
            object.insert(name, value);
        return object;
    }
    std::vector<Frame> frames;
};

// An object whose fields are read once every object exists: where its text
// lies in the file, or, for a matrix, its text without the trips.
struct PendingObject
{
    CVObject* object;
    std::size_t begin;
    std::size_t end;
    int ownText;  // index in ModelFileHandler::ownTexts, or -1
};

// The first pass over the file: the values around the object list, and of
// each object its id, type, name, external id and status, which make the
// object and enter it in the catalogue; the trips of a matrix go straight
// into it. The other fields wait for the second pass, when every object
// they may refer to exists.
class ModelFileHandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, ModelFileHandler>
{
public:
    ModelFileHandler(const MappedFile& file, rapidjson::MemoryStream& stream) : file(file), stream(stream) {}

    QString error;
    std::size_t errorOffset = 0;
    std::unique_ptr<CVModel> model = std::make_unique<CVModel>();
    CVSavedIds byId;
    unsigned int largestId = 0;
    std::vector<PendingObject> pending;
    std::vector<std::string> ownTexts;
    IdSet tripCentroidIds;
    QJsonObject header;
    bool objectsSeen = false;
    bool rootDone = false;

    bool Null() { return scalar(QJsonValue(QJsonValue::Null)); }
    bool Bool(bool b) { return scalar(QJsonValue(b)); }
    // Numbers come as their text (null-terminated), already checked as JSON.
    bool RawNumber(const char* text, rapidjson::SizeType length, bool)
    {
        double value = 0.0;
        if (!jsonNumber(text, length, value))
            return fail(invalidJson(rapidjson::kParseErrorNumberTooBig));
        return number(value);
    }
    bool String(const char* text, rapidjson::SizeType length, bool)
    {
        if (trips.active() || tripsNext)
            return failTrips();
        if (inObjects) {
            if (objectDepth == 1 && wantedKey)
                *wantedKey = QJsonValue(QString::fromUtf8(text, qsizetype(length)));
            return objectScalar();
        }
        return scalar(QJsonValue(QString::fromUtf8(text, qsizetype(length))));
    }
    bool StartObject()
    {
        if (trips.active())
            return failTrips();
        if (rootDepth == 0) {
            rootDepth = 1;
            return true;
        }
        if (inObjects) {
            if (objectDepth == 0)
                startObjectText();
            else if (tripsNext)
                return failTrips();
            ++objectDepth;
            return true;
        }
        builder.startObject();
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool)
    {
        if (inObjects) {
            if (objectDepth == 1) {
                wantedKey = keyField(text, length);
                if (length == 5 && std::memcmp(text, "trips", 5) == 0)
                    return startTrips();
            }
            return true;
        }
        const QString name = QString::fromUtf8(text, qsizetype(length));
        if (!builder.busy()) {
            rootKey = name;
            return true;
        }
        builder.key(name);
        return true;
    }
    bool EndObject(rapidjson::SizeType)
    {
        if (inObjects) {
            --objectDepth;
            if (objectDepth == 0)
                return finishObject();
            return objectDepth == 1 ? memberDone() : true;
        }
        if (!builder.busy()) {
            rootDone = true;
            return true;
        }
        QJsonValue done;
        return !builder.end(done) || completed(done);
    }
    bool StartArray()
    {
        if (tripsNext) {
            tripsNext = false;
            trips.start();
            // The rows scanned, the reader goes on at the closing bracket
            // and reports an empty array, which ends the trips.
            if (const char* close = scanTrips())
                stream.src_ = close;
            return true;
        }
        if (trips.active())
            return trips.startArray() || failTrips();
        if (inObjects) {
            if (objectDepth == 0)
                return fail(QStringLiteral("has an object without a valid id"));
            ++objectDepth;
            return true;
        }
        if (rootDepth == 0)
            return fail(notAnObjectAtTop());
        if (!builder.busy() && rootKey == QLatin1String("objects")) {
            if (objectsSeen)
                return fail(QStringLiteral("has a second object list"));
            if (!checkHeader())
                return false;
            inObjects = true;
            return true;
        }
        builder.startArray();
        return true;
    }
    bool EndArray(rapidjson::SizeType)
    {
        if (trips.active()) {
            bool finished = false;
            const auto give = [this](CVODMatrix* matrix, TripRows::Pairs& pairs) {
                if (scannedTrips.keys)
                    giveShared(matrix);
                matrix->setTrips(pairs.data(), pairs.size());
                scannedTrips = ScannedTrips();
            };
            if (!trips.endArray(matrixOfObject, tripCentroidIds, finished, give))
                return failTrips();
            if (finished)
                tripsDone();
            return true;
        }
        if (inObjects) {
            if (objectDepth == 0) {
                inObjects = false;
                objectsSeen = true;
                return true;
            }
            --objectDepth;
            return objectDepth == 1 ? memberDone() : true;
        }
        QJsonValue done;
        return !builder.end(done) || completed(done);
    }

    bool fail(const QString& problem)
    {
        if (error.isEmpty()) {
            error = problem;
            errorOffset = stream.Tell();
        }
        return false;
    }

    // Scans the trips' rows on another thread where one is given.
    TripsAhead* ahead = nullptr;

private:
    // The trips' rows in the writer's form from the reader's place on, as
    // the other thread scanned them or scanned here: where their closing
    // bracket stands, or null when they are not in that form.
    const char* scanTrips()
    {
        const char* end = nullptr;
        if (ahead && ahead->take(stream.Tell(), scannedTrips)) {
            end = file.data() + scannedTrips.close;
        } else {
            scannedTrips = ScannedTrips();
            ownKeys.clear();
            ownValues.clear();
            end = TripRows::scan(stream.src_, stream.end_, ownKeys, ownValues, scannedTrips.origins, tripValues);
            if (end)
                ownLists.keep(ownKeys, ownValues, scannedTrips);
        }
        trips.scannedPairs().swap(scannedTrips.unsorted);
        if (!end)
            return nullptr;
        for (unsigned int origin : scannedTrips.origins)
            tripCentroidIds.insert(origin);
        return end;
    }

    // Gives the matrix the shared lists scanned. The destinations of a key
    // list are checked when a matrix first takes it, whichever text the
    // list was first scanned from: the same rows where the reader found no
    // trips vouch for nothing.
    void giveShared(CVODMatrix* matrix)
    {
        const CVODMatrix::SharedKeys& keys = scannedTrips.keys;
        if (checkedKeys.emplace(&keys.keys(), keys).second) {
            for (const quint64 key : keys.keys())
                tripCentroidIds.insert(unsigned(key & 0xffffffffu));
        }
        if (matrix->shareTrips(keys, scannedTrips.trips))
            return;
        const CVODMatrix::Values& values = scannedTrips.trips.trips();
        for (std::size_t i = 0; i < values.size(); ++i)
            matrix->setTrips(unsigned(keys.keys()[i] >> 32), unsigned(keys.keys()[i] & 0xffffffffu), values[i]);
    }

    bool failTrips()
    {
        trips.fail();
        return fail(QStringLiteral("object %1 has %2").arg(tripsOwner).arg(trips.error));
    }

    bool number(double value)
    {
        if (trips.active())
            return trips.number(value) || failTrips();
        if (tripsNext)
            return failTrips();
        if (inObjects) {
            if (objectDepth == 1 && wantedKey)
                *wantedKey = QJsonValue(value);
            return objectScalar();
        }
        return scalar(QJsonValue(value));
    }
    bool scalar(const QJsonValue& value)
    {
        if (trips.active() || tripsNext)
            return failTrips();
        if (inObjects) {
            if (objectDepth == 1 && wantedKey)
                *wantedKey = value;
            return objectScalar();
        }
        QJsonValue done;
        return !builder.add(value, done) || completed(done);
    }
    // A value of the top level is complete.
    bool completed(const QJsonValue& value)
    {
        header.insert(rootKey, value);
        return true;
    }
    bool checkHeader()
    {
        if (header.value(QStringLiteral("format")).toString() != QLatin1String("corvia-model"))
            return fail(QStringLiteral("is not a corvia model file (no \"format\": \"corvia-model\" before its objects)"));
        const QJsonValue version = header.value(QStringLiteral("version"));
        if (version.toInteger(-1) > CVModelWriter::FormatVersion)
            return fail(QStringLiteral("was saved in model format version %1, newer than this corvia reads (%2)")
                            .arg(version.toDouble())
                            .arg(CVModelWriter::FormatVersion));
        if (version.toInteger(-1) != CVModelWriter::FormatVersion)
            return fail(QStringLiteral("has model format version %1, which this corvia does not read (only %2)")
                            .arg(version.toVariant().toString())
                            .arg(CVModelWriter::FormatVersion));
        // Room for the objects up to the last id, as far as the file can hold them.
        const qint64 lastId = header.value(QStringLiteral("model")).toObject().value(QStringLiteral("lastId")).toInteger(0);
        const qint64 room = qBound<qint64>(0, lastId, qint64(file.size() / 64));
        byId.reserve(unsigned(room));
        model->getCatalog()->reserve(int(room));
        return true;
    }

    // The common fields that the first pass keeps; the others wait.
    QJsonValue* keyField(const char* text, rapidjson::SizeType length)
    {
        const auto is = [&](const char* name) { return std::strlen(name) == length && std::memcmp(text, name, length) == 0; };
        if (is("id"))
            return &id;
        if (is("type"))
            return &typeName;
        if (is("name"))
            return &name;
        if (is("externalId"))
            return &externalId;
        if (is("status"))
            return &status;
        return nullptr;
    }
    void startObjectText()
    {
        objectBegin = stream.Tell() - 1;
        lastMemberEnd = stream.Tell();
        members = 0;
        id = typeName = name = externalId = status = QJsonValue();
        wantedKey = nullptr;
        createdEarly = nullptr;
        matrixOfObject = nullptr;
        textWithoutTrips.clear();
    }
    bool objectScalar() { return objectDepth == 1 ? memberDone() : true; }
    bool memberDone()
    {
        ++members;
        lastMemberEnd = stream.Tell();
        wantedKey = nullptr;
        return true;
    }

    // Makes the object of a saved object's id and type: when the object is
    // complete, or at its trips, which are read straight into the matrix
    // (the writer puts the id and type first).
    CVObject* createObject()
    {
        const qint64 number = id.toInteger(-1);
        if (number < 1 || number > qint64(std::numeric_limits<unsigned int>::max())) {
            fail(QStringLiteral("has an object without a valid id"));
            return nullptr;
        }
        const QString type = typeName.toString();
        const CVType* registered = CVRegistry::instance().type(type);
        if (!registered) {
            fail(QStringLiteral("object %1 has the unknown type \"%2\"").arg(number).arg(type));
            return nullptr;
        }
        CVObject*& slot = byId[unsigned(number)];
        if (slot) {
            fail(QStringLiteral("holds two objects with id %1").arg(number));
            return nullptr;
        }
        CVObject* object = registered->create(model.get());
        object->setId(unsigned(number));
        slot = object;
        largestId = std::max(largestId, unsigned(number));
        model->getCatalog()->add(object);
        return object;
    }

    bool finishObject()
    {
        CVObject* object = createdEarly ? createdEarly : createObject();
        if (!object)
            return false;
        if (qint64(object->getId()) != id.toInteger(-1))
            return fail(QStringLiteral("object %1 has two ids").arg(object->getId()));
        object->setName(name.toString());
        object->setExternalId(externalId.toString());
        object->setStatus(status.toInt());
        const std::size_t objectEnd = stream.Tell();
        int ownText = -1;
        if (createdEarly) {
            // The matrix's text with its trips as null: what its fields need.
            textWithoutTrips.append(file.data() + tripsEnd, objectEnd - tripsEnd);
            ownText = int(ownTexts.size());
            ownTexts.push_back(std::move(textWithoutTrips));
            textWithoutTrips = std::string();
        }
        pending.push_back(PendingObject{object, objectBegin, objectEnd, ownText});
        createdEarly = nullptr;
        matrixOfObject = nullptr;
        return true;
    }

    bool startTrips()
    {
        if (createdEarly)
            return fail(QStringLiteral("object %1 has its trips twice").arg(createdEarly->getId()));
        createdEarly = createObject();
        if (!createdEarly)
            return false;
        tripsOwner = createdEarly->getId();
        matrixOfObject = dynamic_cast<CVODMatrix*>(createdEarly);
        if (!matrixOfObject)
            return fail(QStringLiteral("object %1 has trips but is no OD matrix").arg(tripsOwner));
        textWithoutTrips.assign(file.data() + objectBegin, lastMemberEnd - objectBegin);
        textWithoutTrips.append(members > 0 ? ",\"trips\":null" : "\"trips\":null");
        tripsBegin = lastMemberEnd;
        tripsNext = true;
        wantedKey = nullptr;
        return true;
    }
    void tripsDone()
    {
        tripsEnd = stream.Tell();
        file.release(tripsBegin, tripsEnd);
        memberDone();
    }

    const MappedFile& file;
    rapidjson::MemoryStream& stream;
    ValueBuilder builder;
    TripRows trips;
    ScannedTrips scannedTrips;  // the rows of the trips being read
    // The rows this thread scans itself, where the other did not, and the
    // lists kept of them.
    TripValueTexts tripValues;
    CVODMatrix::Keys ownKeys;
    CVODMatrix::Values ownValues;
    TripLists ownLists;
    std::unordered_map<const CVODMatrix::Keys*, CVODMatrix::SharedKeys> checkedKeys;
    QString rootKey;
    int rootDepth = 0;
    bool inObjects = false;
    bool tripsNext = false;
    // The object being read: its depth of nesting, where it starts, where
    // its last complete member ends, and the common fields seen so far.
    int objectDepth = 0;
    std::size_t objectBegin = 0;
    std::size_t lastMemberEnd = 0;
    int members = 0;
    QJsonValue id, typeName, name, externalId, status;
    QJsonValue* wantedKey = nullptr;
    CVObject* createdEarly = nullptr;
    CVODMatrix* matrixOfObject = nullptr;
    unsigned int tripsOwner = 0;
    std::size_t tripsBegin = 0;
    std::size_t tripsEnd = 0;
    std::string textWithoutTrips;
};

QString located(const QString& path, int line, const QString& problem)
{
    return line > 0 ? QStringLiteral("%1: line %2: %3").arg(path).arg(line).arg(problem)
                    : QStringLiteral("%1: %2").arg(path, problem);
}

// Stops the JSON reader when arrays and objects nest deeper than
// MaxNesting, and passes every event on to the handler that reads them.
template <typename Handler>
class NestingGuard : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, NestingGuard<Handler>>
{
public:
    explicit NestingGuard(Handler& handler) : handler(handler) {}
    bool tooDeep = false;

    bool Null() { return handler.Null(); }
    bool Bool(bool b) { return handler.Bool(b); }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool copy) { return handler.RawNumber(text, length, copy); }
    bool String(const char* text, rapidjson::SizeType length, bool copy) { return handler.String(text, length, copy); }
    bool Key(const char* text, rapidjson::SizeType length, bool copy) { return handler.Key(text, length, copy); }
    bool StartObject() { return enter() && handler.StartObject(); }
    bool EndObject(rapidjson::SizeType members)
    {
        --depth;
        return handler.EndObject(members);
    }
    bool StartArray() { return enter() && handler.StartArray(); }
    bool EndArray(rapidjson::SizeType elements)
    {
        --depth;
        return handler.EndArray(elements);
    }

private:
    bool enter()
    {
        if (++depth <= MaxNesting)
            return true;
        tooDeep = true;
        return false;
    }
    Handler& handler;
    int depth = 0;
};

// Runs the JSON reader over a mapped file with a handler that keeps its
// first problem in error and errorOffset. On failure, problem says what is
// wrong and problemOffset where.
template <unsigned Flags, typename Handler>
bool parse(const MappedFile& file, Handler& handler, rapidjson::MemoryStream& stream, QString& problem,
           std::size_t& problemOffset)
{
    NestingGuard<Handler> guard(handler);
    rapidjson::Reader reader;
    const rapidjson::ParseResult result = reader.Parse<Flags>(stream, guard);
    if (!handler.error.isEmpty()) {
        problem = handler.error;
        problemOffset = handler.errorOffset;
        return false;
    }
    problemOffset = stream.Tell();
    if (guard.tooDeep) {
        problem = QStringLiteral("has arrays and objects nested more than %1 deep").arg(MaxNesting);
        return false;
    }
    if (result.IsError()) {
        if (result.Offset() >= file.size())
            problem = QStringLiteral("the file ends before the model does (is it truncated?)");
        else
            problem = invalidJson(result.Code());
        return false;
    }
    return true;
}

bool parseModel(const MappedFile& file, ModelFileHandler& handler, rapidjson::MemoryStream& stream, QString& problem,
                std::size_t& problemOffset)
{
    if (!parse<FirstPassFlags>(file, handler, stream, problem, problemOffset))
        return false;
    if (!handler.objectsSeen)
        problem = handler.header.isEmpty() && !handler.rootDone ? QStringLiteral("is not a model file")
                                                                : QStringLiteral("is not a corvia model file (it has no object list)");
    return problem.isEmpty();
}

// Checks the syntax of a whole file as the model reader reads it and keeps
// nothing: memory grows with the depth of nesting (and the longest string),
// not with the file. What it has read is handed back to the system as it
// goes.
class SyntaxChecker : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, SyntaxChecker>
{
public:
    SyntaxChecker(const MappedFile& file, rapidjson::MemoryStream& stream) : file(file), stream(stream) {}

    QString error;
    std::size_t errorOffset = 0;

    // Every value but the top-level object itself.
    bool Default() { return started || fail(notAnObjectAtTop()); }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool)
    {
        double value = 0.0;
        return Default() && (jsonNumber(text, length, value) || fail(invalidJson(rapidjson::kParseErrorNumberTooBig)));
    }
    bool StartObject()
    {
        started = true;
        return true;
    }
    bool EndObject(rapidjson::SizeType) { return handBack(); }
    bool EndArray(rapidjson::SizeType) { return handBack(); }

private:
    bool handBack()
    {
        const std::size_t at = stream.Tell();
        if (at - released >= ReleaseStep) {
            file.release(released, at);
            released = at;
        }
        return true;
    }
    bool fail(const QString& problem)
    {
        error = problem;
        errorOffset = stream.Tell();
        return false;
    }

    const MappedFile& file;
    rapidjson::MemoryStream& stream;
    std::size_t released = 0;
    bool started = false;
};

// The model's own references and its preferences and log.
bool readModelSection(ModelFileHandler& handler, CVReadContext& context)
{
    CVModel& model = *handler.model;
    const QJsonObject references = handler.header.value(QStringLiteral("model")).toObject();
    context.setCurrent(0);
    model.setRootFolder(context.objectAs<CVFolder>(references.value(QStringLiteral("rootFolder"))));
    model.setActiveCentroidConfiguration(
        context.objectAs<CVCentroidConfiguration>(references.value(QStringLiteral("activeCentroidConfiguration"))));
    for (const QJsonValue id : references.value(QStringLiteral("layers")).toArray()) {
        if (auto* layer = context.objectAs<CVLayer>(id))
            model.getGeoModel()->add(nullptr, layer);
    }
    model.getGeoModel()->setActiveLayer(context.objectAs<CVLayer>(references.value(QStringLiteral("activeLayer"))));
    const QJsonValue declaredLastId = references.value(QStringLiteral("lastId"));
    unsigned int lastId = unsigned(qBound<qint64>(0, declaredLastId.toInteger(0), std::numeric_limits<unsigned int>::max()));
    // Ids are handed out up to the last id: one beyond it would be handed
    // out again to the next new object.
    if (!declaredLastId.isUndefined() && handler.largestId > lastId) {
        context.setCurrent(handler.largestId);
        context.fail(QStringLiteral("has an id beyond the model's last id %1").arg(declaredLastId.toVariant().toString()));
        return false;
    }
    lastId = std::max(lastId, handler.largestId);
    model.setLastId(lastId);

    const QJsonObject preferences = handler.header.value(QStringLiteral("preferences")).toObject();
    for (auto it = preferences.begin(); it != preferences.end(); ++it)
        model.getPreferences()->setValue(it.key(), it.value().toVariant());
    for (const QJsonValue entry : handler.header.value(QStringLiteral("log")).toArray()) {
        const QJsonObject saved = entry.toObject();
        model.getLog()->addEntry(saved.value(QStringLiteral("level")).toString(), saved.value(QStringLiteral("text")).toString());
    }
    return !context.failed();
}

// A top-level object of the file that only some models have (the import's
// settings, the geo-reference, the scenario), read by its type into the
// model; absent is fine, anything but an object of the type's form is not.
template <typename T, typename Setter>
bool readModelObject(ModelFileHandler& handler, const char* key, Setter set, QString* problem)
{
    const QJsonValue saved = handler.header.value(QLatin1String(key));
    if (saved.isUndefined())
        return true;
    if (!saved.isObject()) {
        *problem = QStringLiteral("is not an object");
        return false;
    }
    const std::optional<T> value = T::fromJson(saved.toObject(), problem);
    if (value)
        set(*handler.model, *value);
    return value.has_value();
}

// Where the text of an object to read again lies: in the file, or, for a
// matrix, in a text of its own.
std::pair<const char*, std::size_t> objectText(const ModelFileHandler& handler, const MappedFile& file,
                                               const PendingObject& pending)
{
    if (pending.ownText >= 0) {
        const std::string& own = handler.ownTexts[std::size_t(pending.ownText)];
        return {own.data(), own.size()};
    }
    return {file.data() + pending.begin, pending.end - pending.begin};
}

// The objects' texts parsed again on a second thread, a few batches of
// objects ahead of the objects that read them; each batch's values live in
// a pool of its own, emptied when the batch is read. The parse is the one
// a single thread would make of the same text.
class ParsedAhead
{
public:
    ParsedAhead(const ModelFileHandler& handler, const MappedFile& file) : handler(handler), file(file)
    {
        try {
            helper = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            alone = true;
        }
    }
    ~ParsedAhead() { stop(); }
    ParsedAhead(const ParsedAhead&) = delete;
    ParsedAhead& operator=(const ParsedAhead&) = delete;

    // The parsed text of pending object i, null when it is not a JSON
    // object; i counts up from 0 by one. What the other thread threw is
    // thrown here.
    const rapidjson::Value* object(std::size_t i)
    {
        const std::size_t number = i / BatchSize;
        Batch& batch = batches[number % Slots];
        if (i % BatchSize == 0 && alone) {
            parse(batch, number);
        } else if (i % BatchSize == 0) {
            std::unique_lock<std::mutex> lock(mutex);
            read = number;  // the batch before is done with
            changed.notify_all();
            changed.wait(lock, [&] { return batch.number == number || failure; });
            if (failure)
                std::rethrow_exception(failure);
        }
        const rapidjson::Value& value = batch.values[i % BatchSize];
        return value.IsObject() ? &value : nullptr;
    }

private:
    static constexpr std::size_t BatchSize = 512;
    static constexpr std::size_t Slots = 3;
    static constexpr std::size_t NoBatch = std::size_t(-1);

    struct Batch
    {
        rapidjson::MemoryPoolAllocator<> pool;
        std::vector<rapidjson::Value> values;  // null where the text is not an object
        std::size_t number = NoBatch;          // the batch it holds
    };

    void stop()
    {
        if (!helper.joinable())
            return;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
            changed.notify_all();
        }
        helper.join();
    }

    void run()
    {
        try {
            const std::size_t count = handler.pending.size();
            for (std::size_t number = 0; number * BatchSize < count; ++number) {
                Batch& batch = batches[number % Slots];
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    changed.wait(lock, [&] { return stopping || number < read + Slots; });
                    if (stopping)
                        return;
                }
                parse(batch, number);
                const std::lock_guard<std::mutex> lock(mutex);
                batch.number = number;
                changed.notify_all();
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex);
            failure = std::current_exception();
            changed.notify_all();
        }
    }

    // Parses batch number into the batch's values. The batch's number is
    // the caller's to set.
    void parse(Batch& batch, std::size_t number)
    {
        batch.values.clear();
        batch.pool.Clear();
        batch.values.reserve(BatchSize);
        const std::size_t end = std::min(handler.pending.size(), (number + 1) * BatchSize);
        rapidjson::Document parsed(&batch.pool);
        for (std::size_t i = number * BatchSize; i < end; ++i) {
            const auto [text, length] = objectText(handler, file, handler.pending[i]);
            parsed.Parse<ParseFlags>(text, length);
            batch.values.emplace_back();
            if (!parsed.HasParseError() && parsed.IsObject())
                batch.values.back() = static_cast<rapidjson::Value&>(parsed);
        }
    }

    const ModelFileHandler& handler;
    const MappedFile& file;
    Batch batches[Slots];
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t read = 0;  // batches before it are read
    bool stopping = false;
    bool alone = false;  // no second thread: batches are parsed as they are read
    std::exception_ptr failure;
    std::thread helper;
};

// Every object reads its fields once all exist, in the order of the file.
// Its text is parsed again, alone, into a small document that lives only
// while the object reads it.
bool readObjectFields(ModelFileHandler& handler, const MappedFile& file, CVReadContext& context, std::size_t& offset)
{
    std::size_t released = 0;
    {
        ParsedAhead parsed(handler, file);
        for (std::size_t i = 0; i < handler.pending.size(); ++i) {
            const PendingObject& pending = handler.pending[i];
            offset = pending.begin;
            context.setCurrent(pending.object->getId());
            const rapidjson::Value* json = parsed.object(i);
            if (!json) {
                context.fail(QStringLiteral("cannot be read again"));
                return false;
            }
            const CVSavedObject saved(static_cast<const void*>(json));
            if (pending.object->savesDataValues())
                pending.object->readDataValues(saved.value(QStringLiteral("data")).toObject(), context);
            pending.object->readFields(saved, context);
            if (context.failed())
                return false;
            // The other thread is ahead of this one: what lies behind is read.
            if (pending.end - released >= ReleaseStep) {
                file.release(released, pending.end);
                released = pending.end;
            }
        }
    }
    offset = 0;
    handler.ownTexts.clear();
    const bool allHeld = handler.tripCentroidIds.all([&](unsigned int id) {
        if (dynamic_cast<const CVCentroid*>(handler.byId.find(id)))
            return true;
        context.fail(QStringLiteral("(an OD matrix) has trips of centroid %1, which the file does not hold").arg(id));
        return false;
    });
    if (!allHeld)
        return false;
    // Every object checks what it read once all have read theirs: a turning
    // asks its sections for their lanes.
    for (const PendingObject& pending : handler.pending) {
        if (const QString problem = pending.object->readProblem(); !problem.isEmpty()) {
            offset = pending.begin;
            context.setCurrent(pending.object->getId());
            context.fail(problem);
            return false;
        }
    }
    for (const PendingObject& pending : handler.pending)
        pending.object->finishRead();
    return true;
}

// Where the first byte from offset on that is not JSON white space lies;
// the file's size when there is none.
std::size_t firstNonSpace(const MappedFile& file, std::size_t offset)
{
    const char* const text = file.data();
    while (offset < file.size() && std::strchr(" \t\r\n", text[offset]) && text[offset] != '\0')
        ++offset;
    return offset;
}

// Opens a model file for reading; what is wrong with it, or nothing.
QString openModelFile(const QString& path, MappedFile& file)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    if (!file.open())
        return QStringLiteral("cannot be read");
    return QString();
}

}  // namespace

std::unique_ptr<CVModel> CVModelReader::load(const QString& path, QString* errorText)
{
    MappedFile file(path);
    auto failWith = [&](int line, const QString& problem) {
        // Whatever went wrong, a file that changed under the reader is the
        // cause to name: its bytes were not the file's.
        if (errorText)
            *errorText = file.damaged() ? located(path, 0, CVGuardedMapping::damagedMessage())
                                        : located(path, line, problem);
        return nullptr;
    };
    if (const QString problem = openModelFile(path, file); !problem.isEmpty())
        return failWith(0, problem);

    rapidjson::MemoryStream stream(file.data(), file.size());
    ModelFileHandler handler(file, stream);
    // Declared after the handler, so that it stops before the model goes.
    TripsAhead ahead(file);
    handler.ahead = &ahead;
    QString problem;
    std::size_t problemOffset = 0;
    if (!parseModel(file, handler, stream, problem, problemOffset))
        return failWith(file.lineAt(problemOffset), problem);
    if (const std::size_t after = firstNonSpace(file, stream.Tell()); after < file.size())
        return failWith(file.lineAt(after), QStringLiteral("has text after the model's end"));

    CVReadContext context(handler.byId);
    std::size_t offset = 0;
    if (!readObjectFields(handler, file, context, offset))
        return failWith(offset ? file.lineAt(offset) : 0, context.error());
    if (!readModelSection(handler, context))
        return failWith(0, QStringLiteral("the model's references: ") + context.error());
    if (!readModelObject<CVImportSettings>(
            handler, "importSettings", [](CVModel& m, const CVImportSettings& v) { m.setImportSettings(v); }, &problem))
        return failWith(0, QStringLiteral("the import settings: ") + problem);
    if (!readModelObject<CVGeoReference>(
            handler, "geoReference", [](CVModel& m, const CVGeoReference& v) { m.setGeoReference(v); }, &problem))
        return failWith(0, QStringLiteral("the geo-reference: ") + problem);
    if (!readModelObject<CVScenarioSettings>(
            handler, "scenario", [](CVModel& m, const CVScenarioSettings& v) { m.setScenarioSettings(v); }, &problem))
        return failWith(0, QStringLiteral("the scenario: ") + problem);
    if (file.damaged())
        return failWith(0, QString());
    return std::move(handler.model);
}

bool CVModelReader::checkSyntax(const QString& path, QString* errorText)
{
    MappedFile file(path);
    auto failWith = [&](int line, const QString& problem) {
        if (errorText)
            *errorText = file.damaged() ? located(path, 0, CVGuardedMapping::damagedMessage())
                                        : located(path, line, problem);
        return false;
    };
    if (const QString problem = openModelFile(path, file); !problem.isEmpty())
        return failWith(0, problem);
    rapidjson::MemoryStream stream(file.data(), file.size());
    SyntaxChecker checker(file, stream);
    QString problem;
    std::size_t problemOffset = 0;
    if (!parse<CheckFlags>(file, checker, stream, problem, problemOffset))
        return failWith(file.lineAt(problemOffset), problem);
    if (file.damaged())
        return failWith(0, QString());
    return true;
}
