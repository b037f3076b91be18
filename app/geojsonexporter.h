#pragma once

#include <QJsonObject>
#include <QString>

class CVModel;

// Writes a model as one GeoJSON FeatureCollection for GIS tools: sections
// and centroid connections as LineStrings, nodes, centroids, section
// objects (bus stops, detectors, signs) and labels as Points. Coordinates
// are the model's own plane metres (x east, y north); no CRS member is
// written, so tools take them as they are.
class GeoJsonExporter
{
public:
    static QJsonObject featureCollection(const CVModel& model);
    // False, with the reason in error, when the file cannot be written.
    static bool write(const CVModel& model, const QString& path, QString* error);
};
