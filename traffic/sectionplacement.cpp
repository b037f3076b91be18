#include "traffic/sectionplacement.h"

#include <cvgeomodel.h>
#include <cvmodel.h>
#include <cvsection.h>
#include <cvsectionobject.h>

SectionPlacement::SectionPlacement(CVModel* model, CVLayer* layer, const ParamicsLinkMap& links)
    : model(model), layer(layer), links(links)
{
}

CVSection* SectionPlacement::linkSection(const QString& linkName) const
{
    return ::linkSection(links, linkName);
}

CVSection* SectionPlacement::linkSection(const QString& fromNode, const QString& toNode) const
{
    return ::linkSection(links, ParamicsName::link(fromNode, toNode));
}

// A section without lanes still answers 0, so that the ranges built from it
// never run backwards.
int SectionPlacement::lastLane(const CVSection* section)
{
    return qMax(0, sectionLaneCount(section) - 1);
}

void SectionPlacement::placeOnSection(CVSectionObject* object, CVSection* section) const
{
    section->addTopObject(object);
    model->getGeoModel()->add(layer, object);
}
