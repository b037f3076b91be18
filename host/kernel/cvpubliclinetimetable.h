#pragma once

#include "cvobject.h"
#include "cvtimeduration.h"

#include <QHash>
#include <QVector>

#include <memory>
#include <vector>

class CVPublicLine;

// One departure of a line: when (mean and deviation from 00:00:00) and with
// which vehicle type.
class CRVKERNEL_EXPORT CVPublicLineTimeTableDeparture
{
public:
    void setMeanTime(const CVTimeDuration& t) { meanTime = t; }
    CVTimeDuration getMeanTime() const { return meanTime; }
    void setDeviationTime(const CVTimeDuration& t) { deviationTime = t; }
    CVTimeDuration getDeviationTime() const { return deviationTime; }
    void setVehicle(CVObject* vehicleType) { vehicle = vehicleType; }
    CVObject* getVehicle() const { return vehicle; }

private:
    CVTimeDuration meanTime;
    CVTimeDuration deviationTime;
    CVObject* vehicle = nullptr;
};

// Dwell time at a stop: mean, deviation and offset, in seconds.
class CRVKERNEL_EXPORT CVPublicLineTimeTableScheduleStopTime
{
public:
    CVPublicLineTimeTableScheduleStopTime() = default;
    CVPublicLineTimeTableScheduleStopTime(double mean, double deviation, double offset)
        : meanTime(mean), deviationTime(deviation), offsetTime(offset)
    {
    }
    double meanTime = 0.0;
    double deviationTime = 0.0;
    double offsetTime = 0.0;
};

// The departures of a line over one period, and the stops it serves.
class CRVKERNEL_EXPORT CVPublicLineTimeTableSchedule
{
public:
    enum DepartureType { Interval = 0, FixedTimes = 1 };

    void setDepartureType(int type) { departureType = type; }
    int getDepartureType() const { return departureType; }
    // Keeps a copy.
    void addDepartureTime(const CVPublicLineTimeTableDeparture& departure) { departures.append(departure); }
    const QVector<CVPublicLineTimeTableDeparture>& getDepartureTimes() const { return departures; }
    void addStop(CVObject* stop);
    const QVector<unsigned int>& getStops() const { return stops; }
    void setStopTime(CVObject* stop, const CVPublicLineTimeTableScheduleStopTime& stopTime);
    CVPublicLineTimeTableScheduleStopTime getStopTime(unsigned int stopId) const { return stopTimes.value(stopId); }
    const QHash<unsigned int, CVPublicLineTimeTableScheduleStopTime>& getStopTimes() const { return stopTimes; }

private:
    int departureType = Interval;
    QVector<CVPublicLineTimeTableDeparture> departures;
    QVector<unsigned int> stops;
    QHash<unsigned int, CVPublicLineTimeTableScheduleStopTime> stopTimes;
};

// A line's timetable: its schedules, owned.
class CRVKERNEL_EXPORT CVPublicLineTimeTable : public CVObject
{
public:
    CVPublicLineTimeTable(CVModel* model, const CVType* type);
    ~CVPublicLineTimeTable() override;

    // Takes ownership of the schedule.
    void addSchedule(CVPublicLineTimeTableSchedule* schedule);
    QVector<CVPublicLineTimeTableSchedule*> getSchedules() const;
    void setPublicLine(CVPublicLine* owner) { line = owner; }
    CVPublicLine* getPublicLine() const { return line; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    std::vector<std::unique_ptr<CVPublicLineTimeTableSchedule>> schedules;
    CVPublicLine* line = nullptr;
};
