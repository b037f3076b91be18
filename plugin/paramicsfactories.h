#pragma once

#include "importer/paramicsexport.h"

class CVFilter;
class CVGui;
class CVModel;
class CVPlugin;

// The library's entry points, exported with plain C names so that the host
// finds them by name (QLibrary::resolve). The host owns what they return.
extern "C" {
PARAMICS_EXPORT CVPlugin* ParamicsImporterPluginFactory();
PARAMICS_EXPORT CVFilter* ParamicsFilterFactory(CVGui* gui, CVModel* model);
}

using ParamicsPluginFactoryFunction = CVPlugin* (*)();
using ParamicsFilterFactoryFunction = CVFilter* (*)(CVGui*, CVModel*);
