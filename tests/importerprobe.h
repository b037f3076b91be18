#pragma once

#include "importer/paramicsimporter.h"

// Configures an importer the way the import dialog does, for one right-hand
// network with one demands file.
inline void configureLikeTheDialog(ParamicsImporter& importer, CVModel* model, const QString& version,
                                   const QString& units = QStringLiteral("Metric"))
{
    importer.setModel(model);
    importer.setConfiguration();
    importer.setNetworkLayer();
    importer.setUnits(units);
    importer.setRightHandDrive(true);
    importer.setNbDemandsFile(1);
    importer.setVersion(version);
}

// The tests' view of an importer: its records, the whole reading phase,
// and its builders one at a time. The readers themselves are tested as
// classes (tests/reader/).
struct ParamicsImporterProbe
{
    explicit ParamicsImporterProbe(ParamicsImporter& importer) : i(importer) {}
    ParamicsImporter& i;

    // Records and settings.
    CVModel* model() { return i.model; }
    CVLayer* layer() { return i.layer; }
    CVCentroidConfiguration* centroidConfiguration() { return i.centroidConfiguration; }
    CVBBox& boundingBox() { return i.boundingBox; }
    QMap<int, ParamicsZone*>& zones() { return i.zones; }
    QMap<int, ParamicsCategory*>& categories() { return i.categories; }
    QMap<int, ParamicsCentre*>& centres() { return i.centres; }
    QMap<QString, ParamicsNode*>& nodes() { return i.nodes; }
    QMap<QString, ParamicsNode*>& rampNodes() { return i.rampNodes; }
    QMap<QString, ParamicsLink*>& links() { return i.links; }
    QMap<QString, ParamicsLink*>& rampLinks() { return i.rampLinks; }
    QVector<ParamicsDemand*>& demands() { return i.demands; }
    QMap<int, ParamicsMatrix*>& matrixEntries() { return i.matrixEntries; }
    QMap<int, ParamicsBusStop*>& busStops() { return i.busStops; }
    QMap<QString, ParamicsBusRoute*>& busRoutes() { return i.busRoutes; }
    QMap<int, int>& zoneNumbers() { return i.zoneNumbers; }
    QVector<ParamicsDetector*>& detectors() { return i.detectors; }
    QVector<ParamicsBeacon*>& beacons() { return i.beacons; }
    QVector<ParamicsAnnotation*>& annotations() { return i.annotations; }
    QMap<QString, ParamicsBaseVehicle*>& baseVehicles() { return i.baseVehicles; }
    QMap<int, QVector<ParamicsVehicle*>>& vehicles() { return i.vehicles; }
    QMap<int, ParamicsProfile*>& profiles() { return i.profiles; }
    QMap<int, int>& zoneRenumbering() { return i.zoneRenumbering; }
    double& unitFactor() { return i.unitFactor; }
    bool& rightHandDrive() { return i.rightHandDrive; }
    int& nbDemandsFile() { return i.nbDemandsFile; }
    QString& version() { return i.version; }
    float& toRedTime() { return i.toRedTime; }
    float& stopDelay() { return i.stopDelay; }

    // Phases.
    void readFiles(const QString& d) { i.readFiles(d); }
    void updateLinks() { i.updateLinks(); }
    void createGeometry() { i.createGeometry(); }
    void createLinks() { i.createLinks(); }
    void createNodes() { i.createNodes(); }
    void connectSections() { i.connectSections(); }
    void updateNbLanes(ParamicsTurning* t, unsigned int n) { i.updateNbLanes(t, n); }
    double calculateOrigDistance(ParamicsNode* n, double w) { return i.calculateOrigDistance(n, w); }
    double calculateDestDistance(ParamicsNode* n, double w) { return i.calculateDestDistance(n, w); }
    double calculateParallelDistance(ParamicsLink* l) { return i.calculateParallelDistance(l); }
    void createIntermediatePoint(double a1, double a2, int c, CVPoint* p) { i.createIntermediatePoint(a1, a2, c, p); }
    void createRamps() { i.createRamps(); }
    void createCentroids() { i.createCentroids(); }
    void calculateExtremeNodes() { i.calculateExtremeNodes(); }
    void createCentroidConnections() { i.createCentroidConnections(); }
    void fixTurnings() { i.fixTurnings(); }
    void fixOutRangedTurnings() { i.fixOutRangedTurnings(); }
    void fixOutTurnings(CVSection* s) { i.fixOutTurnings(s); }
    void fixInTurnings(CVSection* s) { i.fixInTurnings(s); }
    void createPriorities() { i.createPriorities(); }
    void addBaseVehicles() { i.addBaseVehicles(); }
    void createVehicles() { i.createVehicles(); }
    void createDemands() { i.createDemands(); }
    void createBusStops() { i.createBusStops(); }
    void createBusRoutes() { i.createBusRoutes(); }
    void createDetectors() { i.createDetectors(); }
    void createBeacons() { i.createBeacons(); }
    void createAnnotations() { i.createAnnotations(); }
};
