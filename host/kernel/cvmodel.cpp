#include "cvmodel.h"

#include "cvcatalog.h"
#include "cvcommander.h"
#include "cvfolder.h"
#include "cvgeomodel.h"
#include "cvlog.h"
#include "cvpreferencesvalues.h"
#include "cvregistry.h"
#include "cvsystem.h"

CVModel::CVModel()
    : log(std::make_unique<CVLog>()),
      preferences(std::make_unique<CVPreferencesValues>()),
      geoModel(std::make_unique<CVGeoModel>(this)),
      commander(std::make_unique<CVCommander>(this)),
      catalog(std::make_unique<CVCatalog>())
{
}

CVModel::~CVModel()
{
    // Objects are deleted while the rest of the model still exists.
    catalog.reset();
}

const CVType* CVModel::getType(const QString& name) const
{
    return CVRegistry::instance().type(name);
}

const CVColumn* CVModel::getColumn(const QString& name) const
{
    return CVRegistry::instance().column(name);
}

CVFolder* CVModel::getCreateRootFolder()
{
    if (!rootFolder) {
        rootFolder = static_cast<CVFolder*>(CVSystem::getSystem().newObject(QStringLiteral("CVFolder"), this, -1, true));
        rootFolder->setName(QStringLiteral("Root"));
    }
    return rootFolder;
}

CVRoadSide CVModel::getRoadSide() const
{
    if (importSettings)
        return importSettings->roadSide;
    const QVariant side = preferences->getValue(QStringLiteral("CVModel::Location::RoadSide"));
    return side.toString() == QLatin1String("1") ? CVRoadSide::Left : CVRoadSide::Right;
}
