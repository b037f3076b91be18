// Repair of turning lane ranges after the network is built.

#include "importer/paramicsimporter.h"

void ParamicsImporter::fixTurnings()
{
}

void ParamicsImporter::fixOutRangedTurnings()
{
}

void ParamicsImporter::fixOutTurnings(CVSection*)
{
}

void ParamicsImporter::fixInTurnings(CVSection*)
{
}
