// Give-way rules and fixed-time signal control.

#include "importer/paramicsimporter.h"

void ParamicsImporter::createPriorities()
{
}
