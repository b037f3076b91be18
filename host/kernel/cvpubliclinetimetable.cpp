#include "cvpubliclinetimetable.h"

#include "cvfieldwriter.h"
#include "cvpublicline.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvsectionobject.h"
#include "cvvehicle.h"

#include <QJsonArray>

#include <algorithm>

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

void CVPublicLineTimeTable::writeFields(CVFieldWriter& json) const
{
    json.insert(QStringLiteral("line"), line ? QJsonValue(qint64(line->getId())) : QJsonValue(QJsonValue::Null));
    QJsonArray list;
    for (const auto& schedule : schedules) {
        QJsonArray departures;
        for (const CVPublicLineTimeTableDeparture& departure : schedule->getDepartureTimes()) {
            departures.append(QJsonObject{
                {"time", departure.getMeanTime().toString()},
                {"meanTime", departure.getMeanTime().toSeconds()},
                {"deviation", departure.getDeviationTime().toSeconds()},
                {"vehicle", departure.getVehicle() ? QJsonValue(qint64(departure.getVehicle()->getId()))
                                                   : QJsonValue(QJsonValue::Null)}});
        }
        QJsonArray stops;
        for (unsigned int stopId : schedule->getStops())
            stops.append(qint64(stopId));
        // Dwell times by stop id, in the order of the stop ids.
        QJsonArray stopTimes;
        QList<unsigned int> timedStops = schedule->getStopTimes().keys();
        std::sort(timedStops.begin(), timedStops.end());
        for (unsigned int stopId : timedStops) {
            const CVPublicLineTimeTableScheduleStopTime time = schedule->getStopTime(stopId);
            stopTimes.append(QJsonArray{qint64(stopId), time.meanTime, time.deviationTime, time.offsetTime});
        }
        list.append(QJsonObject{{"departureType", schedule->getDepartureType()},
                                {"departures", departures},
                                {"stops", stops},
                                {"stopTimes", stopTimes}});
    }
    json.insert(QStringLiteral("schedules"), list);
}

namespace {

CVPublicLineTimeTableSchedule* scheduleFromJson(const QJsonObject& json, CVReadContext& context)
{
    auto* schedule = new CVPublicLineTimeTableSchedule;
    schedule->setDepartureType(json.value(QStringLiteral("departureType")).toInt());
    for (const QJsonValue value : json.value(QStringLiteral("departures")).toArray()) {
        const QJsonObject saved = value.toObject();
        CVPublicLineTimeTableDeparture departure;
        departure.setMeanTime(CVTimeDuration(CVReadContext::number(saved.value(QStringLiteral("meanTime")))));
        departure.setDeviationTime(CVTimeDuration(CVReadContext::number(saved.value(QStringLiteral("deviation")))));
        departure.setVehicle(context.objectAs<CVVehicle>(saved.value(QStringLiteral("vehicle"))));
        schedule->addDepartureTime(departure);
    }
    for (CVObject* stop : context.objectListAs<CVBusStop>(json.value(QStringLiteral("stops"))))
        schedule->addStop(stop);
    for (const QJsonValue value : json.value(QStringLiteral("stopTimes")).toArray()) {
        const QJsonArray saved = value.toArray();
        if (CVObject* stop = context.objectAs<CVBusStop>(saved.at(0)))
            schedule->setStopTime(stop, CVPublicLineTimeTableScheduleStopTime(CVReadContext::number(saved.at(1)),
                                                                              CVReadContext::number(saved.at(2)),
                                                                              CVReadContext::number(saved.at(3))));
    }
    return schedule;
}

}  // namespace

void CVPublicLineTimeTable::readFields(const CVSavedObject& json, CVReadContext& context)
{
    line = context.objectAs<CVPublicLine>(json.value(QStringLiteral("line")));
    for (const QJsonValue schedule : json.value(QStringLiteral("schedules")).toArray())
        addSchedule(scheduleFromJson(schedule.toObject(), context));
}
