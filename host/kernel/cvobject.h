#pragma once

#include "cvcontext.h"
#include "cvtype.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QVarLengthArray>
#include <QVariant>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

class CVFieldWriter;
class CVModel;
class CVReadContext;
class CVSavedObject;

// Base of every model object. Objects belong to their model's catalogue,
// which indexes them by id, name, type and external id; renaming an object
// keeps those indexes up to date.
class CRVKERNEL_EXPORT CVObject
{
public:
    // Status of an object that an import created and nobody has saved yet.
    static constexpr int StatusImported = 2;

    CVObject(CVModel* model, const CVType* type);
    virtual ~CVObject();
    CVObject(const CVObject&) = delete;
    CVObject& operator=(const CVObject&) = delete;

    // Host objects live in the object pool (see cvobjectpool.h).
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    unsigned int getId() const { return id; }
    void setId(unsigned int newId) { id = newId; }
    const CVType* getType() const { return type; }
    const QString& getTypeName() const { return type->getName(); }
    CVModel* getModel() const { return model; }

    const QString& getName() const { return name; }
    void setName(const QString& newName);
    const QString& getExternalId() const;
    void setExternalId(const QString& newExternalId);
    int getStatus() const { return status; }
    void setStatus(int newStatus) { status = newStatus; }

    virtual void setDataValue(const CVColumn* column, const QVariant& value);
    virtual QVariant getDataValue(const CVColumn* column) const;
    QVariant getDataValue(const QString& columnName) const;
    // The value as an integer; types that keep a column in a member answer
    // from it without making a QVariant.
    virtual int getDataValueInt(const CVColumn* column, CVContext::Context context = CVContext::anyContext) const;
    double getDataValueDouble(const CVColumn* column, CVContext::Context context = CVContext::anyContext) const;

    // Counts the changes made to the object, so views know to redraw it.
    void increaseTick() { ++tick; }
    unsigned int getTick() const { return tick; }

    // Adds the fields of the concrete type to a saved object. The common
    // fields (id, type, name, external id, status, data values) are written
    // by the model writer under the reserved keys, which a type's fields
    // never use.
    virtual void writeFields(CVFieldWriter& json) const;
    // The fields writeFields adds, as a Qt JSON object, for views and tests.
    QJsonObject fieldsJson() const;
    static const QStringList& reservedKeys();
    // Reads back what writeFields saved. Objects of the same file exist but
    // may not have read their own fields yet: keep references, do not ask
    // the referred objects for their state until finishRead.
    virtual void readFields(const CVSavedObject& json, CVReadContext& context);
    // Called once every object of the file has read its fields.
    virtual void finishRead() {}
    // What makes the fields just read unusable (a reference of the wrong
    // kind, a lane outside its section, a coordinate off the earth), or
    // empty. Asked once every object has read its fields, before
    // finishRead; any answer refuses the whole file.
    virtual QString readProblem() const { return QString(); }
    // False for types that save their data values among their own fields.
    virtual bool savesDataValues() const { return true; }
    QJsonObject dataValuesJson() const;
    // Sets the data values of a saved "data" object; null is a value not set.
    void readDataValues(const QJsonObject& values, CVReadContext& context);

protected:
    // Objects carry no attribute values or a handful (a section: speed and
    // lane width), so a short list searched in order beats a hash table.
    using DataValue = std::pair<const CVColumn*, QVariant>;
    // What most objects never have: an external id (centroids) and
    // attribute values (sections). Kept apart so that the common object,
    // of which a model holds hundreds of thousands, stays small; made on
    // the first value set.
    // A section's two values (speed, lane width) live inside the extras,
    // so that they cost no allocation of their own.
    struct Extras
    {
        QString externalId;
        QVarLengthArray<DataValue, 2> dataValues;
    };
    // Room for the extras inside an object of a type that always has
    // values (a section): they then lie beside the object's own fields
    // instead of in a block of their own elsewhere in memory, which the
    // builders, reading a section's speed and lane width for every
    // turning, would reach with a cache miss each time.
    struct ExtrasRoom
    {
        alignas(Extras) unsigned char bytes[sizeof(Extras)];
    };
    // Makes the (empty) extras in the room, for good: the derived class
    // calls it in its constructor, and releaseExtrasRoom in its destructor,
    // while the room still exists.
    void keepExtrasIn(ExtrasRoom& room);
    void releaseExtrasRoom();

    // For copies of an object: takes over the other object's data values.
    void copyDataValuesFrom(const CVObject& other);

private:
    Extras& extras();
    const DataValue* findDataValue(const CVColumn* column) const;

    CVModel* model;
    const CVType* type;
    unsigned int id = 0;
    int status = 0;
    unsigned int tick = 0;
    bool extrasInRoom = false;  // rareFields lies in a derived object's ExtrasRoom
    QString name;
    Extras* rareFields = nullptr;  // owned unless extrasInRoom
};
