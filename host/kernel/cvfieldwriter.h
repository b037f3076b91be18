#pragma once

#include "cvexport.h"
#include "cvpoints.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <memory>
#include <string>

class CVObject;

// The fields of one object's type, as its saved object holds them. Each
// value is turned into JSON text as it is added, so saving a model builds
// no Qt JSON value per object. The fields come out in ascending key order
// whatever order the type adds them in, and a key added again keeps only
// its last value.
class CRVKERNEL_EXPORT CVFieldWriter
{
public:
    CVFieldWriter();
    ~CVFieldWriter();
    CVFieldWriter(const CVFieldWriter&) = delete;
    CVFieldWriter& operator=(const CVFieldWriter&) = delete;

    void insert(const QString& key, const QJsonValue& value);
    void insert(const QString& key, const QString& value);
    void insert(const QString& key, bool value);
    void insert(const QString& key, int value);
    void insert(const QString& key, unsigned int value);
    void insert(const QString& key, qint64 value);
    void insert(const QString& key, double value);
    // A C string would otherwise be taken for a bool.
    void insert(const QString& key, const char* value) = delete;
    void insert(const QString& key, const CVPoint& point);
    void insert(const QString& key, const CVPoints& points);
    // The id of an object, or null.
    void insertId(const QString& key, const CVObject* object);
    // A list of ids, from any range of objects or of ids.
    template <class Range, class IdOf>
    void insertIds(const QString& key, const Range& range, IdOf idOf)
    {
        startArray(key);
        for (const auto& item : range)
            arrayId(idOf(item));
        endArray();
    }

    bool contains(const QString& key) const;
    bool isEmpty() const;
    void clear();

    // ,"key":value for every field in key order, skipping the given keys.
    void appendMembers(std::string& out, const QStringList& skipped) const;
    // The fields as a Qt JSON object, for views and tests.
    QJsonObject toJsonObject() const;

private:
    void startArray(const QString& key);
    void arrayId(unsigned int id);
    void endArray();

    struct Private;
    std::unique_ptr<Private> d;
};
