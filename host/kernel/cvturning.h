#pragma once

#include "cvgeoobject.h"
#include "cvpoints.h"

#include <memory>

class CVNode;
class CVSection;

// A movement at a node from lanes at the end of an origin section into
// lanes at the start of a destination section. Lane ranges are kept with
// from <= to, whichever order they are given in.
class CRVKERNEL_EXPORT CVTurning : public CVGeoObject
{
public:
    // Speed that a calculated turning speed never goes below, km/h.
    static constexpr double MinimumSpeed = 10.0;

    CVTurning(CVModel* model, const CVType* type) : CVGeoObject(model, type) {}

    CVNode* getNode() const { return node; }
    void setNode(CVNode* newNode) { node = newNode; }
    CVSection* getOrigin() const { return origin; }
    void setOrigin(CVSection* section) { origin = section; }
    CVSection* getDestination() const { return destination; }
    void setDestination(CVSection* section) { destination = section; }
    // Sets both sections and refits the path to them.
    void setSections(CVSection* originSection, CVSection* destinationSection);

    void setOriginLanes(int from, int to);
    void setDestinationLanes(int from, int to);
    int getOriginFromLane() const { return originFromLane; }
    int getOriginToLane() const { return originToLane; }
    int getDestinationFromLane() const { return destinationFromLane; }
    int getDestinationToLane() const { return destinationToLane; }

    int getWarningIndicator() const { return warningIndicator; }
    void setWarningIndicator(int value) { warningIndicator = value; }

    // A turning's speed is calculated from its sections until a user sets
    // one; setSpeed stores a speed without changing that.
    bool isAutoSpeed() const { return autoSpeed; }
    void setAutoSpeed(bool on) { autoSpeed = on; }
    double getSpeed() const { return speed; }
    void setSpeed(double newSpeed) { speed = newSpeed; }
    // The slower section's speed, lowered by the cosine of half the turn
    // angle (straight on keeps it, a right angle gives 71 %), never below
    // MinimumSpeed. A section without speed counts 50 km/h.
    double calculateSpeed() const;

    // Signed angle, counter-clockwise positive, from the origin section's
    // last piece to the destination section's first piece, in (-pi, pi]:
    // 0 straight on, positive a left turn, negative a right turn.
    double calcAngleSections() const;

    // Places the path's ends: with toLanes, at the middle of the lane
    // ranges at the end of the origin and the start of the destination;
    // otherwise on the two sections' centre lines.
    void updatePath(bool toLanes);
    // Draws the path between its ends as a curve that leaves the origin and
    // joins the destination along their directions.
    void curve();
    // The path's points: those read from a model file, or those of the
    // curve last drawn (made on each call from the curve's four points).
    CVPoints getPath() const;

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    QString readProblem() const override;

    // Map: the path as a thin line, coloured by the warning indicator.
    CVBBox getBoundingBox() const override;
    void draw(CVMapPainter& map) const override;

private:
    CVNode* node = nullptr;
    CVSection* origin = nullptr;
    CVSection* destination = nullptr;
    int originFromLane = 0;
    int originToLane = 0;
    int destinationFromLane = 0;
    int destinationToLane = 0;
    int warningIndicator = 0;
    bool autoSpeed = true;
    bool curved = false;  // the path is drawnCurve's, not a path read from a model file
    double speed = 0.0;
    CVPoint pathStart;
    CVPoint pathEnd;
    // A model holds a turning curve for every turning: its four points
    // (ends and control points, as curve() placed them) are kept in the
    // object instead of a list of points of its own.
    struct Curve
    {
        CVPoint start;
        CVPoint control1;
        CVPoint control2;
        CVPoint end;
    };
    template <typename Visit>
    void forEachCurvePoint(Visit visit) const;
    const CVPoints& readPath() const;
    Curve drawnCurve;
    // A path read from a model file; none for a turning that an import
    // made, of which a model holds tens of thousands.
    std::unique_ptr<CVPoints> pathPoints;
};
