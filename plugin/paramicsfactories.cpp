#include "plugin/paramicsfactories.h"

#include "plugin/paramicsfilter.h"
#include "plugin/paramicsimporterplugin.h"

CVPlugin* ParamicsImporterPluginFactory()
{
    return new ParamicsImporterPlugin;
}

CVFilter* ParamicsFilterFactory(CVGui* gui, CVModel* model)
{
    return new ParamicsFilter(gui, model);
}
