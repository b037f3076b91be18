// Vehicle types: the built-in classes and the types of the vehicles file.

#include "importer/paramicsimporter.h"

void ParamicsImporter::addBaseVehicles()
{
}

void ParamicsImporter::createVehicles()
{
}
