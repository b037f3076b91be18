#include "network/hostlookup.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvsection.h>

// A name that is not a link, or a barred link, has no section.
CVSection* linkSection(const ParamicsLinkMap& links, const ParamicsName& linkName)
{
    const ParamicsLink* link = links.value(linkName, nullptr);
    return link ? link->section : nullptr;
}

CVSection* linkSection(const ParamicsLinkMap& links, const QString& linkName)
{
    return linkSection(links, ParamicsName(linkName));
}

int sectionLaneCount(const CVSection* section)
{
    return section ? section->getDataValueInt(CVSection::nbLanesColumn(), CVContext::anyContext) : 0;
}

QList<CVObject*> objectsOfType(const CVModel* model, const QString& typeName)
{
    const CVType* type = model ? model->getType(typeName) : nullptr;
    const CVCatalog::ObjectsById* objects = type ? model->getCatalog()->getObjectsByType(type) : nullptr;
    return objects ? objects->values() : QList<CVObject*>();
}
