#pragma once

#include <vector>

class CVModel;
class CVSection;
class CVTurning;

// Repairs the lane ranges of the model's turnings once the network is
// built: first every range is clamped to the lanes that exist; then, section
// by section, the turnings leaving it and those entering it. The outcome
// does not depend on the order of the sections, which lets large networks
// be repaired on two threads.
class TurningRepair
{
public:
    explicit TurningRepair(CVModel* model);

    void build();

    void fixOutRangedTurnings();
    void fixOutTurnings(CVSection* section);
    void fixInTurnings(CVSection* section);

private:
    static void clampToLanes(CVTurning* turning);
    // The repairs of one section; each turning whose lanes they change is
    // added to changed, for its path to be placed again.
    static void repairLeaving(CVSection* section, std::vector<CVTurning*>& changed);
    static void repairEntering(CVSection* section, std::vector<CVTurning*>& changed);

    CVModel* model;
};
