#pragma once

#include "cvexport.h"
#include "cvpoints.h"

#include <QJsonValue>
#include <QList>
#include <QString>

// One object of a model file as its type reads it back: the values of its
// keys, looked up in the parsed text of the object. Numbers come back as
// doubles; of a key given twice, the last value counts. The object is only
// valid while its type reads its fields.
class CRVKERNEL_EXPORT CVSavedObject
{
public:
    // jsonObject is the parsed object, as the model reader holds it.
    explicit CVSavedObject(const void* jsonObject) : json(jsonObject) {}

    bool contains(const QString& key) const;
    // The value of a key; undefined when the object does not have it.
    QJsonValue value(const QString& key) const;
    // The elements of an array value; empty for any other value.
    QList<QJsonValue> list(const QString& key) const;
    // A point saved as [x, y, z] and a list of them; a number that is null
    // or missing reads as not set (not a number).
    CVPoint point(const QString& key) const;
    CVPoints points(const QString& key) const;

private:
    const void* json;
};
