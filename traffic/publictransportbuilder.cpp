// Bus stops and bus lines with their timetables.

#include "importer/paramicsimporter.h"

void ParamicsImporter::createBusStops()
{
}

void ParamicsImporter::createBusRoutes()
{
}
