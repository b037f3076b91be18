#pragma once

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStringList>

// Runs a program to its end; the exit code, or -1 when it did not finish
// normally within the time.
inline int runProgram(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
                      int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// What a run of corvia gave: its exit code (-1 when it did not finish
// normally within two minutes) and its two channels.
struct CorviaRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

inline CorviaRun runCorvia(const QStringList& arguments, const QString& program = QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    CorviaRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// `corvia import DIR OPTIONS --save MODEL`; the exit code.
inline int corviaImport(const QString& directory, const QStringList& options, const QString& model,
                        QByteArray* output = nullptr)
{
    return runProgram(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                      QStringList{QStringLiteral("import"), directory} + options + QStringList{QStringLiteral("--save"), model},
                      output);
}

// Writes a generated network into the directory; the exit code of the generator.
inline int generateNetwork(const QString& size, const QString& variant, const QString& directory)
{
    return runProgram(QStringLiteral("python3"), {QStringLiteral(GENERATOR), QStringLiteral("--size"), size,
                                                  QStringLiteral("--variant"), variant, QStringLiteral("--seed"),
                                                  QStringLiteral("1"), directory});
}

inline QJsonObject readJsonObject(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}
