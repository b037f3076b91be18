#pragma once

#include "cvexport.h"

#include <QString>

#include <cstddef>

// A whole file mapped read-only, safe to read while another program
// truncates or rewrites it. Reading a page of a mapping past the file's
// end raises SIGBUS; a handler installed once for every guarded mapping
// puts zero-filled pages in place of the missing ones and marks the
// mapping damaged, and the read goes on. A reader checks damaged() when it
// has read what it needs and then discards what it built. A fault outside
// every guarded mapping ends the program as before.
//
// Cost: nothing per byte read; one system call pair per mapping.
class CRVKERNEL_EXPORT CVGuardedMapping
{
public:
    CVGuardedMapping() = default;
    ~CVGuardedMapping();
    CVGuardedMapping(const CVGuardedMapping&) = delete;
    CVGuardedMapping& operator=(const CVGuardedMapping&) = delete;

    // Maps the regular file at path. False when it cannot be opened or
    // mapped (an empty file maps to no bytes and succeeds).
    bool map(const QString& path);
    // Drops the mapping (also done by the destructor).
    void unmap();

    const char* data() const { return bytes ? bytes : ""; }
    std::size_t size() const { return length; }
    // True once a page could not be read from the file: it shrank (or was
    // replaced) after it was mapped, and the bytes read may be zeros.
    bool damaged() const;
    // Lets the system drop the whole pages of [from, to) from memory; read
    // again, they come back from the file.
    void release(std::size_t from, std::size_t to) const;

    // The message readers give for a damaged mapping.
    static QString damagedMessage();

private:
    const char* bytes = nullptr;
    std::size_t length = 0;
    int slot = -1;  // in the handler's table of guarded mappings
};
