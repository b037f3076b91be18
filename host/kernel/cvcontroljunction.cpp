#include "cvcontroljunction.h"

#include "cvcontrolphase.h"

CVControlJunction::CVControlJunction(CVControlPlan* owner, unsigned int node) : plan(owner), nodeId(node) {}

CVControlJunction::~CVControlJunction() = default;

void CVControlJunction::addPhase(CVControlPhase* phase)
{
    if (!phase)
        return;
    phase->setControlJunction(this);
    phases.emplace_back(phase);
}

QVector<CVControlPhase*> CVControlJunction::getPhases() const
{
    QVector<CVControlPhase*> list;
    list.reserve(int(phases.size()));
    for (const auto& phase : phases)
        list.append(phase.get());
    return list;
}
