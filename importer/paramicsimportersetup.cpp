#include "importer/paramicsimportersetup.h"

#include "importer/paramicsimporter.h"

void configureImporter(ParamicsImporter& importer, CVModel* model, const ParamicsImportOptions& options)
{
    importer.setModel(model);
    importer.setConfiguration();
    importer.setNetworkLayer();
    importer.setUnits(lengthUnitName(options.units));
    importer.setRightHandDrive(options.rule == RoadRule::KeepRight);
    importer.setNbDemandsFile(options.demandFiles);
    importer.setVersion(variantName(options.variant));
}
