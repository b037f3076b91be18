#pragma once

// A model file as the model reader reads it. Internal to the kernel.

#include "cvguardedmapping.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstddef>

namespace CVModelFileReading {

// The model file mapped into memory, read-only, guarded against the file
// shrinking under the reader. Parts already read (the trips of a matrix,
// objects whose fields are set) are handed back to the system, so the
// file never sits in memory beside the whole model.
class MappedFile
{
public:
    explicit MappedFile(const QString& path) : path(path) {}
    bool open()
    {
        if (mapping.map(path))
            return true;
        // A file system that cannot map files: the file is read whole instead.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        copy = file.readAll();
        return copy.size() == file.size();
    }
    const char* data() const { return copy.isEmpty() ? mapping.data() : copy.constData(); }
    std::size_t size() const { return copy.isEmpty() ? mapping.size() : std::size_t(copy.size()); }
    // True when the file shrank while it was read: what was read is not the file.
    bool damaged() const { return mapping.damaged(); }
    // The line that holds an offset, for messages.
    int lineAt(std::size_t offset) const
    {
        const char* end = data() + std::min(offset, size());
        return 1 + int(std::count(data(), end, '\n'));
    }
    void release(std::size_t from, std::size_t to) const
    {
        if (copy.isEmpty())
            mapping.release(from, to);
    }

private:
    QString path;
    CVGuardedMapping mapping;
    QByteArray copy;
};

}  // namespace CVModelFileReading
