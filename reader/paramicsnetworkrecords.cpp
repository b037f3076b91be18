#include "reader/paramicsnetworkrecords.h"

void ParamicsLink::insertRamp(const ParamicsRamp& ramp, const CVPoint& startPosition)
{
    const double distance = ramp.position.distance2D(startPosition);
    for (int i = 0; i < ramps.size(); ++i) {
        if (ramps[i].position.distance2D(startPosition) > distance) {
            ramps.insert(i, ramp);
            return;
        }
    }
    ramps.append(ramp);
}

ParamicsTurning* ParamicsLink::findTurning(const QString& destinationName)
{
    for (ParamicsTurning& candidate : turnings) {
        if (candidate.destination == destinationName)
            return &candidate;
    }
    return nullptr;
}
