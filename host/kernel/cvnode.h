#pragma once

#include "cvdpoint.h"

#include <QHash>
#include <QVector>

class CVControlPlanSignal;
class CVSection;
class CVTurning;

// A junction: where sections end and start, with the turnings that lead
// from one into another.
class CRVKERNEL_EXPORT CVNode : public CVDPoint
{
public:
    CVNode(CVModel* model, const CVType* type) : CVDPoint(model, type) {}

    bool getYellowBox() const { return yellowBox; }
    void setYellowBox(bool on) { yellowBox = on; }
    bool getUserDefinedPriorities() const { return userDefinedPriorities; }
    void setUserDefinedPriorities(bool on) { userDefinedPriorities = on; }

    // Lists the turning at this node (once). With updatePath the turning's
    // path is refitted to its lanes; with drawCurve its curve is redrawn.
    void addTurning(CVTurning* turning, bool updatePath, bool drawCurve);
    void removeTurning(CVTurning* turning);
    const QVector<CVTurning*>& getTurnings() const { return turnings; }

    // The node's turnings that leave (enter) a section, in the order they
    // were added.
    QVector<CVTurning*> getFromTurnings(const CVSection* section) const;
    QVector<CVTurning*> getToTurnings(const CVSection* section) const;
    // How many of the node's turnings enter the section into a lane range
    // that covers the lane (origin links of that lane)...
    int getNumberOriginLinks(const CVSection* section, int lane) const;
    // ...and how many leave it from a lane range that covers the lane.
    int getNumberDestinationLinks(const CVSection* section, int lane) const;

    // The signals of the node's control: each signal once, in the order
    // added. getSignalPos gives a signal's 1-based position in that list,
    // 0 when the node does not hold it.
    void addSignal(const CVControlPlanSignal* signal);
    int getSignalPos(unsigned int signalId) const { return signalPositions.value(signalId, 0); }
    const QVector<unsigned int>& getSignalIds() const { return signalIds; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

    // Map: a dot, filled yellow for a yellow-box junction.
    CVBBox getBoundingBox() const override;
    void draw(CVMapPainter& map) const override;

private:
    bool yellowBox = false;
    bool userDefinedPriorities = false;
    QVector<CVTurning*> turnings;
    QVector<unsigned int> signalIds;
    QHash<unsigned int, int> signalPositions;
};
