#pragma once

#include "cvexport.h"

// One lane of a section. A full lane runs the whole section. A side lane
// exists only between two positions along the section, in metres from its
// start: from the initial offset to the final offset. So offsets (0, L)
// make an entrance lane of L metres at the section's start. A lane with
// both offsets 0 is a full lane.
class CRVKERNEL_EXPORT CVSectionLane
{
public:
    CVSectionLane() = default;
    CVSectionLane(double initial, double final) : initialOffset(initial), finalOffset(final) {}

    void setOffsets(double initial, double final)
    {
        initialOffset = initial;
        finalOffset = final;
    }
    double getInitialOffset() const { return initialOffset; }
    double getFinalOffset() const { return finalOffset; }

    bool isFullLane() const { return initialOffset == 0.0 && finalOffset == 0.0; }
    // Whether the lane exists at a position along its section.
    bool existsAt(double pos) const { return isFullLane() || (initialOffset <= pos && pos <= finalOffset); }

    bool operator==(const CVSectionLane& o) const
    {
        return initialOffset == o.initialOffset && finalOffset == o.finalOffset;
    }

private:
    double initialOffset = 0.0;
    double finalOffset = 0.0;
};
