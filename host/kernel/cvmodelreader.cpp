#include "cvmodelreader.h"

#include "cvcatalog.h"
#include "cvcentroidconfiguration.h"
#include "cvfolder.h"
#include "cvgeomodel.h"
#include "cvlayer.h"
#include "cvlog.h"
#include "cvmodel.h"
#include "cvmodelwriter.h"
#include "cvodmatrix.h"
#include "cvpreferencesvalues.h"
#include "cvreadcontext.h"
#include "cvregistry.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <rapidjson/error/en.h>
#include <rapidjson/filereadstream.h>
#include <rapidjson/reader.h>

#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

namespace {

// A file stream that knows its line, for messages.
class LineCountingStream
{
public:
    using Ch = char;
    explicit LineCountingStream(rapidjson::FileReadStream& stream) : in(stream) {}
    Ch Peek() const { return in.Peek(); }
    Ch Take()
    {
        const Ch c = in.Take();
        if (c == '\n')
            ++line;
        return c;
    }
    size_t Tell() const { return in.Tell(); }
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    size_t PutEnd(Ch*) { return 0; }
    int line = 1;

private:
    rapidjson::FileReadStream& in;
};

// Builds Qt JSON values from reader events, one top-level value at a time.
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
            top.object.insert(top.key, value);
        else
            top.array.append(value);
        return false;
    }
    void startObject() { frames.push_back(Frame{true, {}, {}, {}}); }
    void startArray() { frames.push_back(Frame{false, {}, {}, {}}); }
    void key(const QString& name) { frames.back().key = name; }
    const QJsonObject& currentObject() const { return frames.back().object; }
    int depth() const { return int(frames.size()); }
    bool end(QJsonValue& done)
    {
        Frame top = std::move(frames.back());
        frames.pop_back();
        return add(top.isObject ? QJsonValue(top.object) : QJsonValue(top.array), done);
    }

private:
    struct Frame
    {
        bool isObject;
        QJsonObject object;
        QJsonArray array;
        QString key;
    };
    std::vector<Frame> frames;
};

// Reads the rows of an OD matrix's trips: [origin, [destinations], [trips]].
class TripRows
{
public:
    void start() { depth = 1; }
    bool active() const { return depth > 0; }
    QString error;

    bool startArray()
    {
        if (depth == 1) {
            part = 0;
            destinations.clear();
            values.clear();
        } else if (depth == 2 && (part == 1 || part == 2)) {
            // the destinations or the trips of the row
        } else {
            return fail();
        }
        ++depth;
        return true;
    }
    bool number(double value)
    {
        if (depth == 2 && part == 0 && value >= 1 && value <= std::numeric_limits<unsigned int>::max()
            && value == std::floor(value)) {
            origin = unsigned(value);
            part = 1;
            return true;
        }
        if (depth == 3 && part == 1) {
            if (value < 1 || value > std::numeric_limits<unsigned int>::max() || value != std::floor(value))
                return fail();
            destinations.push_back(unsigned(value));
            return true;
        }
        if (depth == 3 && part == 2) {
            values.push_back(value);
            return true;
        }
        return fail();
    }
    // True when the trips' value is complete.
    bool endArray(CVODMatrix* matrix, QSet<unsigned int>& centroidIds, bool& finished)
    {
        finished = false;
        --depth;
        if (depth == 2) {
            ++part;
        } else if (depth == 1) {
            if (part != 3 || destinations.size() != values.size())
                return fail();
            centroidIds.insert(origin);
            for (size_t i = 0; i < destinations.size(); ++i) {
                centroidIds.insert(destinations[i]);
                if (matrix)
                    matrix->setTrips(origin, destinations[i], values[i]);
            }
        } else {
            finished = true;
        }
        return true;
    }
    bool fail()
    {
        error = QStringLiteral("trips that are not rows of [origin, [destinations], [trips]]");
        depth = 0;
        return false;
    }

private:
    int depth = 0;
    int part = 0;
    unsigned int origin = 0;
    std::vector<unsigned int> destinations;
    std::vector<double> values;
};

// An object whose fields are read once every object exists.
struct PendingObject
{
    CVObject* object;
    QJsonObject json;
    int line;
};

class ModelFileHandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, ModelFileHandler>
{
public:
    explicit ModelFileHandler(const LineCountingStream& stream) : stream(stream), model(std::make_unique<CVModel>()) {}

    QString error;
    int errorLine = 0;
    std::unique_ptr<CVModel> model;
    QHash<unsigned int, CVObject*> byId;
    std::vector<PendingObject> pending;
    QSet<unsigned int> tripCentroidIds;
    QJsonObject header;
    bool objectsSeen = false;
    bool rootDone = false;

    bool Null() { return scalar(QJsonValue(QJsonValue::Null)); }
    bool Bool(bool b) { return scalar(QJsonValue(b)); }
    bool Int(int i) { return number(i); }
    bool Uint(unsigned u) { return number(u); }
    bool Int64(int64_t i) { return number(double(i)); }
    bool Uint64(uint64_t u) { return number(double(u)); }
    bool Double(double d) { return number(d); }
    bool String(const char* text, rapidjson::SizeType length, bool)
    {
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
        if (inObjects && !builder.busy())
            objectLine = stream.line;
        builder.startObject();
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool)
    {
        const QString name = QString::fromUtf8(text, qsizetype(length));
        if (!builder.busy()) {
            rootKey = name;
            return true;
        }
        builder.key(name);
        if (inObjects && builder.depth() == 1 && name == QLatin1String("trips")) {
            tripsNext = true;
            return startTrips();
        }
        return true;
    }
    bool EndObject(rapidjson::SizeType)
    {
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
            return true;
        }
        if (trips.active())
            return trips.startArray() || failTrips();
        if (rootDepth == 0)
            return fail(QStringLiteral("is not a model file (its top level is not a JSON object)"));
        if (!builder.busy() && rootKey == QLatin1String("objects")) {
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
            if (!trips.endArray(currentMatrix(), tripCentroidIds, finished))
                return failTrips();
            return true;
        }
        if (!builder.busy() && inObjects) {
            inObjects = false;
            objectsSeen = true;
            return true;
        }
        QJsonValue done;
        return !builder.end(done) || completed(done);
    }

    bool fail(const QString& problem)
    {
        if (error.isEmpty()) {
            error = problem;
            errorLine = stream.line;
        }
        return false;
    }

private:
    bool failTrips() { return fail(QStringLiteral("object %1 has %2").arg(tripsOwner).arg(trips.error)); }

    bool number(double value)
    {
        if (trips.active())
            return trips.number(value) || failTrips();
        return scalar(QJsonValue(value));
    }
    bool scalar(const QJsonValue& value)
    {
        if (trips.active() || tripsNext)
            return failTrips();
        QJsonValue done;
        return !builder.add(value, done) || completed(done);
    }
    // A value of the top level, or one object of the object list, is complete.
    bool completed(const QJsonValue& value)
    {
        if (!inObjects) {
            header.insert(rootKey, value);
            return true;
        }
        return addObject(value.toObject());
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
        return true;
    }
    CVODMatrix* currentMatrix() const { return matrixOfObject; }

    // Makes the object of a saved object's id and type: when the object is
    // complete, or at its trips, which are read straight into the matrix
    // (the writer puts the id and type first).
    CVObject* createObject(const QJsonObject& json)
    {
        const qint64 id = json.value(QStringLiteral("id")).toInteger(-1);
        if (id < 1 || id > qint64(std::numeric_limits<unsigned int>::max())) {
            fail(QStringLiteral("has an object without a valid id"));
            return nullptr;
        }
        const QString typeName = json.value(QStringLiteral("type")).toString();
        const CVType* type = CVRegistry::instance().type(typeName);
        if (!type) {
            fail(QStringLiteral("object %1 has the unknown type \"%2\"").arg(id).arg(typeName));
            return nullptr;
        }
        if (byId.contains(unsigned(id))) {
            fail(QStringLiteral("holds two objects with id %1").arg(id));
            return nullptr;
        }
        CVObject* object = type->create(model.get());
        object->setId(unsigned(id));
        byId.insert(unsigned(id), object);
        model->getCatalog()->add(object);
        return object;
    }

    bool addObject(const QJsonObject& json)
    {
        CVObject* object = createdEarly ? createdEarly : createObject(json);
        createdEarly = nullptr;
        matrixOfObject = nullptr;
        if (!object)
            return false;
        if (qint64(object->getId()) != json.value(QStringLiteral("id")).toInteger(-1))
            return fail(QStringLiteral("object %1 has two ids").arg(object->getId()));
        object->setName(json.value(QStringLiteral("name")).toString());
        object->setExternalId(json.value(QStringLiteral("externalId")).toString());
        object->setStatus(json.value(QStringLiteral("status")).toInt());
        pending.push_back(PendingObject{object, json, objectLine});
        return true;
    }

public:
    bool startTrips()
    {
        if (createdEarly)
            return fail(QStringLiteral("object %1 has its trips twice").arg(createdEarly->getId()));
        createdEarly = createObject(builder.currentObject());
        if (!createdEarly)
            return false;
        tripsOwner = createdEarly->getId();
        matrixOfObject = dynamic_cast<CVODMatrix*>(createdEarly);
        if (!matrixOfObject)
            return fail(QStringLiteral("object %1 has trips but is no OD matrix").arg(tripsOwner));
        return true;
    }

private:
    const LineCountingStream& stream;
    ValueBuilder builder;
    TripRows trips;
    QString rootKey;
    int rootDepth = 0;
    bool inObjects = false;
    bool tripsNext = false;
    int objectLine = 0;
    CVObject* createdEarly = nullptr;
    CVODMatrix* matrixOfObject = nullptr;
    unsigned int tripsOwner = 0;
};

}  // namespace

namespace {

QString located(const QString& path, int line, const QString& problem)
{
    return line > 0 ? QStringLiteral("%1: line %2: %3").arg(path).arg(line).arg(problem)
                    : QStringLiteral("%1: %2").arg(path, problem);
}

bool parse(std::FILE* file, ModelFileHandler& handler, LineCountingStream& stream, qint64 fileSize, QString& problem)
{
    rapidjson::Reader reader;
    const rapidjson::ParseResult result =
        reader.Parse<rapidjson::kParseFullPrecisionFlag | rapidjson::kParseStopWhenDoneFlag>(stream, handler);
    Q_UNUSED(file);
    if (!handler.error.isEmpty()) {
        problem = handler.error;
        return false;
    }
    if (result.IsError()) {
        if (qint64(result.Offset()) >= fileSize)
            problem = QStringLiteral("the file ends before the model does (is it truncated?)");
        else
            problem = QStringLiteral("invalid JSON: %1").arg(QString::fromLatin1(rapidjson::GetParseError_En(result.Code())));
        return false;
    }
    if (!handler.objectsSeen)
        problem = handler.header.isEmpty() && !handler.rootDone ? QStringLiteral("is not a model file")
                                                                : QStringLiteral("is not a corvia model file (it has no object list)");
    return problem.isEmpty();
}

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
    unsigned int lastId = unsigned(qBound<qint64>(0, references.value(QStringLiteral("lastId")).toInteger(0),
                                                  std::numeric_limits<unsigned int>::max()));
    for (auto it = handler.byId.cbegin(); it != handler.byId.cend(); ++it)
        lastId = std::max(lastId, it.key());
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

// Every object reads its fields once all exist, in the order of the file.
bool readObjectFields(ModelFileHandler& handler, CVReadContext& context, int& line)
{
    for (PendingObject& pending : handler.pending) {
        context.setCurrent(pending.object->getId());
        line = pending.line;
        if (pending.object->savesDataValues())
            pending.object->readDataValues(pending.json.value(QStringLiteral("data")).toObject(), context);
        pending.object->readFields(pending.json, context);
        if (context.failed())
            return false;
        pending.json = QJsonObject();
    }
    line = 0;
    for (unsigned int id : std::as_const(handler.tripCentroidIds)) {
        if (!handler.byId.contains(id)) {
            context.fail(QStringLiteral("(an OD matrix) has trips of centroid %1, which the file does not hold").arg(id));
            return false;
        }
    }
    for (PendingObject& pending : handler.pending)
        pending.object->finishRead();
    return true;
}

}  // namespace

std::unique_ptr<CVModel> CVModelReader::load(const QString& path, QString* errorText)
{
    auto failWith = [&](int line, const QString& problem) {
        if (errorText)
            *errorText = located(path, line, problem);
        return nullptr;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return failWith(0, QStringLiteral("no such file"));
    if (!info.isFile())
        return failWith(0, QStringLiteral("not a regular file"));
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return failWith(0, QStringLiteral("cannot be read"));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);

    std::vector<char> buffer(1 << 16);
    rapidjson::FileReadStream fileStream(file, buffer.data(), buffer.size());
    LineCountingStream stream(fileStream);
    ModelFileHandler handler(stream);
    QString problem;
    if (!parse(file, handler, stream, info.size(), problem))
        return failWith(handler.errorLine ? handler.errorLine : stream.line, problem);

    CVReadContext context(handler.byId);
    int line = 0;
    if (!readObjectFields(handler, context, line))
        return failWith(line, context.error());
    if (!readModelSection(handler, context))
        return failWith(0, QStringLiteral("the model's references: ") + context.error());
    return std::move(handler.model);
}
