#pragma once

#include "cvbeziercurve.h"
#include "cvsectiondrawing.h"
#include "cvsectionlane.h"

#include <QPair>
#include <QVector>

class CVNode;
class CVRoadType;

// A one-way road between two nodes, drawn along its centre line. Lanes are
// counted from 0 at the leftmost lane in the direction of travel. Speed
// (km/h), lane width (m) and lane count are the columns speedAtt,
// laneWidthAtt and nblanesAtt: setting nblanesAtt to n gives the section n
// full lanes (its side lanes stay), reading it gives the number of lanes
// of every kind.
class CRVKERNEL_EXPORT CVSection : public CVBezierCurve
{
public:
    // Lane width of a section that was never given one.
    static constexpr double DefaultLaneWidth = 3.5;
    // No road has more lanes: a larger count from a file is cut to this,
    // full and side lanes together, and further lanes are not added.
    static constexpr int MaxLanes = 64;

    CVSection(CVModel* model, const CVType* type) : CVBezierCurve(model, type) { keepExtrasIn(extrasRoom); }
    ~CVSection() override { releaseExtrasRoom(); }

    static const CVColumn* speedColumn();
    static const CVColumn* laneWidthColumn();
    static const CVColumn* nbLanesColumn();

    CVNode* getOrigin() const { return origin; }
    void setOrigin(CVNode* node) { origin = node; }
    CVNode* getDestination() const { return destination; }
    void setDestination(CVNode* node) { destination = node; }

    CVRoadType* getRoadType() const { return roadType; }
    // With takeDefaults, the section also takes the road type's speed and
    // lane width (which the caller may then overwrite).
    void setRoadType(CVRoadType* type, bool takeDefaults);

    double getSpeed() const;
    double getLaneWidth() const;

    void setDataValue(const CVColumn* column, const QVariant& value) override;
    QVariant getDataValue(const CVColumn* column) const override;
    using CVObject::getDataValue;
    // The lane count is asked for once or more per turning while a network
    // is built: it is answered from the lanes themselves.
    int getDataValueInt(const CVColumn* column, CVContext::Context context = CVContext::anyContext) const override;

    // Lanes.
    const QVector<CVSectionLane>& getLanes() const { return lanes; }
    int getNbLanes() const { return int(lanes.size()); }
    int getNbFullLanes() const;
    // Adds a lane at an index: 0 before the first lane (on the left), -1
    // (or any index past the end) after the last one (on the right).
    void addLane(const CVSectionLane& lane, int position);
    void removeLane(int index);
    void removeLastLane();
    // First and last index of the lanes that exist at a position along the
    // section; (0, -1) when none does.
    QPair<int, int> getLanesAtPos(double pos) const;
    QPair<int, int> getEntryLanes() const { return getLanesAtPos(0.0); }
    QPair<int, int> getExitLanes() const { return getLanesAtPos(length2D()); }

    // A new section of the model (new id, in the catalogue, in no layer)
    // with this one's name, road type, values, lanes, line and end nodes.
    CVSection* clone() const;

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    QString readProblem() const override;

    // Map: a band as wide as the lanes along the smooth centre line, side
    // lanes only over their length, lines between lanes when zoomed in.
    CVBBox getBoundingBox() const override;
    void draw(CVMapPainter& map) const override;
    // The section's drawing, worked out again only after a change.
    const CVSectionDrawing& getDrawing() const;

private:
    void setNbFullLanes(int count);
    int lastFullLane() const;

    CVNode* origin = nullptr;
    CVNode* destination = nullptr;
    CVRoadType* roadType = nullptr;
    QVector<CVSectionLane> lanes;
    ExtrasRoom extrasRoom;  // speed and lane width
    mutable CVSectionDrawing drawing;
    mutable bool drawingMade = false;
};
