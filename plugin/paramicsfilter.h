#pragma once

#include "importer/paramicsexport.h"

#include <cvfilter.h>

class ParamicsImporterPlugin;

// The "Paramics Network" import filter. The host makes one per import
// through ParamicsFilterFactory; it hands over to the installed plug-in,
// which asks for the directory and options itself.
class PARAMICS_EXPORT ParamicsFilter : public CVFilter
{
public:
    ParamicsFilter(CVGui* gui, CVModel* model);
    ~ParamicsFilter() override;

    // Opens the import dialog through the installed plug-in. Always true:
    // without an installed plug-in there is simply nothing to do.
    bool startImport(const CVFilterDescription& description, CVLayer* layer, const CVPoint& position) override;

    // The installed plug-in (set by its install()), null before.
    static ParamicsImporterPlugin* plugin;
};
