#pragma once

class CVModel;
class CVSection;

// Repairs the lane ranges of the model's turnings once the network is
// built: first every range is clamped to the lanes that exist; then, section
// by section in ascending id, the turnings leaving it and those entering it.
class TurningRepair
{
public:
    explicit TurningRepair(CVModel* model);

    void build();

    void fixOutRangedTurnings();
    void fixOutTurnings(CVSection* section);
    void fixInTurnings(CVSection* section);

private:
    CVModel* model;
};
