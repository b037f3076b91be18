#include "network/hostlookup.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvsection.h>

CVSection* findSection(const CVModel* model, unsigned int id)
{
    return id && model ? dynamic_cast<CVSection*>(model->getCatalog()->find(id)) : nullptr;
}

CVSection* sectionOf(const CVModel* model, const ParamicsLink& link)
{
    return link.section ? link.section : findSection(model, link.sectionId);
}

// A name that is not a link, or a barred link, has no section.
CVSection* linkSection(const CVModel* model, const ParamicsLinkMap& links, const ParamicsName& linkName)
{
    const ParamicsLink* link = links.value(linkName, nullptr);
    return link ? sectionOf(model, *link) : nullptr;
}

CVSection* linkSection(const CVModel* model, const ParamicsLinkMap& links, const QString& linkName)
{
    return linkSection(model, links, ParamicsName(linkName));
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
