#pragma once

#include <QString>
#include <QStringList>

// Outputs never harm what is there: a path that exists and is not a
// regular file (a directory, a device, a pipe, a socket) is refused, never
// replaced; a symbolic link is replaced by the file, never written through.
// A folder that cannot be written in is refused too. Commands ask before
// any work, so a refused output costs no import.
namespace OutputPaths {

// Empty when the path may be written; otherwise why not, naming the path.
QString refusal(const QString& path);
// The same for a folder that an export fills (a shapefile folder).
QString folderRefusal(const QString& path);
// The first refusal among several paths (the files of one export).
QString refusal(const QStringList& paths);

}  // namespace OutputPaths
