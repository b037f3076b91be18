// One signal object per turning, for the junctions' phases.

#include "network/turningsignalbuilder.h"

#include <cvmodel.h>
#include <cvsystem.h>

void TurningSignalBuilder::build()
{
    if (!model)
        return;
    const CVType* signalType = model->getType(QStringLiteral("CVControlPlanSignal"));
    for (ParamicsLink* link : links) {
        if (!link)
            continue;
        for (ParamicsTurning& turning : link->turnings) {
            if (!turning.signal)
                turning.signal = CVSystem::getSystem().newObject(signalType, model);
        }
    }
}
