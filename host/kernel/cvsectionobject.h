#pragma once

#include "cvgeoobject.h"
#include "cvmappainter.h"
#include "cvpoints.h"

#include <QColor>

// Something placed along a section: a bus stop, a detector, a message
// sign. It covers a range of the section's lanes from a position (metres
// from the section's start) over a length; the section is its parent.
class CRVKERNEL_EXPORT CVSectionObject : public CVGeoObject
{
public:
    CVSectionObject(CVModel* model, const CVType* type) : CVGeoObject(model, type) {}

    float getPosition() const { return position; }
    void setPosition(float metres) { position = metres; }
    float getLength() const { return length; }
    void setLength(float metres) { length = metres; }
    int getFromLane() const { return fromLane; }
    int getToLane() const { return toLane; }
    void setLanes(int first, int last)
    {
        fromLane = first;
        toLane = last;
    }
    // The section it stands on, or null.
    CVGeoObject* getSection() const { return getParentObject(); }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;
    QString readProblem() const override;

    // Map: a band across the lanes it covers, over its length, at its place
    // on the section, with a marker in its middle that stays visible when
    // zoomed out. Nothing without a section.
    CVBBox getBoundingBox() const override;
    void draw(CVMapPainter& map) const override;

protected:
    virtual QColor mapColour() const = 0;
    virtual CVMapPainter::Marker mapMarker() const = 0;

private:
    // The line along which it lies and the width it covers, in metres.
    CVPoints mapLine(double& width) const;

    float position = 0.0f;
    float length = 0.0f;
    int fromLane = 0;
    int toLane = 0;
};

class CRVKERNEL_EXPORT CVBusStop : public CVSectionObject
{
public:
    using CVSectionObject::CVSectionObject;

protected:
    QColor mapColour() const override;
    CVMapPainter::Marker mapMarker() const override { return CVMapPainter::Marker::Square; }
};

class CRVKERNEL_EXPORT CVDetector : public CVSectionObject
{
public:
    using CVSectionObject::CVSectionObject;

protected:
    QColor mapColour() const override;
    CVMapPainter::Marker mapMarker() const override { return CVMapPainter::Marker::Diamond; }
};

// A variable message sign.
class CRVKERNEL_EXPORT CVVMS : public CVSectionObject
{
public:
    using CVSectionObject::CVSectionObject;

protected:
    QColor mapColour() const override;
    CVMapPainter::Marker mapMarker() const override { return CVMapPainter::Marker::Triangle; }
};
