#pragma once

#include "cvexport.h"

#include <QString>

#include <stdexcept>

// An input that cannot be read to the end: a file that changed while it
// was read, or one that would make more objects than any real network
// holds. Thrown by a reader, it ends the whole import; the command line
// prints its message as one line and exits 1, the window shows it.
class CRVKERNEL_EXPORT CVInputError : public std::runtime_error
{
public:
    explicit CVInputError(const QString& message);
    ~CVInputError() override;

    QString message() const { return QString::fromUtf8(what()); }
};
