#pragma once

#include "cvexport.h"
#include "cvpoints.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVector>

#include <vector>

class CVObject;

// The objects of a model file by their saved ids. Ids are handed out one
// after the other, so up to the model's last id they sit in a flat table,
// a look-up without hashing; ids beyond it (a file edited by hand) go to a
// hash.
class CVSavedIds
{
public:
    // Room in the table for ids up to bound.
    void reserve(unsigned int bound) { table.assign(std::size_t(bound) + 1, nullptr); }
    // The place of an id, null when no object has it yet.
    CVObject*& operator[](unsigned int id) { return id < table.size() ? table[id] : beyond[id]; }
    CVObject* find(unsigned int id) const { return id < table.size() ? table[id] : beyond.value(id, nullptr); }

private:
    std::vector<CVObject*> table;
    QHash<unsigned int, CVObject*> beyond;
};

// What an object reading its saved fields needs: the objects it refers to,
// found by id among those of the same file, and a place for the first
// problem found. A reference to an id that the file does not hold, or to
// an object of an unexpected type, is recorded as an error and read as null.
class CRVKERNEL_EXPORT CVReadContext
{
public:
    explicit CVReadContext(const CVSavedIds& objectsById) : objects(objectsById) {}

    // The object a saved id names; null for a null value.
    CVObject* object(const QJsonValue& id);
    template <class T>
    T* objectAs(const QJsonValue& id)
    {
        CVObject* found = object(id);
        if (!found)
            return nullptr;
        T* typed = dynamic_cast<T*>(found);
        if (!typed)
            fail(QStringLiteral("refers to object %1 of an unexpected type").arg(id.toInteger()));
        return typed;
    }
    // The objects of an array of ids, each checked like object().
    QVector<CVObject*> objectList(const QJsonValue& ids);
    // The same, each checked like objectAs().
    template <class T>
    QVector<T*> objectListAs(const QJsonValue& ids)
    {
        QVector<T*> list;
        for (const QJsonValue id : ids.toArray()) {
            if (T* typed = objectAs<T>(id))
                list.append(typed);
        }
        return list;
    }

    // Coordinates farther than this from the origin, in metres, are refused:
    // no projection of the earth reaches them.
    static constexpr double MaxCoordinate = 1e8;
    // Demands and similar windows last more than nothing and at most this.
    static constexpr double MaxDurationSeconds = 366.0 * 24 * 3600;
    // Empty, or what is wrong with a position read from a file: a
    // coordinate that is not a number or lies beyond MaxCoordinate (an
    // unset height, or no position at all, is allowed).
    static QString positionProblem(const CVPoint& point);

    // Saved numbers: null stands for a value that was not set (not a number).
    static double number(const QJsonValue& value);
    static CVPoint point(const QJsonValue& value);
    static CVPoints points(const QJsonValue& value);

    void fail(const QString& problem);
    bool failed() const { return !problem.isEmpty(); }
    const QString& error() const { return problem; }

    // The object whose fields are being read, named in errors.
    void setCurrent(unsigned int id) { current = id; }

private:
    const CVSavedIds& objects;
    unsigned int current = 0;
    QString problem;
};
