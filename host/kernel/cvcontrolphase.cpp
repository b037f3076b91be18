#include "cvcontrolphase.h"

void CVControlPhase::addSignal(unsigned int signalId, const QString& signalName, bool flashing)
{
    signalList.append({signalId, signalName, flashing});
}
