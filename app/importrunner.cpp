#include "importrunner.h"

#include "importer/paramicsimporter.h"

#include <cvcatalog.h>
#include <cvmodel.h>

void ImportRunner::run(CVModel* model, const ImportSettings& settings)
{
    ParamicsImporter importer;
    importer.setModel(model);
    importer.setConfiguration();
    importer.setNetworkLayer();
    importer.setUnits(settings.units);
    importer.setRightHandDrive(settings.rightHandDrive);
    importer.setNbDemandsFile(settings.demandFiles);
    importer.setVersion(settings.variant);
    importer.netImport(settings.directory);
}

QMap<QString, int> ImportRunner::countObjectsByType(const CVModel* model)
{
    QMap<QString, int> counts;
    for (const CVObject* object : model->getCatalog()->allObjects())
        ++counts[object->getTypeName()];
    return counts;
}

QMap<QString, int> ImportRunner::difference(const QMap<QString, int>& before, const QMap<QString, int>& after)
{
    QMap<QString, int> added;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const int count = it.value() - before.value(it.key());
        if (count > 0)
            added.insert(it.key(), count);
    }
    return added;
}
