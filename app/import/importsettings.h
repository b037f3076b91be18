#pragma once

#include <QString>

// The options of one import, as the import dialog offers them.
struct ImportSettings
{
    QString directory;
    QString variant = QStringLiteral("Quadstone");  // "Quadstone" or "Sias"
    QString units = QStringLiteral("Metric");       // "Metric" or "Feet"
    bool rightHandDrive = true;
    int demandFiles = 1;
};
