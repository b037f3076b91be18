#pragma once

#include "cvobject.h"

#include <QSet>
#include <QVector>

#include <memory>

// A signal of a control plan: the group of turnings of one node that get
// green together. Phases refer to it by id; the node lists it among its
// signals.
class CRVKERNEL_EXPORT CVControlPlanSignal : public CVObject
{
public:
    CVControlPlanSignal(CVModel* model, const CVType* type) : CVObject(model, type) {}

    // Each turning is held once, in the order added.
    void addTurning(const CVObject* turning);
    void addTurningId(unsigned int turningId);
    const QVector<unsigned int>& getTurningIds() const;
    bool hasTurning(unsigned int turningId) const { return turnings && turnings->idSet.contains(turningId); }

    void setNode(const CVObject* node) { nodeId = node ? node->getId() : 0; }
    void setNodeId(unsigned int id) { nodeId = id; }
    unsigned int getNodeId() const { return nodeId; }  // 0 while the signal belongs to no node

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    // An import makes a signal for every movement it reads, and most of
    // them never get a turning: the list is made with the first one, so
    // that a signal without turnings stays small.
    struct Turnings
    {
        QVector<unsigned int> ids;
        QSet<unsigned int> idSet;
    };
    std::unique_ptr<Turnings> turnings;
    unsigned int nodeId = 0;
};
