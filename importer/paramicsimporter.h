#pragma once

#include "importer/paramicsexport.h"
#include "reader/paramicsarearecords.h"
#include "reader/paramicsdevicerecords.h"
#include "reader/paramicsnetworkrecords.h"
#include "reader/paramicsrecordmap.h"
#include "reader/paramicstrafficrecords.h"
#include "reader/paramicstransitrecords.h"
#include "traffic/paramicsbasevehicle.h"

#include <cvbbox.h>

#include <QList>
#include <QMap>
#include <QString>
#include <QVector>

class CVCentroid;
class CVCentroidConfiguration;
class CVControlPhase;
class CVControlPlan;
class CVFolder;
class CVLayer;
class CVModel;
class CVNode;
class CVObject;
class CVODMatrix;
class CVPublicLine;
class CVPublicLineTimeTableSchedule;
class CVRoadType;
class CVSection;
class CVSectionLane;
class CVSectionObject;
class CVTimeDuration;
class CVTurning;
class CVVehicle;

// One import of a Paramics network directory into a host model. The
// options dialog (or `corvia import`) configures it and calls netImport,
// which first reads every file into the records below and then builds the
// host objects from them. Readers and builders are the private member
// functions, defined in the reader/, network/ and traffic/ folders.
class PARAMICS_EXPORT ParamicsImporter
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

    void readFiles(const QString& directory);

    // Readers (reader/).
    void readConfigurationSias(const QString& directory);
    void readZones(const QString& directory);
    void readCategories(const QString& directory);
    void readCentres(const QString& directory);
    void readNodes(const QString& directory);
    void readLinks(const QString& directory);
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

    // Demand reading (reader/demandreaders.cpp): the state that carries from
    // one demands file to the next, and the zone number that the files'
    // origin numbers stand for.
    struct DemandReading;
    void readDemandsFile(const QString& path, DemandReading& state);
    int renumberedZone(int zone) const;

    // Turning configuration after the links are read (reader/linksreader.cpp).
    void configureTurnings();
    void calculateAngles(ParamicsLink* link, QVector<Section>& sections);
    void sortSections(QVector<Section>& sections);
    void checkBarredTurnings();

    // Network builders (network/).
    void updateLinks();
    void updateNbLanes(ParamicsTurning* turning, unsigned int laneCount);
    void createGeometry();
    void createLinks();
    double calculateOrigDistance(ParamicsNode* node, double laneWidth);
    double calculateDestDistance(ParamicsNode* node, double laneWidth);
    double calculateParallelDistance(ParamicsLink* link);
    void createIntermediatePoint(double angle1, double angle2, int centre, CVPoint* point);
    // Section building helpers (network/geometrybuilder.cpp, sectiongeometry.cpp).
    const ParamicsCategory& linkCategory(const ParamicsLink* link) const;
    static int categoryLanes(const ParamicsCategory& category);
    CVRoadType* findRoadType(const QString& name) const;
    void setSectionAttributes(CVSection* section, const ParamicsLink* link, const ParamicsCategory& category);
    void buildCentreLine(CVSection* section, ParamicsLink* link, ParamicsNode* startNode, ParamicsNode* endNode);
    void buildStraightCentreLine(CVSection* section, ParamicsLink* link, const CVPoint& start, const CVPoint& end,
                                 double originCut, double destinationCut);
    void buildArcCentreLine(CVSection* section, ParamicsLink* link, const CVPoint& start, const CVPoint& end,
                            double originCut, double destinationCut);
    int countOpenLinks(const QVector<Section>& entries) const;
    void createNodes();
    void connectSections();
    // Node and turning helpers (network/nodebuilder.cpp).
    CVSection* findSection(unsigned int id) const;
    void attachSections(const ParamicsNode* record, CVNode* node);
    void addToZones(const ParamicsNode* record);
    bool isTurningBuilt(const ParamicsLink* link, const ParamicsTurning& turning, const ParamicsLink* next) const;
    CVTurning* createTurning(const ParamicsTurning& turning, CVSection* origin, CVSection* destination, CVNode* node);
    void createRamps();
    // laneAdded: false when the ramp had no length and so no lane of its own.
    void updateRampLink(ParamicsNode* rampNode, CVSection* section, bool right, CVNode* node, bool laneAdded = true);
    void updateTurnings(CVSection* section);
    CVSection* cutSectionAtRamp(CVSection* section, ParamicsNode* rampNode, double rampLength, CVSectionLane& lane);
    CVTurning* createRampTurning(CVSection* origin, CVSection* destination, CVNode* node, int destinationFrom,
                                 int destinationTo);
    int sectionLaneCount(const CVSection* section) const;
    void createCentroids();
    void calculateExtremeNodes();
    void createCentroidConnections();
    void connectCentroid(CVCentroid* centroid, CVSection* section, int connectionType);
    void fixTurnings();
    void fixOutRangedTurnings();
    void fixOutTurnings(CVSection* section);
    void fixInTurnings(CVSection* section);
    // The model's objects of a host type, in ascending id.
    QList<CVObject*> objectsOfType(const QString& typeName) const;

    // Traffic builders (traffic/).
    void createPriorities();
    void addBaseVehicles();
    void createVehicles();
    void createDemands();
    void createBusStops();
    void createBusRoutes();
    void createDetectors();
    void createBeacons();
    void createAnnotations();
    // Things placed along sections (traffic/sectionplacement.cpp).
    CVSection* linkSection(const QString& linkName) const;
    static int lastLane(const CVSection* section);
    void placeOnSection(CVSectionObject* object, CVSection* section);
    // Public line parts (traffic/publictransportbuilder.cpp).
    CVFolder* publicLinesFolder();
    void addLinePath(CVPublicLine* line, const ParamicsBusRoute& route) const;
    void addLineStops(CVPublicLine* line, CVPublicLineTimeTableSchedule* schedule, const ParamicsBusRoute& route) const;
    static void addDepartures(CVPublicLineTimeTableSchedule* schedule, const ParamicsBusRoute& route, CVObject* vehicle);

    // Signal control helpers (traffic/signalcontrolbuilder.cpp).
    CVControlPlan* createControlPlan();
    void createControlJunction(CVControlPlan* plan, const ParamicsNode* record, CVNode* node);
    void addPhaseSignals(CVControlPhase* phase, const ParamicsPhase& record, const ParamicsNode* junction, CVNode* node);

    // Vehicle type helpers (traffic/vehiclebuilder.cpp).
    CVVehicle* createVehicle(const ParamicsVehicle& record, const ParamicsBaseVehicle& base);

    // Demand helpers (traffic/demandbuilder.cpp): the centroid of each zone
    // by reading index, the three kinds of matrices, and a new matrix's
    // making and filing.
    class ZoneCentroids;
    void createProfileDemands(const ParamicsDemand& demand, const ParamicsProfile& profile, const ZoneCentroids& zones);
    void createHourDemands(const ParamicsDemand& demand, const ZoneCentroids& zones);
    void createMatrixFileDemands(const ParamicsMatrix& matrix, const ZoneCentroids& zones);
    CVODMatrix* newODMatrix(const QTime& start, const CVTimeDuration& duration, CVVehicle* vehicle);
    void fileODMatrix(CVODMatrix* matrix, bool named);

    // Deletes a record that a later one with the same key pushes out of its map.
    template <typename Map, typename Record>
    static void replaceRecord(Map& map, const typename Map::key_type& key, Record* record)
    {
        ParamicsRecords::replace(map, key, record);
    }

    CVModel* model = nullptr;
    CVLayer* layer = nullptr;
    CVCentroidConfiguration* centroidConfiguration = nullptr;
    CVBBox boundingBox;
    QMap<int, ParamicsZone*> zones;
    QMap<int, ParamicsCategory*> categories;
    QMap<int, ParamicsCentre*> centres;
    QMap<QString, ParamicsNode*> nodes;
    QMap<QString, ParamicsNode*> rampNodes;
    QMap<QString, ParamicsLink*> links;
    QMap<QString, ParamicsLink*> rampLinks;
    QVector<ParamicsDemand*> demands;
    QMap<int, ParamicsMatrix*> matrixEntries;
    QMap<int, ParamicsBusStop*> busStops;
    QMap<QString, ParamicsBusRoute*> busRoutes;
    QMap<int, int> zoneNumbers;
    QVector<ParamicsDetector*> detectors;
    QVector<ParamicsBeacon*> beacons;
    QVector<ParamicsAnnotation*> annotations;
    QMap<QString, ParamicsBaseVehicle*> baseVehicles;
    QMap<int, QVector<ParamicsVehicle*>> vehicles;
    QMap<int, ParamicsProfile*> profiles;
    QString units;
    bool rightHandDrive = true;
    int nbDemandsFile = 1;
    // Metres per length unit of the files. Metres until setUnits says
    // otherwise, for importers driven without the dialog.
    double unitFactor = 1.0;
    QString version;
    QMap<int, int> zoneRenumbering;
    float toRedTime = 0.0f;
    float stopDelay = 0.0f;
};
