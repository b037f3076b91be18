// Nodes, their turnings, and the link flags and lane ranges they need.

#include "importer/paramicsimporter.h"

void ParamicsImporter::updateLinks()
{
}

void ParamicsImporter::updateNbLanes(ParamicsTurning*, unsigned int)
{
}

void ParamicsImporter::createNodes()
{
}

void ParamicsImporter::connectSections()
{
}
