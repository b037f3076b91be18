#pragma once

#include "cvobject.h"

#include <QSet>
#include <QVector>

class CVPublicLineTimeTable;

// A public transport line: its path as a sequence of sections, the stops it
// serves and its timetables.
class CRVKERNEL_EXPORT CVPublicLine : public CVObject
{
public:
    CVPublicLine(CVModel* model, const CVType* type) : CVObject(model, type) {}

    // Appends the section to the path; the second argument (the entry lane
    // choice) is kept for the host's route editing.
    void addSection(CVObject* section, int entryLane);
    const QVector<unsigned int>& getSections() const { return sections; }
    bool isStopUsed(const CVObject* stop) const { return stop && stopSet.contains(stop->getId()); }
    void addStop(CVObject* stop);
    const QVector<unsigned int>& getStops() const { return stops; }
    void addTimeTable(CVPublicLineTimeTable* timeTable);
    const QVector<CVPublicLineTimeTable*>& getTimeTables() const { return timeTables; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    QVector<unsigned int> sections;
    QVector<unsigned int> stops;
    QSet<unsigned int> stopSet;
    QVector<CVPublicLineTimeTable*> timeTables;  // owned by the model's catalogue
};
