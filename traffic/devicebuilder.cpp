// Detectors, message signs and text labels.

#include "traffic/devicebuilder.h"

#include "reader/paramicsdevicerecords.h"

#include <cvgeomodel.h>
#include <cvmodel.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvsystem.h>
#include <cvtext.h>

namespace {

// The files give no sign length; every sign takes this one, metres.
constexpr float SignLength = 2.0f;

// Labels lower than this are hard to read on the map, metres.
constexpr double MinimumLabelHeight = 25.0;

}  // namespace

DeviceBuilder::DeviceBuilder(CVModel* model, CVLayer* layer, const ParamicsLinkMap& links,
                             const QVector<ParamicsDetector*>& detectors, const QVector<ParamicsBeacon*>& beacons)
    : model(model), placement(model, layer, links), detectors(detectors), beacons(beacons)
{
}

AnnotationBuilder::AnnotationBuilder(CVModel* model, CVLayer* layer, const QVector<ParamicsAnnotation*>& annotations)
    : model(model), layer(layer), annotations(annotations)
{
}

// One detector per record whose link has a section, across all its lanes.
void DeviceBuilder::createDetectors()
{
    if (!model)
        return;
    CVSystem& system = CVSystem::getSystem();
    for (const ParamicsDetector* record : std::as_const(detectors)) {
        CVSection* section = record ? placement.linkSection(record->link) : nullptr;
        if (!section)
            continue;
        auto* detector = static_cast<CVDetector*>(system.newObject(QStringLiteral("CVDetector"), model, -1, true));
        detector->setName(record->id);
        detector->setLanes(0, SectionPlacement::lastLane(section));
        detector->setPosition(float(record->position));
        detector->setLength(float(record->length));
        placement.placeOnSection(detector, section);
    }
}

// One message sign per record whose link has a section, across all its lanes.
void DeviceBuilder::createBeacons()
{
    if (!model)
        return;
    CVSystem& system = CVSystem::getSystem();
    for (const ParamicsBeacon* record : std::as_const(beacons)) {
        CVSection* section = record ? placement.linkSection(record->link) : nullptr;
        if (!section)
            continue;
        auto* sign = static_cast<CVVMS*>(system.newObject(QStringLiteral("CVVMS"), model, -1, true));
        sign->setName(record->id);
        sign->setPosition(float(record->position));
        sign->setLanes(0, SectionPlacement::lastLane(section));
        sign->setLength(SignLength);
        placement.placeOnSection(sign, section);
    }
}

// One label per record, upright, at least MinimumLabelHeight high: the
// third value of the file's position asks for a greater height. Labels
// stand on the map on their own, not on a section.
void AnnotationBuilder::build()
{
    if (!model)
        return;
    CVSystem& system = CVSystem::getSystem();
    for (const ParamicsAnnotation* record : std::as_const(annotations)) {
        if (!record)
            continue;
        auto* label = static_cast<CVText*>(system.newObject(QStringLiteral("CVText"), model, -1, true));
        label->setPosition(record->position);
        label->setAngle(0.0);
        const double height = record->position.z;
        label->setHeight(height > MinimumLabelHeight ? height : MinimumLabelHeight);
        label->setText(record->text);
        label->increaseTick();
        model->getGeoModel()->add(layer, label);
    }
}
