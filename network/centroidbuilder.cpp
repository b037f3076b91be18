// Centroids of the zones and their connections to the network.

#include "importer/paramicsimporter.h"

void ParamicsImporter::createCentroids()
{
}

void ParamicsImporter::calculateExtremeNodes()
{
}

void ParamicsImporter::createCentroidConnections()
{
}
