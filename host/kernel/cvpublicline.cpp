#include "cvpublicline.h"

#include "cvfieldwriter.h"
#include "cvpubliclinetimetable.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvsection.h"
#include "cvsectionobject.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVPublicLine)

void CVPublicLine::addSection(CVObject* section, int)
{
    if (section)
        sections.append(section->getId());
}

void CVPublicLine::addStop(CVObject* stop)
{
    if (!stop || stopSet.contains(stop->getId()))
        return;
    stopSet.insert(stop->getId());
    stops.append(stop->getId());
}

void CVPublicLine::addTimeTable(CVPublicLineTimeTable* timeTable)
{
    if (timeTable && !timeTables.contains(timeTable))
        timeTables.append(timeTable);
}

void CVPublicLine::writeFields(CVFieldWriter& json) const
{
    QJsonArray sectionIds;
    for (unsigned int id : sections)
        sectionIds.append(qint64(id));
    QJsonArray stopIds;
    for (unsigned int id : stops)
        stopIds.append(qint64(id));
    QJsonArray departures;
    QJsonArray timeTableIds;
    for (const CVPublicLineTimeTable* timeTable : timeTables) {
        timeTableIds.append(qint64(timeTable->getId()));
        for (const CVPublicLineTimeTableSchedule* schedule : timeTable->getSchedules()) {
            for (const CVPublicLineTimeTableDeparture& departure : schedule->getDepartureTimes())
                departures.append(departure.getMeanTime().toString());
        }
    }
    json.insert(QStringLiteral("sections"), sectionIds);
    json.insert(QStringLiteral("stops"), stopIds);
    json.insert(QStringLiteral("departures"), departures);
    json.insert(QStringLiteral("timeTables"), timeTableIds);
}

void CVPublicLine::readFields(const CVSavedObject& json, CVReadContext& context)
{
    // The departures are those of the time tables, read with them.
    for (CVObject* section : context.objectListAs<CVSection>(json.value(QStringLiteral("sections"))))
        addSection(section, 0);
    for (CVObject* stop : context.objectListAs<CVBusStop>(json.value(QStringLiteral("stops"))))
        addStop(stop);
    for (const QJsonValue id : json.value(QStringLiteral("timeTables")).toArray()) {
        if (auto* timeTable = context.objectAs<CVPublicLineTimeTable>(id))
            addTimeTable(timeTable);
    }
}
