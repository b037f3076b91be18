// Finding the section of a link, and hanging stops, detectors and signs on it.

#include "importer/paramicsimporter.h"

#include <cvgeomodel.h>
#include <cvmodel.h>
#include <cvsection.h>
#include <cvsectionobject.h>

// The host section of the named link, or null when the link is unknown or
// was never built (a barred link). A name that is not a link adds no entry.
CVSection* ParamicsImporter::linkSection(const QString& linkName) const
{
    const ParamicsLink* link = links.value(linkName, nullptr);
    return link ? findSection(link->sectionId) : nullptr;
}

// The index of the section's rightmost lane. A section without lanes still
// answers 0, so that the ranges built from it never run backwards.
int ParamicsImporter::lastLane(const CVSection* section)
{
    const int laneCount = section->getDataValueInt(CVSection::nbLanesColumn(), CVContext::anyContext);
    return qMax(0, laneCount - 1);
}

// The section owns the object as a top object; the map shows it in the
// network layer.
void ParamicsImporter::placeOnSection(CVSectionObject* object, CVSection* section)
{
    section->addTopObject(object);
    model->getGeoModel()->add(layer, object);
}
