#pragma once

#include "cvexport.h"

#include <QString>

class CVModel;

// Saves a model as JSON: format "corvia-model", the preferences, the log,
// the model's own references (root folder, layers, active configuration,
// id counter), the settings of the import that filled it where there was
// one, and every object in ascending id, one object a line, with its
// id, type, name, external id, status, data values and the fields of its
// type. Objects are written a few thousand at a time as they are
// serialised and the trips of an OD matrix as rows (origin, destinations,
// values), so a large model never exists as one document in memory. Numbers that are not
// finite are written as null. The file is written as CVOutputFile writes:
// complete or not at all, replacing a symbolic link at the path.
//
// The object list is cut into pieces of a few thousand objects (an OD
// matrix alone), made on two threads and written in order: the text is
// the same as one thread writes.
class CRVKERNEL_EXPORT CVModelWriter
{
public:
    static constexpr int FormatVersion = 2;
    // Objects written as one piece of text; the piece of an OD matrix holds it alone.
    static constexpr qsizetype ObjectsPerPiece = 2048;

    // False, with a reason in errorText, when the file cannot be written.
    static bool save(const CVModel& model, const QString& path, QString* errorText = nullptr);
    // The same text as save writes, for tests and small models. Tests cut
    // the object list into smaller pieces to check that the order holds;
    // 0 writes it as one piece on one thread.
    static QByteArray toJson(const CVModel& model, qsizetype objectsPerPiece = ObjectsPerPiece);
};
