#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QString>
#include <QTemporaryDir>

// CORVIA_SANITIZED: built with AddressSanitizer (gcc or clang). The
// sanitizers multiply time and memory, so some tests make their inputs
// smaller there and do not measure memory.
#if defined(__SANITIZE_ADDRESS__)
#define CORVIA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVIA_SANITIZED 1
#endif
#endif

// A scratch Paramics directory: tests write small files into it.
class NetworkDir
{
public:
    NetworkDir() { dir.setAutoRemove(true); }

    QString path() const { return dir.path(); }
    // Writes the text as the named file; returns its full path.
    QString write(const QString& name, const QByteArray& text) const
    {
        const QString full = dir.path() + QLatin1Char('/') + name;
        QFile file(full);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return full;
    }

private:
    QTemporaryDir dir;
};

inline QString examplesDir(const QString& variant)
{
    return QStringLiteral(EXAMPLES_DIR "/") + variant;
}

// A real network beside the project: where it is missing the test is
// skipped, except in CI (CI=true), where that is a failure.
#define REQUIRE_SHARED_NETWORK(directory)                                                          \
    do {                                                                                           \
        if (!QFileInfo::exists(directory)) {                                                       \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                               \
                QFAIL(qPrintable(QStringLiteral("missing network: %1").arg(directory)));           \
            QSKIP("the shared networks are not available");                                        \
        }                                                                                          \
    } while (false)
