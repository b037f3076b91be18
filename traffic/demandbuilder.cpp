// OD matrices: the demands files' matrices shared out among vehicle types
// and cut into profile steps, and the matrix file's whole-hour matrices.

#include "traffic/demandbuilder.h"

#include "reader/paramicstrafficrecords.h"
#include "traffic/demandtripsahead.h"
#include "traffic/zonecentroids.h"

#include <cvcatalog.h>
#include <cvcentroidconfiguration.h>
#include <cvmodel.h>
#include <cvodmatrix.h>
#include <cvsystem.h>
#include <cvtimeduration.h>
#include <cvvehicle.h>

#include <utility>
#include <vector>

namespace {

constexpr qint64 SecondsPerDay = 24 * 3600;
// Matrices that follow no profile, and those of the matrix file, cover one
// morning hour.
const QTime HourStart(8, 0);
const CVTimeDuration HourLength(1, 0, 0.0);

}  // namespace

DemandBuilder::DemandBuilder(CVModel* model, CVCentroidConfiguration* configuration, const QMap<int, int>& zoneNumbers,
                             const QVector<ParamicsDemand*>& demands, const QMap<int, ParamicsProfile*>& profiles,
                             const QMap<int, ParamicsMatrix*>& matrixEntries, const ParamicsVehicleMap& vehicles,
                             DemandTripsAhead* tripsAhead)
    : model(model), configuration(configuration), zoneNumbers(zoneNumbers), demands(demands), profiles(profiles),
      matrixEntries(matrixEntries), vehicles(vehicles), tripsAhead(tripsAhead)
{
}

void DemandBuilder::build()
{
    if (!model)
        return;
    const ZoneCentroids zones(zoneNumbers, model->getCatalog());
    // Trips collected ahead for other centroids are not these demands'.
    if (tripsAhead && !tripsAhead->collectedFor(zones))
        tripsAhead = nullptr;
    for (qsizetype place = 0; place < demands.size(); ++place) {
        const ParamicsDemand* demand = demands.at(place);
        if (!demand)
            continue;
        const CVODMatrix::CollectedTrips* collected = tripsAhead ? tripsAhead->tripsOf(place) : nullptr;
        if (const ParamicsProfile* profile = profiles.value(demand->period, nullptr))
            createProfileDemands(*demand, *profile, zones, collected);
        else
            createHourDemands(*demand, zones, collected);
    }
    for (const ParamicsMatrix* matrix : std::as_const(matrixEntries)) {
        if (matrix)
            createMatrixFileDemands(*matrix, zones);
    }
}

// One matrix per vehicle type for every profile step with a share above 0.
// Steps follow each other from the profile's start (midnight when it has
// none) and wrap round at midnight. The matrices are made and filed one by
// one (their names and ids do not depend on their trips), then get their
// trips together.
void DemandBuilder::createProfileDemands(const ParamicsDemand& demand, const ParamicsProfile& profile,
                                         const ZoneCentroids& zones, const CVODMatrix::CollectedTrips* collected)
{
    const QVector<ParamicsVehicle*> types = vehicles.value(demand.matrix);
    const QTime firstStart = profile.start.isValid() ? profile.start : QTime(0, 0);
    const CVTimeDuration stepLength(double(profile.interval));
    std::vector<CVODMatrix*> matrices;
    std::vector<CVODMatrix::Scale> scales;
    qint64 offset = 0;
    for (const float share : profile.values) {
        if (share > 0.0f) {
            const QTime start = firstStart.addSecs(int(offset % SecondsPerDay));
            for (const ParamicsVehicle* type : types) {
                if (!type)
                    continue;
                CVODMatrix* matrix = newODMatrix(start, stepLength, type->vehicle);
                if (!matrix)
                    continue;
                fileODMatrix(matrix, true);
                matrices.push_back(matrix);
                // The step's percentage of the demand, for the type's share of it.
                scales.push_back({double(share), 100.0, type->proportion});
            }
        }
        offset += profile.interval;
    }
    zones.setDemandTrips(matrices, demand, scales, collected);
}

// A matrix without a profile: one hour's matrix per vehicle type.
void DemandBuilder::createHourDemands(const ParamicsDemand& demand, const ZoneCentroids& zones,
                                      const CVODMatrix::CollectedTrips* collected)
{
    std::vector<CVODMatrix*> matrices;
    std::vector<CVODMatrix::Scale> scales;
    for (const ParamicsVehicle* type : vehicles.value(demand.matrix)) {
        if (!type)
            continue;
        CVODMatrix* matrix = newODMatrix(HourStart, HourLength, type->vehicle);
        if (!matrix)
            continue;
        fileODMatrix(matrix, true);
        matrices.push_back(matrix);
        scales.push_back({1.0, 1.0, type->proportion});
    }
    zones.setDemandTrips(matrices, demand, scales, collected);
}

// The matrix file's matrices are filed under the host's own naming and
// status.
void DemandBuilder::createMatrixFileDemands(const ParamicsMatrix& source, const ZoneCentroids& zones)
{
    for (const ParamicsVehicle* type : vehicles.value(source.number)) {
        if (!type)
            continue;
        CVODMatrix* matrix = newODMatrix(HourStart, HourLength, type->vehicle);
        if (!matrix)
            continue;
        zones.setMatrixFileTrips(matrix, source, type->proportion);
        fileODMatrix(matrix, false);
    }
}

CVODMatrix* DemandBuilder::newODMatrix(const QTime& start, const CVTimeDuration& duration, CVVehicle* vehicle)
{
    auto* matrix = dynamic_cast<CVODMatrix*>(CVSystem::getSystem().newObject(QStringLiteral("CVODMatrix"), model, -1, true));
    if (!matrix)
        return nullptr;
    matrix->setInterval(start, duration);
    matrix->setVehicle(vehicle);
    matrix->setCentroidConfiguration(configuration);
    return matrix;
}

void DemandBuilder::fileODMatrix(CVODMatrix* matrix, bool named)
{
    if (configuration)
        configuration->addODMatrix(matrix);
    if (named) {
        matrix->setName(matrix->getNameAutomatically(true));
        matrix->setStatus(CVObject::StatusImported);
    }
}
