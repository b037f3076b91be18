#pragma once

#include "importer/paramicsimporter.h"
#include "importer/paramicsimportersetup.h"

#include <cvmodel.h>
#include <cvpreferencesvalues.h>

// Configures an importer the way the import dialog does, for one right-hand
// network with one demands file.
inline void configureLikeTheDialog(ParamicsImporter& importer, CVModel* model,
                                   ParamicsVariant variant = ParamicsVariant::Quadstone,
                                   ParamicsLengthUnit units = ParamicsLengthUnit::Metric)
{
    ParamicsImportOptions options;
    options.variant = variant;
    options.units = units;
    configureImporter(importer, model, options);
}

// The tests' view of an importer: its records and its whole reading phase.
// Readers and builders are classes that tests drive directly
// (tests/reader/, tests/network/, tests/traffic/).
struct ParamicsImporterProbe
{
    explicit ParamicsImporterProbe(ParamicsImporter& importer) : i(importer) {}
    ParamicsImporter& i;

    // Records and settings.
    CVLayer* layer() { return i.layer; }
    CVCentroidConfiguration* centroidConfiguration() { return i.centroidConfiguration; }
    QMap<int, ParamicsZone*>& zones() { return i.zones; }
    QMap<int, ParamicsCategory*>& categories() { return i.categories; }
    QMap<int, ParamicsCentre*>& centres() { return i.centres; }
    ParamicsNodeMap& nodes() { return i.nodes; }
    ParamicsLinkMap& links() { return i.links; }
    QVector<ParamicsDemand*>& demands() { return i.demands; }
    QMap<int, int>& zoneNumbers() { return i.zoneNumbers; }
    QMap<int, int>& zoneRenumbering() { return i.zoneRenumbering; }
    double& unitFactor() { return i.unitFactor; }
    float& toRedTime() { return i.toRedTime; }
    float& stopDelay() { return i.stopDelay; }

    // Phases.
    void readFiles(const QString& d) { i.readFiles(d); }

    // The phases one at a time, as bench/bench_import times them.
    void readConfigurationSias(const QString& d) { i.readConfigurationSias(d); }
    void readZones(const QString& d) { i.readZones(d); }
    void readCategories(const QString& d) { i.readCategories(d); }
    void readCentres(const QString& d) { i.readCentres(d); }
    void readNodes(const QString& d) { i.readNodes(d); }
    void readLinks(const QString& d) { i.readLinks(d); }
    void configureTurnings() { i.configureTurnings(); }
    void readNextLanes(const QString& d) { i.readNextLanes(d); }
    void readJunctions(const QString& d) { i.readJunctions(d); }
    void readPriorities(const QString& d) { i.readPriorities(d); }
    void readPrioritiesSias(const QString& d) { i.readPrioritiesSias(d); }
    void readDemands(const QString& d) { i.readDemands(d); }
    void readProfilesQuadstone(const QString& d) { i.readProfilesQuadstone(d); }
    void readProfilesSias(const QString& d) { i.readProfilesSias(d); }
    void readMatrix(const QString& d) { i.readMatrix(d); }
    void readBusStops(const QString& d) { i.readBusStops(d); }
    void readBusRoutes(const QString& d) { i.readBusRoutes(d); }
    void readVehicles(const QString& d) { i.readVehicles(d); }
    void readDetectors(const QString& d) { i.readDetectors(d); }
    void readBeacons(const QString& d) { i.readBeacons(d); }
    void readAnnotations(const QString& d) { i.readAnnotations(d); }
    void checkBarredTurnings() { i.checkBarredTurnings(); }
    void updateLinks() { i.updateLinks(); }
    void createGeometry() { i.createGeometry(); }
    // createGeometry's steps one at a time, in its order, each handed to
    // run(name, step), so that the benchmark can time them apart. Kept in
    // step with ParamicsImporter::createGeometry (tst_networkimport checks
    // that both build the same model).
    template <typename Run>
    void createGeometryStepByStep(Run run)
    {
        run("centroids", [this] {
            if (i.model)
                i.model->getPreferences()->setValue(QStringLiteral("CVModel::Location::RoadSide"),
                                                    i.rightHandDrive ? QStringLiteral("0") : QStringLiteral("1"));
            i.createCentroids();
        });
        run("sections", [this] { i.createLinks(); });
        run("nodes", [this] { i.createNodes(); });
        run("turning objects", [this] { i.connectSections(); });
        run("ramps", [this] { i.createRamps(); });
        run("extremes", [this] { i.calculateExtremeNodes(); });
        run("centroid connections", [this] { i.createCentroidConnections(); });
        run("repair", [this] { i.fixTurnings(); });
    }
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
