#pragma once

#include "importer/paramicsexport.h"
#include "importer/paramicsimportplan.h"
#include "reader/paramicslexer.h"
#include "reader/paramicsrecordstore.h"

#include <cvbbox.h>

#include <QList>
#include <QMap>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class CVCentroidConfiguration;
class CVLog;
class CVTask;
class ParamicsAsideReading;
class CVLayer;
class CVModel;
class CentroidBuilder;
class DemandTripsAhead;

// One import of a Paramics network directory into a host model. The
// options dialog (or `corvia import`) configures it and calls netImport,
// which first reads every file into the records below and then builds the
// host objects from them; it owns the records (ParamicsRecordStore).
// Readers and builders are classes of their own (reader/, network/,
// traffic/); the private member functions below are shims that hand them
// the importer's records and host objects.
class PARAMICS_EXPORT ParamicsImporter : public ParamicsRecordStore
{
public:
    ParamicsImporter();
    ~ParamicsImporter();
    ParamicsImporter(const ParamicsImporter&) = delete;
    ParamicsImporter& operator=(const ParamicsImporter&) = delete;

    void setModel(CVModel* model);
    void setConfiguration();
    void setNetworkLayer();
    void setUnits(const QString& units);
    void setRightHandDrive(bool right);
    void setNbDemandsFile(int n);
    void setVersion(const QString& version);
    void netImport(const QString& directory);

private:
    friend struct ParamicsImporterProbe;  // the tests' view of the records

    // The import plan's steps (importer/paramicsimportplan.h): the stages
    // in their order, and the call behind each step.
    void readFiles(const QString& directory);
    void importSharingWork(const QString& directory);
    void buildBesideLaneFiles(const QString& directory, CVTask* task);
    CVTask* startReading(const QString& directory);
    void readStep(const ParamicsImportStep& step, const QString& directory, CVTask* task);
    std::function<void(ParamicsImportStepId)> stepRunner(const QString& directory);
    void joinAsideReading(ParamicsAsideReading& aside, CVTask* task);
    void startDemandTrips();
    void runStage(ParamicsImportStage stage, const QString& directory);
    void runStep(ParamicsImportStepId id, const QString& directory);
    // Where the file being read reports a missing file: the model's log, or
    // the step's own log when it is read aside.
    CVLog* fileLog() const;

    // Readers: each runs one reader class of reader/ on the importer's
    // records (importer/paramicsimporterreading.cpp).
    void readConfigurationSias(const QString& directory);
    void readZones(const QString& directory);
    void readCategories(const QString& directory);
    void readCentres(const QString& directory);
    void readNodes(const QString& directory);
    void readLinks(const QString& directory);  // the files, then configureTurnings
    void readLinksFiles(const QString& directory);
    void readNextLanes(const QString& directory);
    void readJunctions(const QString& directory);
    void readPriorities(const QString& directory);
    void readPrioritiesSias(const QString& directory);
    void readDemands(const QString& directory);
    void readProfilesQuadstone(const QString& directory);
    void readProfilesSias(const QString& directory);
    void readMatrix(const QString& directory);
    void readBusStops(const QString& directory);
    void readBusRoutes(const QString& directory);
    void readVehicles(const QString& directory);
    void readDetectors(const QString& directory);
    void readBeacons(const QString& directory);
    void readAnnotations(const QString& directory);

    // Turning configuration after the links are read, and the Sias pass
    // over barred movements (reader/linksreader.h, prioritiesreaders.h).
    void configureTurnings();
    void checkBarredTurnings();

    // Building phases (importer/paramicsimporterbuilding.cpp): each runs one
    // builder of network/ or traffic/ on the records read.
    void updateLinks();
    void createGeometry();
    void storeRoadSide();
    void createLinks();
    void createNodes();
    void connectSections();
    void createRamps();
    CentroidBuilder centroidBuilder();
    void createCentroids();
    void calculateExtremeNodes();
    void createCentroidConnections();
    void fixTurnings();
    void createPriorities();
    void addBaseVehicles();
    void createVehicles();
    void createDemands();
    void createBusStops();
    void createBusRoutes();
    void createDetectors();
    void createBeacons();
    void createAnnotations();

    CVModel* model = nullptr;
    CVLayer* layer = nullptr;
    CVCentroidConfiguration* centroidConfiguration = nullptr;
    CVBBox boundingBox;
    // The ramps' nodes and links: records of nodes and links.
    ParamicsNodeMap rampNodes;
    ParamicsLinkMap rampLinks;
    QString units;
    bool rightHandDrive = true;
    int nbDemandsFile = 1;
    // How every file of the network is decoded: one encoding for all, looked
    // for once some file shows a byte past ASCII (each file its own for an
    // importer whose reading was not started).
    std::unique_ptr<const ParamicsNetworkEncoding> textEncoding = std::make_unique<ParamicsNetworkEncoding>();
    // Metres per length unit of the files. Metres until setUnits says
    // otherwise, for importers driven without the dialog.
    double unitFactor = 1.0;
    QString version;
    float toRedTime = 0.0f;
    float stopDelay = 0.0f;
    // Started by createGeometry, taken by createDemands; a member, so that
    // an import that fails in between waits for it.
    std::unique_ptr<DemandTripsAhead> demandTripsAhead;
};
