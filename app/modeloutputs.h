#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QSize>
#include <QString>

#include <cstdio>

class CVModel;
class QCommandLineParser;

// What a command writes from a model it imported or opened: the model file,
// the map picture, the GeoJSON and the SUMO files. Shared by `corvia import`
// and `corvia open`, so both check and write their outputs alike.
struct ModelOutputs
{
    QString savePath;
    QString pngPath;
    QSize pngSize;
    QString geoJsonPath;
    QString sumoPrefix;

    static QList<QCommandLineOption> options();
    // Reads the options; a usage error (an empty path, a bad size) in usageError.
    static ModelOutputs fromParser(const QCommandLineParser& parser, QString* usageError);

    // Why an output cannot be written (a path that exists and is not a
    // regular file), checked before any work starts; empty when all can.
    QString refusal() const;
    // Writes every requested output; the command's exit status (0, or 1 at
    // the first output that cannot be written).
    int write(const CVModel& model, const QString& command, FILE* out, FILE* err) const;
};
