#pragma once

#include "importer/paramicsexport.h"

#include <cvgui.h>
#include <cvplugin.h>

// The plug-in object that the host gets from ParamicsImporterPluginFactory.
// It registers the "Paramics Network" import filter, which is the only way
// into the import: the plug-in adds no menu entry of its own.
class PARAMICS_EXPORT ParamicsImporterPlugin : public CVPlugin
{
    Q_OBJECT
public:
    ParamicsImporterPlugin();
    ~ParamicsImporterPlugin() override;

    QString verify() override;
    void install() override;
    void initGui(CVGui* gui) override;
    void about(CVGui* gui) const override;

public slots:
    // Shows the import options dialog for the GUI's active model; the whole
    // import runs inside the dialog.
    void importParamics(CVGui* gui);
};
