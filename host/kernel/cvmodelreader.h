#pragma once

#include "cvexport.h"

#include <QString>

#include <memory>

class CVModel;

// Opens a model file that CVModelWriter saved, as a new model: every object
// with its id, type, name, external id, status, data values and fields,
// references resolved by id, the catalogue's indexes built as the objects
// join it and the id counter past the largest id. The file is read as a
// stream: one object at a time, OD trips straight into their matrix.
//
// Any problem (unreadable file, invalid or truncated JSON, another format
// or a newer version, an unknown type, an id used twice, a reference to an
// object the file does not hold) gives no model and one message that names
// the file and, where known, the line and the object.
class CRVKERNEL_EXPORT CVModelReader
{
public:
    static std::unique_ptr<CVModel> load(const QString& path, QString* errorText = nullptr);

    // Checks a file's JSON as load() parses it, and builds nothing: one
    // object at the top, nothing but white space after it, numbers that fit
    // a double, arrays and objects nested at most 512 deep. Memory does not
    // grow with the file, so it suits models too large to load. False, with
    // a message as load() gives, when the file fails.
    static bool checkSyntax(const QString& path, QString* errorText = nullptr);
};
