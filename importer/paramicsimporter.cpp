#include "importer/paramicsimporter.h"

#include "importer/paramicsimportoptions.h"

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvfolder.h>
#include <cvgeomodel.h>
#include <cvlayer.h>
#include <cvmodel.h>
#include <cvsystem.h>
#include <cvtask.h>

#include <QObject>

ParamicsImporter::ParamicsImporter() = default;

ParamicsImporter::~ParamicsImporter() = default;

void ParamicsImporter::setModel(CVModel* targetModel)
{
    model = targetModel;
}

void ParamicsImporter::setConfiguration()
{
    if (!model)
        return;
    const QString name = QStringLiteral("Paramics Configuration");
    // Any object of that name is taken, whatever its type: one that is no
    // centroid configuration leaves the import without one.
    if (CVObject* existing = model->getCatalog()->find(name, nullptr, Qt::CaseInsensitive)) {
        centroidConfiguration = dynamic_cast<CVCentroidConfiguration*>(existing);
        return;
    }
    CVSystem& system = CVSystem::getSystem();
    centroidConfiguration =
        static_cast<CVCentroidConfiguration*>(system.newObject(QStringLiteral("CVCentroidConfiguration"), model, -1, true));
    centroidConfiguration->setName(name);
    CVFolder* folder = system.createFolder(model->getCreateRootFolder(), QStringLiteral("CVModel::centroidsConf"), false, nullptr);
    folder->append(centroidConfiguration);
    centroidConfiguration->activate();
}

void ParamicsImporter::setNetworkLayer()
{
    if (!model)
        return;
    layer = model->getGeoModel()->getActiveLayer(false);
    if (!layer) {
        layer = static_cast<CVLayer*>(CVSystem::getSystem().newObject(QStringLiteral("CVLayer"), model, -1, true));
        layer->setLevel(100);
        layer->setInternalName(QStringLiteral("Default_CORVIA"));
        model->getGeoModel()->add(nullptr, layer);
    }
    layer->setName(QObject::tr("Network"));
}

void ParamicsImporter::setUnits(const QString& unitChoice)
{
    units = unitChoice;
    // Another text leaves the factor as it was.
    if (const std::optional<ParamicsLengthUnit> unit = lengthUnitFromName(units))
        unitFactor = lengthUnitFactor(*unit);
}

void ParamicsImporter::setRightHandDrive(bool right)
{
    rightHandDrive = right;
}

void ParamicsImporter::setNbDemandsFile(int n)
{
    nbDemandsFile = n;
}

void ParamicsImporter::setVersion(const QString& paramicsVersion)
{
    version = paramicsVersion;
}

void ParamicsImporter::netImport(const QString& directory)
{
    if (!model)
        return;
    addBaseVehicles();
    readFiles(directory);
    updateLinks();
    createGeometry();
    createPriorities();
    createVehicles();
    createDemands();
    createBusStops();
    createBusRoutes();
    createDetectors();
    createBeacons();
    createAnnotations();
}

void ParamicsImporter::readFiles(const QString& directory)
{
    const bool quadstone = version == QLatin1String("Quadstone");
    const bool sias = version == QLatin1String("Sias");

    CVTask* task = CVSystem::getSystem().createTask(model, nullptr);
    task->setName(QObject::tr("Reading Files"));
    task->setTotalSteps(18);
    task->start(nullptr, 250);

    int step = 0;
    auto done = [&] { task->stepTask(++step, -1.0); };

    if (sias)
        readConfigurationSias(directory);
    done();
    readZones(directory);
    done();
    readCategories(directory);
    done();
    readCentres(directory);
    done();
    readNodes(directory);
    done();
    readLinks(directory);
    done();
    readNextLanes(directory);
    done();
    readJunctions(directory);
    done();
    if (quadstone) {
        readPriorities(directory);
    } else if (sias) {
        readPrioritiesSias(directory);
        checkBarredTurnings();
    }
    done();
    readDemands(directory);
    done();
    if (quadstone)
        readProfilesQuadstone(directory);
    else if (sias)
        readProfilesSias(directory);
    done();
    readMatrix(directory);
    done();
    readBusStops(directory);
    done();
    readBusRoutes(directory);
    done();
    readVehicles(directory);
    done();
    readDetectors(directory);
    done();
    readBeacons(directory);
    done();
    readAnnotations(directory);
    done();

    task->end(0);
}
