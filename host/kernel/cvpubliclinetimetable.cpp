#include "cvpubliclinetimetable.h"

#include "cvpublicline.h"
#include "cvregistry.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVPublicLineTimeTable)

void CVPublicLineTimeTableSchedule::addStop(CVObject* stop)
{
    if (stop)
        stops.append(stop->getId());
}

void CVPublicLineTimeTableSchedule::setStopTime(CVObject* stop, const CVPublicLineTimeTableScheduleStopTime& stopTime)
{
    if (stop)
        stopTimes.insert(stop->getId(), stopTime);
}

CVPublicLineTimeTable::CVPublicLineTimeTable(CVModel* model, const CVType* type) : CVObject(model, type) {}

CVPublicLineTimeTable::~CVPublicLineTimeTable() = default;

void CVPublicLineTimeTable::addSchedule(CVPublicLineTimeTableSchedule* schedule)
{
    if (schedule)
        schedules.emplace_back(schedule);
}

QVector<CVPublicLineTimeTableSchedule*> CVPublicLineTimeTable::getSchedules() const
{
    QVector<CVPublicLineTimeTableSchedule*> list;
    for (const auto& schedule : schedules)
        list.append(schedule.get());
    return list;
}

void CVPublicLineTimeTable::writeFields(QJsonObject& json) const
{
    json.insert(QStringLiteral("line"), line ? QJsonValue(qint64(line->getId())) : QJsonValue(QJsonValue::Null));
    QJsonArray list;
    for (const auto& schedule : schedules) {
        QJsonArray departures;
        for (const CVPublicLineTimeTableDeparture& departure : schedule->getDepartureTimes()) {
            departures.append(QJsonObject{
                {"time", departure.getMeanTime().toString()},
                {"deviation", departure.getDeviationTime().toSeconds()},
                {"vehicle", departure.getVehicle() ? QJsonValue(qint64(departure.getVehicle()->getId()))
                                                   : QJsonValue(QJsonValue::Null)}});
        }
        QJsonArray stops;
        for (unsigned int stopId : schedule->getStops())
            stops.append(qint64(stopId));
        list.append(QJsonObject{{"departureType", schedule->getDepartureType()}, {"departures", departures}, {"stops", stops}});
    }
    json.insert(QStringLiteral("schedules"), list);
}
