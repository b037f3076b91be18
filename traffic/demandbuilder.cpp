// OD matrices cut into profile steps.

#include "importer/paramicsimporter.h"

void ParamicsImporter::createDemands()
{
}
