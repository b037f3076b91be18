#pragma once

#include <QVector>

class CVModel;
class CVSection;
class CVTurning;

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
    // The same with the section's leaving (entering) turnings at hand, in
    // the order their node lists them.
    static void fixOutTurnings(CVSection* section, const QVector<CVTurning*>& leaving);
    static void fixInTurnings(CVSection* section, const QVector<CVTurning*>& entering);

    CVModel* model;
};
