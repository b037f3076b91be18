#include "reader/paramicsnetworkrecords.h"

#include <utility>

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

ParamicsTurning* ParamicsLink::findTurning(const ParamicsName& destinationName)
{
    // Looked up through the const data: a turning found is changed in
    // place, and the records never share their turnings.
    const ParamicsTurning* const first = std::as_const(turnings).data();
    for (qsizetype i = 0; i < turnings.size(); ++i) {
        if (destinationName.equals(first[i].destination))
            return &turnings[i];
    }
    return nullptr;
}
