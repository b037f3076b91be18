#pragma once

#include "cvexport.h"
#include "cvgeoreference.h"
#include "cvimportsettings.h"

#include <QString>

#include <memory>
#include <optional>

class CVCatalog;
class CVCentroidConfiguration;
class CVColumn;
class CVCommander;
class CVFolder;
class CVGeoModel;
class CVLog;
class CVPreferencesValues;
class CVType;

// One open model: its catalogue of objects, map layers, log, preferences
// and id counter. Create models with CVSystem::createModel, which adds the
// defaults that every new model holds.
class CRVKERNEL_EXPORT CVModel
{
public:
    CVModel();
    ~CVModel();
    CVModel(const CVModel&) = delete;
    CVModel& operator=(const CVModel&) = delete;

    CVCatalog* getCatalog() const { return catalog.get(); }
    CVGeoModel* getGeoModel() const { return geoModel.get(); }
    CVLog* getLog() const { return log.get(); }
    CVPreferencesValues* getPreferences() const { return preferences.get(); }
    CVCommander* getCommander() const { return commander.get(); }

    const CVType* getType(const QString& name) const;
    const CVColumn* getColumn(const QString& name) const;

    // Ids start at 1 and are never reused.
    unsigned int getNewId() { return ++lastId; }
    unsigned int getLastId() const { return lastId; }
    // For a model read from a file: new ids continue past the saved ones.
    void setLastId(unsigned int id) { lastId = id; }
    void setRootFolder(CVFolder* folder) { rootFolder = folder; }
    CVFolder* getCreateRootFolder();
    CVFolder* getRootFolder() const { return rootFolder; }

    CVCentroidConfiguration* getActiveCentroidConfiguration() const { return activeCentroidConfiguration; }
    void setActiveCentroidConfiguration(CVCentroidConfiguration* configuration)
    {
        activeCentroidConfiguration = configuration;
    }

    // How the model's content was imported; nothing for a model that no
    // import filled (or one saved before the settings were kept).
    const std::optional<CVImportSettings>& getImportSettings() const { return importSettings; }
    void setImportSettings(const CVImportSettings& settings) { importSettings = settings; }
    // Where the model's plane lies on earth, once somebody said so.
    const std::optional<CVGeoReference>& getGeoReference() const { return geoReference; }
    void setGeoReference(const CVGeoReference& reference) { geoReference = reference; }

    // The rule of the road: the import's, or for a model without import
    // settings the location preference that importers write ("1" left,
    // anything else right).
    CVRoadSide getRoadSide() const;

private:
    std::unique_ptr<CVLog> log;
    std::unique_ptr<CVPreferencesValues> preferences;
    std::unique_ptr<CVGeoModel> geoModel;
    std::unique_ptr<CVCommander> commander;
    // Declared last so that the objects go before what they refer to.
    std::unique_ptr<CVCatalog> catalog;
    unsigned int lastId = 0;
    CVFolder* rootFolder = nullptr;
    CVCentroidConfiguration* activeCentroidConfiguration = nullptr;
    std::optional<CVImportSettings> importSettings;
    std::optional<CVGeoReference> geoReference;
};
