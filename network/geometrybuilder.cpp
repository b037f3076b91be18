// The geometry driver and the sections built from links.

#include "importer/paramicsimporter.h"

void ParamicsImporter::createGeometry()
{
    createCentroids();
    createLinks();
    createNodes();
    connectSections();
    createRamps();
    calculateExtremeNodes();
    createCentroidConnections();
    fixTurnings();
}

void ParamicsImporter::createLinks()
{
}

double ParamicsImporter::calculateOrigDistance(ParamicsNode*, double)
{
    return 0.0;
}

double ParamicsImporter::calculateDestDistance(ParamicsNode*, double)
{
    return 0.0;
}

double ParamicsImporter::calculateParallelDistance(ParamicsLink*)
{
    return 0.0;
}

void ParamicsImporter::createIntermediatePoint(double, double, int, CVPoint*)
{
}
