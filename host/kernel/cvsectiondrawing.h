#pragma once

#include "cvbbox.h"
#include "cvpoints.h"

#include <QVector>

class CVSection;

// What a section looks like on the map, in model metres: bands for its
// lanes along the smooth centre line, the lines between neighbouring lanes
// and its extent. Working it out walks the lanes and offsets curves, so a
// section keeps one and rebuilds it only when it changes.
class CRVKERNEL_EXPORT CVSectionDrawing
{
public:
    struct Band
    {
        CVPoints line;
        double width = 0.0;
    };

    CVSectionDrawing() = default;
    explicit CVSectionDrawing(const CVSection& section);

    // Whether this drawing still shows the section as it is.
    bool matches(const CVSection& section) const;

    const QVector<Band>& getBands() const { return bands; }
    const QVector<CVPoints>& getSeparators() const { return separators; }
    const CVBBox& getBoundingBox() const { return box; }
    const CVPoints& getCentreLine() const { return centre; }
    double getLaneWidth() const { return laneWidth; }

    // Sideways distance, to the left of the centre line, of the middle of
    // lanes first to last (lanes counted from 0 on the left, all of them
    // centred on the line).
    double laneOffset(double first, double last) const;
    // The drawn centre line between two positions along the section
    // (metres along its centre points), moved sideways to the left by
    // offset metres.
    CVPoints besideLine(double offset, double fromPos, double toPos) const;

    // The line moved sideways by offset metres, to the left of its
    // direction when positive; corners are mitred (within limits).
    static CVPoints offsetLine(const CVPoints& line, double offset);

private:
    unsigned int tick = 0;
    double laneWidth = 0.0;
    int laneCount = 0;
    int pointCount = 0;
    // Drawn length per metre of the section's own polyline: positions along
    // the section are measured on its points, the smooth curve is a little
    // longer.
    double drawnPerPosition = 1.0;
    double sectionLength = 0.0;
    CVPoints centre;
    QVector<Band> bands;
    QVector<CVPoints> separators;
    CVBBox box;
};
