#pragma once

#include <QPair>
#include <QString>
#include <QVector>

// Owns its movements (node ids, by value). Points to other records: the
// turnings a Sias stage bars (in their links' records, never owned). No
// host objects.

struct ParamicsTurning;

// A signal phase (a stage in the Sias dialect) of a junction.
struct ParamicsPhase
{
    double offset = 0.0;
    double time = 0.0;
    double maxTime = 0.0;
    double red = 0.0;
    // Movements with green, as (node arrived from, node left to), each once.
    QVector<QPair<QString, QString>> movements;
    // Sias: turnings barred within this stage, in the order met.
    QVector<ParamicsTurning*> barredTurnings;

    // A maximum below the written duration shortens the phase.
    void setMaxTime(double maximum)
    {
        maxTime = maximum;
        if (maximum < time)
            time = maximum;
    }
};
