#pragma once

#include <QString>
#include <QStringList>

// Outputs never harm what is there: a path that exists and is not a
// regular file (a directory, a device, a pipe, a socket) is refused, never
// replaced. Every writer of the application asks before it writes.
namespace OutputPaths {

// Empty when the path may be written; otherwise why not, naming the path.
QString refusal(const QString& path);
// The first refusal among several paths (the files of one export).
QString refusal(const QStringList& paths);

}  // namespace OutputPaths
