#pragma once

#include "traffic/vehiclebuilder.h"

#include <cvodmatrix.h>

#include <QMap>
#include <QVector>

class CVCentroidConfiguration;
class CVModel;
class CVTimeDuration;
class QTime;
struct ParamicsDemand;
struct ParamicsMatrix;
struct ParamicsProfile;
class DemandTripsAhead;
class ZoneCentroids;

// OD matrices between the zones' centroids, one per vehicle type of a
// demand: the demands files' matrices cut into their profile's steps (one
// morning hour without a profile), then the matrix file's matrices.
class DemandBuilder
{
public:
    DemandBuilder(CVModel* model, CVCentroidConfiguration* configuration, const QMap<int, int>& zoneNumbers,
                  const QVector<ParamicsDemand*>& demands, const QMap<int, ParamicsProfile*>& profiles,
                  const QMap<int, ParamicsMatrix*>& matrixEntries, const ParamicsVehicleMap& vehicles,
                  DemandTripsAhead* tripsAhead = nullptr);

    // tripsAhead, when given, holds the demands' trips collected while the
    // network was built.

    void build();

private:
    // collected: the demand's trips collected ahead, or null.
    void createProfileDemands(const ParamicsDemand& demand, const ParamicsProfile& profile, const ZoneCentroids& zones,
                              const CVODMatrix::CollectedTrips* collected);
    void createHourDemands(const ParamicsDemand& demand, const ZoneCentroids& zones,
                           const CVODMatrix::CollectedTrips* collected);
    void createMatrixFileDemands(const ParamicsMatrix& matrix, const ZoneCentroids& zones);
    CVODMatrix* newODMatrix(const QTime& start, const CVTimeDuration& duration, CVVehicle* vehicle);
    void fileODMatrix(CVODMatrix* matrix, bool named);

    CVModel* model;
    CVCentroidConfiguration* configuration;
    const QMap<int, int>& zoneNumbers;
    const QVector<ParamicsDemand*>& demands;
    const QMap<int, ParamicsProfile*>& profiles;
    const QMap<int, ParamicsMatrix*>& matrixEntries;
    const ParamicsVehicleMap& vehicles;
    DemandTripsAhead* tripsAhead;
};
