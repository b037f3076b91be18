#pragma once

#include "network/hostlookup.h"

class CVLayer;
class CVModel;
class CVSection;
class CVSectionObject;

// Finds the section of a link and hangs stops, detectors and signs on it.
class SectionPlacement
{
public:
    SectionPlacement(CVModel* model, CVLayer* layer, const ParamicsLinkMap& links);

    // The host section of the named link, or null when the link is unknown
    // or was never built (a barred link).
    CVSection* linkSection(const QString& linkName) const;
    // The same for the link between two nodes, named without joining them.
    CVSection* linkSection(const QString& fromNode, const QString& toNode) const;
    // The index of the section's rightmost lane, 0 for a section without lanes.
    static int lastLane(const CVSection* section);
    // The section owns the object as a top object; the map shows it in the
    // network layer.
    void placeOnSection(CVSectionObject* object, CVSection* section) const;

private:
    CVModel* model;
    CVLayer* layer;
    const ParamicsLinkMap& links;
};
