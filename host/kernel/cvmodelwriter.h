#pragma once

#include "cvexport.h"

#include <QJsonDocument>
#include <QString>

class CVModel;

// Saves a model as a JSON document: format "corvia-model", version 1, the
// preferences, the log and every object in ascending id with its type, name,
// external id, status, attribute values and the fields of its type.
class CRVKERNEL_EXPORT CVModelWriter
{
public:
    static QJsonDocument toJson(const CVModel& model);
    // False, with a reason in errorText, when the file cannot be written.
    static bool save(const CVModel& model, const QString& path, QString* errorText = nullptr);
};
