#include "plugin/paramicsfilter.h"

#include "plugin/paramicsimporterplugin.h"

ParamicsImporterPlugin* ParamicsFilter::plugin = nullptr;

ParamicsFilter::ParamicsFilter(CVGui* gui, CVModel* model) : CVFilter(gui, model) {}

ParamicsFilter::~ParamicsFilter() = default;

bool ParamicsFilter::startImport(const CVFilterDescription&, CVLayer*, const CVPoint&)
{
    // The layer and position are the host's guess; the importer chooses
    // the network layer itself.
    if (plugin)
        plugin->importParamics(getGui());
    return true;
}
