#pragma once

#include "cvobject.h"

#include <QHash>

#include <memory>
#include <vector>

class CVControlJunction;

// A control plan: how the signalised nodes of the model are run. It owns
// one control junction per node it controls.
class CRVKERNEL_EXPORT CVControlPlan : public CVObject
{
public:
    CVControlPlan(CVModel* model, const CVType* type);
    ~CVControlPlan() override;

    float getOffset() const { return offset; }
    void setOffset(float seconds) { offset = seconds; }

    // The junction of that node, made when the plan has none yet.
    CVControlJunction* createControlJunction(unsigned int nodeId);
    CVControlJunction* getControlJunction(unsigned int nodeId) const { return byNode.value(nodeId, nullptr); }
    int junctionCount() const { return int(junctions.size()); }
    const std::vector<std::unique_ptr<CVControlJunction>>& getJunctions() const { return junctions; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    float offset = 0.0f;
    std::vector<std::unique_ptr<CVControlJunction>> junctions;
    QHash<unsigned int, CVControlJunction*> byNode;
};
