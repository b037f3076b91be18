#pragma once

#include "cvexport.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// Which side of the road traffic keeps to.
enum class CVRoadSide { Right, Left };

// The options of the import that filled a model, kept with it and saved in
// its file, so that what is done with the model later (exports, a reopened
// file) knows how its source was read. Written by whoever ran the import.
struct CRVKERNEL_EXPORT CVImportSettings
{
    QString sourceFormat;     // the import format's name, e.g. "Paramics Network"
    QString variant;          // the variant of that format the files were read as
    QString lengthUnit;       // the length unit chosen for the files
    double unitFactor = 1.0;  // metres per that unit
    CVRoadSide roadSide = CVRoadSide::Right;
    int demandFiles = 0;
    QString directory;

    bool operator==(const CVImportSettings& other) const;
    bool operator!=(const CVImportSettings& other) const { return !(*this == other); }

    // The model file's form: an object with one member per field, the road
    // side as "right" or "left".
    QJsonObject toJson() const;
    // Nothing, with a reason in problem, when the object is not of that form.
    static std::optional<CVImportSettings> fromJson(const QJsonObject& json, QString* problem);
};
