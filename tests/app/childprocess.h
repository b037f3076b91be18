#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

// A program run to its end or to a time limit, with its peak memory. The
// peak is read from /proc while the child runs (VmHWM of its own address
// space): the rusage of a forked child also counts the memory of the parent
// it was forked from.
struct ChildRun
{
    bool started = false;
    bool timedOut = false;
    bool exitedNormally = false;
    int exitCode = -1;
    int signal = 0;
    long peakKiB = 0;  // maximum resident set size
    qint64 elapsedMs = 0;
    QByteArray out;
    QByteArray err;
    QByteArray log;  // the model's log, when the run wrote one
};

// VmHWM of a running process, 0 when it cannot be read.
inline long highWaterKiB(const QString& statusPath)
{
    QFile file(statusPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

inline ChildRun runChild(const QString& program, const QStringList& arguments, const QString& scratch, int timeoutMs)
{
    ChildRun run;
    const QByteArray outPath = QFile::encodeName(scratch + QStringLiteral("/stdout.txt"));
    const QByteArray errPath = QFile::encodeName(scratch + QStringLiteral("/stderr.txt"));
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        storage.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        const int out = open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    run.started = true;
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    rusage usage{};
    const QString statusPath = QStringLiteral("/proc/%1/status").arg(pid);
    const QString exePath = QStringLiteral("/proc/%1/exe").arg(pid);
    const QString programPath = QFileInfo(program).canonicalFilePath();
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        // Only once the program runs: before its exec the child is a copy of this process.
        if (QFileInfo(exePath).canonicalFilePath() == programPath)
            run.peakKiB = std::max(run.peakKiB, highWaterKiB(statusPath));
        if (clock.elapsed() > timeoutMs) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            break;
        }
        usleep(20000);
    }
    run.elapsedMs = clock.elapsed();
    run.exitedNormally = WIFEXITED(status);
    run.exitCode = run.exitedNormally ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    QFile outFile(QFile::decodeName(outPath));
    if (outFile.open(QIODevice::ReadOnly))
        run.out = outFile.readAll();
    QFile errFile(QFile::decodeName(errPath));
    if (errFile.open(QIODevice::ReadOnly))
        run.err = errFile.readAll();
    return run;
}
