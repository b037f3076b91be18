#pragma once

#include <QSize>
#include <QString>

#include "export/sumo/sumoscenario.h"

#include <cstdio>

class CVModel;
struct ParsedCommandLine;

// What a command writes from a model it imported or opened: the model file,
// the map picture, the GIS layers and the SUMO files. Shared by `corvia import`
// and `corvia open`, so both check their outputs alike before any work.
struct ModelOutputs
{
    QString savePath;
    QString pngPath;
    QSize pngSize;
    QString geoJsonPath;  // --geojson: GIS layers as GeoJSON, whatever the name
    QString gisPath;      // --gis: GIS layers in the format of the extension
    QString crs;          // --crs: the network's coordinate system
    QString origin;       // --origin: where the plane's origin lies in it
    QString sumoPrefix;
    SumoOverrides sumo;   // --sumo-scale, --sumo-begin, --sumo-end
    QString logPath;
    QString problemsPath;  // the check's findings (written by the check, not by write())

    // The output options of a command line that the option table accepted.
    static ModelOutputs fromCommandLine(const ParsedCommandLine& commandLine);

    // What is wrong with the outputs asked for together (both --gis and
    // --geojson); empty when nothing is.
    QString usageError() const;
    // Why an output cannot be written (a path that exists and is not a
    // regular file, or a GIS output without the GIS module), checked before
    // any work starts; empty when all can.
    QString refusal() const;
    // A GIS file or a coordinate system was asked for.
    bool needsGisModule() const;
    // Keeps --crs and --origin in the model (over what it held), so that the
    // exports and the saved model place it alike; false, with the reason,
    // when they cannot place it.
    bool placeModel(CVModel& model, QString* error) const;
    // Writes the model file, picture and exports asked for; the command's
    // exit status (0, or 1 at the first output that cannot be written).
    // Lines saying what was written go to out, warnings and notes to err,
    // unless out is null (--quiet): errors only then.
    int write(const CVModel& model, const QString& command, FILE* out, FILE* err) const;
};
