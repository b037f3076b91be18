#pragma once

#include "cvexport.h"

#include <QVector>

#include <memory>
#include <vector>

class CVControlPhase;
class CVControlPlan;

// The control of one node within a control plan: its type, cycle, offset
// and phases. Owned by its plan; it owns its phases.
class CRVKERNEL_EXPORT CVControlJunction
{
public:
    enum CVControlJunctionType { Uncontrolled = 0, Unspecified = 1, FixedControl = 2, External = 3, Actuated = 4 };

    CVControlJunction(CVControlPlan* plan, unsigned int nodeId);
    ~CVControlJunction();
    CVControlJunction(const CVControlJunction&) = delete;
    CVControlJunction& operator=(const CVControlJunction&) = delete;

    CVControlPlan* getControlPlan() const { return plan; }
    unsigned int getNodeId() const { return nodeId; }
    int getControlJunctionType() const { return type; }
    void setControlJunctionType(int junctionType) { type = junctionType; }
    bool isCritical() const { return critical; }
    void setCritical(bool value) { critical = value; }
    float getOffset() const { return offset; }
    void setOffset(float seconds) { offset = seconds; }
    float getCycle() const { return cycle; }
    void setCycle(float seconds) { cycle = seconds; }
    bool isRestInRed() const { return restInRed; }
    void setRestInRed(bool value) { restInRed = value; }
    float getYellowTime() const { return yellowTime; }
    void setYellowTime(float seconds) { yellowTime = seconds; }
    int getRedPercentageInYellowTime() const { return redPercentageInYellowTime; }
    void setRedPercentageInYellowTime(int percentage) { redPercentageInYellowTime = percentage; }

    // Takes ownership of the phase.
    void addPhase(CVControlPhase* phase);
    QVector<CVControlPhase*> getPhases() const;

private:
    CVControlPlan* plan;
    unsigned int nodeId;
    int type = Unspecified;
    bool critical = false;
    float offset = 0.0f;
    float cycle = 0.0f;
    bool restInRed = false;
    float yellowTime = 0.0f;
    int redPercentageInYellowTime = 0;
    std::vector<std::unique_ptr<CVControlPhase>> phases;
};
