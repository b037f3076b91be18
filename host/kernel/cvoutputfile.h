#pragma once

#include "cvexport.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>

// Outputs appear complete or not at all. A file is written under a
// temporary name in its own folder; every write, the flush, the sync to
// disk and the close are checked, and only then is it renamed over its
// path. A symbolic link at the path is replaced by the file, never written
// through. Folders missing on the way are created, and removed again when
// the output fails. Without commit(), everything written is removed.
//
// errorString() is the system's reason ("No space left on device"), so a
// message can name the file and say why in one line.
class CRVKERNEL_EXPORT CVOutputFile
{
public:
    explicit CVOutputFile(const QString& path);
    ~CVOutputFile();
    CVOutputFile(const CVOutputFile&) = delete;
    CVOutputFile& operator=(const CVOutputFile&) = delete;

    bool open();
    // The temporary file being written; only valid after open(). Writes go
    // through a buffer; the first that fails is remembered and makes
    // commit() fail with its reason.
    QIODevice* device();
    bool commit();
    void discard();

    QString path() const { return target; }
    // Why open() or commit() failed, or why a write failed so far.
    QString errorString() const;

private:
    class Device;

    bool fail(const QString& reason);

    QString target;
    QString temporary;
    std::unique_ptr<Device> file;
    QStringList createdFolders;
    QString error;
    bool committed = false;
};

// Several files that make one output (a set of exports, the files of a
// shapefile folder): each is written into a hidden folder next to them, and
// commit() moves them all into place, only once every one is complete.
// Without commit(), the hidden folder and all in it are removed.
class CRVKERNEL_EXPORT CVOutputFolder
{
public:
    explicit CVOutputFolder(const QString& folder);
    ~CVOutputFolder();
    CVOutputFolder(const CVOutputFolder&) = delete;
    CVOutputFolder& operator=(const CVOutputFolder&) = delete;

    bool open();
    // Where the file that commit() moves to folder/fileName is written.
    QString stagedPath(const QString& fileName) const;
    // Moves every staged file into the folder; refuses, moving nothing, when
    // one of their names there is taken by something that is not a file.
    bool commit();
    void discard();

    QString folder() const { return target; }
    QString errorString() const { return error; }

private:
    QString target;
    QString staging;
    QStringList createdFolders;
    QString error;
    bool committed = false;
};

// The folders of path's parent that do not exist, created from the outside
// in; false, with the system's reason, when one cannot be. Used by the two
// classes above; the path is cleaned first, so "a/missing/../b" creates
// nothing named "missing".
namespace CVOutputFolders {
CRVKERNEL_EXPORT bool createParents(const QString& path, QStringList* created, QString* error);
// Removes the folders that createParents made, innermost first, when empty.
CRVKERNEL_EXPORT void removeCreated(QStringList* created);
}  // namespace CVOutputFolders
