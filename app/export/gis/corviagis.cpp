// The GIS module's entry: the one function corvia resolves when it loads
// the library (see export/gismodule.h).
#include "export/gis/geolocator.h"
#include "export/gis/gisexporter.h"
#include "export/gis/gispoints.h"
#include "export/gismodule.h"

#include <QtGlobal>

namespace {

class OgrGisModule final : public GisModule
{
public:
    bool checkCrs(const QString& crs, QString* error) const override { return GisExporter::checkCrs(crs, error); }

    QString placementRefusal(const CVGeoReference& where) const override
    {
        return GisExporter::placementRefusal(where);
    }

    bool write(const CVModel& model, const QString& path, GisFormat format, const std::optional<CVGeoReference>& where,
               QStringList* warnings, QString* error) const override
    {
        return GisExporter::write(model, path, format, where, warnings, error);
    }

    bool writePoints(const GisLayers::Layer& layer, const QString& path, GisFormat format, QString* error) const override
    {
        return GisPoints::write(layer, path, format, error);
    }

    std::unique_ptr<GeoLocation> locator(const CVGeoReference& where) const override
    {
        auto made = std::make_unique<GeoLocator>(where);
        if (!made->isValid())
            return nullptr;
        return made;
    }
};

}  // namespace

extern "C" Q_DECL_EXPORT const GisModule* CorviaGisModule()
{
    static const OgrGisModule module;
    return &module;
}
