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

    // The import plan's steps (importer/paramicsimportplan.h), one at a
    // time or a stage at once, as the driver runs them.
    void runStep(const ParamicsImportStep& step, const QString& d) { i.runStep(step.id, d); }
    void runStep(ParamicsImportStepId id, const QString& d = QString()) { i.runStep(id, d); }
    void runStage(ParamicsImportStage stage, const QString& d = QString()) { i.runStage(stage, d); }
    void readFiles(const QString& d) { i.readFiles(d); }
    void readLinks(const QString& d) { i.readLinks(d); }
    void createGeometry() { i.createGeometry(); }
};
