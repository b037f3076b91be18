#include "cvoutputfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Files are made as open(2) would make them, not with mkstemp's 0600.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// So that a rename survives a crash of the machine, as the data does.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool CVOutputFolders::createParents(const QString& path, QStringList* created, QString* error)
{
    const QString parent = QFileInfo(cleanAbsolute(path)).path();
    QStringList missing;
    for (QString folder = parent; !QFileInfo::exists(folder); folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
        if (folder == QFileInfo(folder).path())
            break;
    }
    for (const QString& folder : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0) {
            if (error)
                *error = QStringLiteral("cannot create the folder %1: %2").arg(folder, systemReason(errno));
            removeCreated(created);
            return false;
        }
        created->append(folder);
    }
    return true;
}

void CVOutputFolders::removeCreated(QStringList* created)
{
    while (!created->isEmpty())
        ::rmdir(QFile::encodeName(created->takeLast()).constData());
}

// An open file descriptor written through a buffer of its own, so that
// the reason of a failed write is the system's and is never lost.
class CVOutputFile::Device : public QIODevice
{
public:
    explicit Device(int fd) : fd(fd) { buffer.reserve(Capacity); }
    ~Device() override { closeDescriptor(); }

    int descriptor() const { return fd; }
    int firstError() const { return failure; }

    bool flushBuffer()
    {
        writeAll(buffer.constData(), buffer.size());
        buffer.clear();
        return failure == 0;
    }
    // The descriptor's close, whose error counts too.
    int closeDescriptor()
    {
        if (fd < 0)
            return 0;
        const int result = ::close(fd);
        fd = -1;
        return result;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (failure != 0)
            return -1;
        // Large blocks go to the file as they are, without a copy, a step
        // of the write-back at a time (see passToDisk).
        if (size >= Capacity) {
            if (!flushBuffer())
                return -1;
            for (qint64 at = 0; at < size; at += WriteBackStep)
                if (!writeAll(data + at, std::min(WriteBackStep, size - at)))
                    return -1;
            return size;
        }
        buffer.append(data, size);
        if (buffer.size() >= Capacity && !flushBuffer())
            return -1;
        return size;
    }

private:
    bool writeAll(const char* data, qint64 size)
    {
        qint64 left = size;
        while (left > 0 && failure == 0) {
            const ssize_t done = ::write(fd, data, size_t(left));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                failure = done < 0 ? errno : EIO;
                break;
            }
            data += done;
            left -= done;
        }
        if (failure == 0)
            passToDisk(size);
        return failure == 0;
    }
    // Every so many bytes the disk starts on what was written, so that the
    // sync that makes the file complete has little left to wait for. The
    // step before, on its way by then, is waited for and dropped from the
    // page cache: a file of a gigabyte then passes through a few steps of
    // cache pages used again and again, where fresh ones for the whole file
    // cost a virtual machine as much time as the writing (a metropolitan
    // model's file: 2.3 s of system time, 0.8 s once dropped).
    void passToDisk(qint64 size)
    {
        written += size;
        if (written - handedToDisk < WriteBackStep)
            return;
#ifdef Q_OS_LINUX
        ::sync_file_range(fd, handedToDisk, written - handedToDisk, SYNC_FILE_RANGE_WRITE);
        if (handedToDisk > dropped && waitUntilWritten(dropped, handedToDisk)) {
            ::posix_fadvise(fd, dropped, handedToDisk - dropped, POSIX_FADV_DONTNEED);
            dropped = handedToDisk;
        }
#endif
        handedToDisk = written;
    }
#ifdef Q_OS_LINUX
    // Waiting takes a failed write's error from the file, so that the
    // closing fsync would not see it again: it is kept here. A file system
    // that cannot wait for a range is left to that fsync.
    bool waitUntilWritten(qint64 from, qint64 to)
    {
        constexpr unsigned int waitForRange =
            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
        if (::sync_file_range(fd, from, to - from, waitForRange) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS && errno != ESPIPE)
            failure = errno;
        return false;
    }
#endif

    static constexpr qsizetype Capacity = 1 << 16;
    static constexpr qint64 WriteBackStep = qint64(16) << 20;

    int fd;
    int failure = 0;
    QByteArray buffer;
    qint64 written = 0;       // bytes handed to write(2)
    qint64 handedToDisk = 0;  // of them, those whose write-back was started
    qint64 dropped = 0;       // of those, the ones written and dropped from the cache
};

CVOutputFile::CVOutputFile(const QString& path) : target(cleanAbsolute(path)) {}

CVOutputFile::~CVOutputFile()
{
    if (!committed)
        discard();
}

QIODevice* CVOutputFile::device()
{
    return file.get();
}

QString CVOutputFile::errorString() const
{
    if (error.isEmpty() && file && file->firstError() != 0)
        return systemReason(file->firstError());
    return error;
}

bool CVOutputFile::open()
{
    if (!CVOutputFolders::createParents(target, &createdFolders, &error))
        return false;
    const QFileInfo info(target);
    QByteArray pattern = QFile::encodeName(info.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return fail(systemReason(errno));
    temporary = QFile::decodeName(pattern);
    ::fchmod(fd, newFileMode());
    file = std::make_unique<Device>(fd);
    file->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

bool CVOutputFile::commit()
{
    if (!file)
        return fail(error.isEmpty() ? QStringLiteral("the file was not opened") : error);
    // A write that failed shows in the last flush or, on some file systems,
    // only in the sync or the close.
    if (!file->flushBuffer())
        return fail(systemReason(file->firstError()));
    if (::fsync(file->descriptor()) != 0)
        return fail(systemReason(errno));
    if (file->closeDescriptor() != 0)
        return fail(systemReason(errno));
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(systemReason(errno));
    temporary.clear();
    syncFolder(QFileInfo(target).path());
    committed = true;
    return true;
}

void CVOutputFile::discard()
{
    if (file)
        file->closeDescriptor();
    if (!temporary.isEmpty())
        ::unlink(QFile::encodeName(temporary).constData());
    temporary.clear();
    CVOutputFolders::removeCreated(&createdFolders);
}

bool CVOutputFile::fail(const QString& reason)
{
    error = reason;
    discard();
    return false;
}

CVOutputFolder::CVOutputFolder(const QString& folder) : target(cleanAbsolute(folder)) {}

CVOutputFolder::~CVOutputFolder()
{
    if (!committed)
        discard();
}

bool CVOutputFolder::open()
{
    // The staging folder sits inside the target, so the target is made too.
    QByteArray pattern = QFile::encodeName(QDir(target).filePath(QStringLiteral(".corvia-output.XXXXXX")));
    if (!CVOutputFolders::createParents(QFile::decodeName(pattern), &createdFolders, &error))
        return false;
    if (!::mkdtemp(pattern.data())) {
        error = QStringLiteral("cannot write in the folder %1: %2").arg(target, systemReason(errno));
        CVOutputFolders::removeCreated(&createdFolders);
        return false;
    }
    staging = QFile::decodeName(pattern);
    return true;
}

QString CVOutputFolder::stagedPath(const QString& fileName) const
{
    return QDir(staging).filePath(fileName);
}

bool CVOutputFolder::commit()
{
    QStringList names;
    QDirIterator files(staging, QDir::Files | QDir::Hidden);
    while (files.hasNext())
        names.append(QFileInfo(files.next()).fileName());
    for (const QString& name : std::as_const(names)) {
        const QString destination = QDir(target).filePath(name);
        const QFileInfo there(destination);
        if (!there.isSymLink() && there.exists() && !there.isFile()) {
            error = QStringLiteral("%1 is not a regular file and is left as it is").arg(destination);
            discard();
            return false;
        }
    }
    for (const QString& name : std::as_const(names)) {
        const QByteArray from = QFile::encodeName(stagedPath(name));
        const QByteArray to = QFile::encodeName(QDir(target).filePath(name));
        if (::rename(from.constData(), to.constData()) != 0) {
            error = QStringLiteral("cannot move %1 into place: %2").arg(QString::fromUtf8(to), systemReason(errno));
            discard();
            return false;
        }
    }
    syncFolder(target);
    ::rmdir(QFile::encodeName(staging).constData());
    committed = true;
    return true;
}

void CVOutputFolder::discard()
{
    if (!staging.isEmpty())
        QDir(staging).removeRecursively();
    staging.clear();
    CVOutputFolders::removeCreated(&createdFolders);
}
