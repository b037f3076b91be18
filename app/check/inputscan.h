#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// A quick look at a Paramics directory for what the import's options
// cannot see from the model: the length unit that the files' own unit
// words set, the words that only one variant writes, the configuration
// file's settings, and bus route names that the importer's cut at the
// first space makes equal. It splits lines into words and reads nothing
// else.
struct InputScan
{
    // The files whose unit words replace the chosen unit, in the order the
    // importer reads them: zones ("max" lines), centres ("at"), nodes
    // ("Box"). The value is "Metric", "Feet", or "Metric and Feet" when a
    // file has both; files without unit words are left out.
    QList<QPair<QString, QString>> unitWords;
    // "file: word" for words of one variant only.
    QStringList quadstoneSigns;
    QStringList siasSigns;
    bool hasConfiguration = false;
    QString configurationUnits;  // "Metric", "Feet" or empty, from its "units" line
    QString configurationRule;   // "right", "left" or empty, from "right/left hand drive"
    // Route names as the importer keeps them (cut at the first space),
    // each with the names written in the file, for those written
    // differently.
    QMap<QString, QStringList> routesCutToOneName;

    // With only the units and the configuration, the rest is not looked
    // for (the import's summary needs no more).
    enum class Depth { UnitsAndConfiguration, Everything };
    static InputScan of(const QString& directory, Depth depth = Depth::Everything);

    // The unit each length-reading file was read in: the chosen unit until
    // a file's unit words replace it; the last one holds for every later
    // file. Gives "Metric" or "Feet".
    QString unitAfterReading(const QString& chosenUnit) const;
    // One text for the summary: "Feet" or, when the files differ,
    // "Feet (zones: Metric)".
    QString unitsText(const QString& chosenUnit) const;
};
