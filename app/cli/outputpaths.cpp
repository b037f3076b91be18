#include "cli/outputpaths.h"

#include <QFileInfo>

QString OutputPaths::refusal(const QString& path)
{
    if (path.isEmpty())
        return QStringLiteral("an empty file name cannot be written");
    // QFileInfo follows a symbolic link to what it names: a link to a
    // regular file may be replaced, a link to a device may not.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        const QString kind = info.isDir() ? QStringLiteral("a directory") : QStringLiteral("not a regular file");
        return QStringLiteral("%1 is %2 and is left as it is").arg(path, kind);
    }
    return QString();
}

QString OutputPaths::refusal(const QStringList& paths)
{
    for (const QString& path : paths) {
        const QString why = refusal(path);
        if (!why.isEmpty())
            return why;
    }
    return QString();
}
