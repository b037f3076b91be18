#pragma once

#include "cvexport.h"

#include <QString>
#include <QVector>

class CVControlJunction;

// One phase of a fixed-time control junction: when it starts in the cycle,
// how long it lasts, and which signals have green.
class CRVKERNEL_EXPORT CVControlPhase
{
public:
    struct Signal
    {
        unsigned int id = 0;
        QString name;
        bool flashing = false;
    };

    CVControlPhase() = default;

    unsigned int getId() const { return id; }
    void setId(unsigned int phaseId) { id = phaseId; }
    int getIdRing() const { return ring; }
    void setIdRing(int ringId) { ring = ringId; }
    CVControlJunction* getControlJunction() const { return junction; }
    void setControlJunction(CVControlJunction* owner) { junction = owner; }
    float getMinDuration() const { return minDuration; }
    void setMinDuration(float seconds) { minDuration = seconds; }
    float getMaxDuration() const { return maxDuration; }
    void setMaxDuration(float seconds) { maxDuration = seconds; }
    float getDuration() const { return duration; }
    void setDuration(float seconds) { duration = seconds; }
    float getFrom() const { return from; }
    void setFrom(float seconds) { from = seconds; }
    bool isInterphase() const { return interphase; }
    void setInterphase(bool value) { interphase = value; }

    void addSignal(unsigned int signalId, const QString& signalName, bool flashing);
    const QVector<Signal>& getSignals() const { return signalList; }

private:
    unsigned int id = 0;
    int ring = 0;
    CVControlJunction* junction = nullptr;
    float minDuration = 0.0f;
    float maxDuration = 0.0f;
    float duration = 0.0f;
    float from = 0.0f;
    bool interphase = false;
    QVector<Signal> signalList;
};
