#pragma once

#include "traffic/sectionplacement.h"

#include <QVector>

class CVLayer;
class CVModel;
struct ParamicsAnnotation;
struct ParamicsBeacon;
struct ParamicsDetector;

// Detectors and message signs on the sections of their links.
class DeviceBuilder
{
public:
    DeviceBuilder(CVModel* model, CVLayer* layer, const ParamicsLinkMap& links,
                  const QVector<ParamicsDetector*>& detectors, const QVector<ParamicsBeacon*>& beacons);

    void createDetectors();
    void createBeacons();

private:
    CVModel* model;
    SectionPlacement placement;
    const QVector<ParamicsDetector*>& detectors;
    const QVector<ParamicsBeacon*>& beacons;
};

// Text labels, standing on the map on their own.
class AnnotationBuilder
{
public:
    AnnotationBuilder(CVModel* model, CVLayer* layer, const QVector<ParamicsAnnotation*>& annotations);

    void build();

private:
    CVModel* model;
    CVLayer* layer;
    const QVector<ParamicsAnnotation*>& annotations;
};
