// Detectors, message signs and text labels.

#include "importer/paramicsimporter.h"

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

// One detector per record whose link has a section, across all its lanes.
void ParamicsImporter::createDetectors()
{
    if (!model)
        return;
    CVSystem& system = CVSystem::getSystem();
    for (const ParamicsDetector* record : std::as_const(detectors)) {
        CVSection* section = record ? linkSection(record->link) : nullptr;
        if (!section)
            continue;
        auto* detector = static_cast<CVDetector*>(system.newObject(QStringLiteral("CVDetector"), model, -1, true));
        detector->setName(record->id);
        detector->setLanes(0, lastLane(section));
        detector->setPosition(float(record->position));
        detector->setLength(float(record->length));
        placeOnSection(detector, section);
    }
}

// One message sign per record whose link has a section, across all its lanes.
void ParamicsImporter::createBeacons()
{
    if (!model)
        return;
    CVSystem& system = CVSystem::getSystem();
    for (const ParamicsBeacon* record : std::as_const(beacons)) {
        CVSection* section = record ? linkSection(record->link) : nullptr;
        if (!section)
            continue;
        auto* sign = static_cast<CVVMS*>(system.newObject(QStringLiteral("CVVMS"), model, -1, true));
        sign->setName(record->id);
        sign->setPosition(float(record->position));
        sign->setLanes(0, lastLane(section));
        sign->setLength(SignLength);
        placeOnSection(sign, section);
    }
}

// One label per record, upright, at least MinimumLabelHeight high: the
// third value of the file's position asks for a greater height. Labels
// stand on the map on their own, not on a section.
void ParamicsImporter::createAnnotations()
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
