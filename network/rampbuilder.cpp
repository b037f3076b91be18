// Ramps: side lanes and cuts of the sections that ramps join.

#include "importer/paramicsimporter.h"

void ParamicsImporter::createRamps()
{
}

void ParamicsImporter::updateRampLink(ParamicsNode*, CVSection*, bool, CVNode*)
{
}

void ParamicsImporter::updateTurnings(CVSection*)
{
}
