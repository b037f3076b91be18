// Detectors, message signs and text labels.

#include "importer/paramicsimporter.h"

void ParamicsImporter::createDetectors()
{
}

void ParamicsImporter::createBeacons()
{
}

void ParamicsImporter::createAnnotations()
{
}
