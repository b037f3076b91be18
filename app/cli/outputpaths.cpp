#include "cli/outputpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// The nearest folder on the way to path that exists: the one the first
// missing folder, or the file, would be made in (as the writers clean
// paths, "a/missing/../b" is made in a).
QString nearestExistingFolder(const QString& path)
{
    QString folder = QFileInfo(QDir::cleanPath(QFileInfo(path).absoluteFilePath())).path();
    while (!QFileInfo::exists(folder) && folder != QFileInfo(folder).path())
        folder = QFileInfo(folder).path();
    return folder;
}

// shown is the name the message gives: the output's, when path is a file
// to be made in it.
QString parentRefusal(const QString& path, const QString& shown)
{
    const QString folder = nearestExistingFolder(path);
    // errno read at once: QFileInfo may set it.
    const int accessCode = ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0 ? 0 : errno;
    const int code = QFileInfo(folder).isDir() ? accessCode : ENOTDIR;
    if (code == 0)
        return QString();
    return QStringLiteral("cannot write %1: %2: %3").arg(shown, folder, QString::fromLocal8Bit(std::strerror(code)));
}

QString kindOf(const QFileInfo& info)
{
    return info.isDir() ? QStringLiteral("a directory") : QStringLiteral("not a regular file");
}

}  // namespace

QString OutputPaths::refusal(const QString& path)
{
    if (path.isEmpty())
        return QStringLiteral("an empty file name cannot be written");
    // A symbolic link is replaced by the file, whatever it points to, so only
    // what is at the path itself counts.
    const QFileInfo info(path);
    if (!info.isSymLink() && info.exists() && !info.isFile())
        return QStringLiteral("%1 is %2 and is left as it is").arg(path, kindOf(info));
    return parentRefusal(path, path);
}

QString OutputPaths::folderRefusal(const QString& path)
{
    if (path.isEmpty())
        return QStringLiteral("an empty folder name cannot be written");
    const QFileInfo info(path);
    if (info.exists() && !info.isDir())
        return QStringLiteral("%1 is not a folder and is left as it is").arg(path);
    return parentRefusal(QDir(path).filePath(QStringLiteral("x")), path);
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
