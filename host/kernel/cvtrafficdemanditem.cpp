#include "cvtrafficdemanditem.h"

#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvsavedobject.h"
#include "cvvehicle.h"

#include <cmath>

void CVTrafficDemandItem::setInterval(const QTime& startTime, const CVTimeDuration& length)
{
    start = startTime.isValid() ? startTime : QTime(0, 0);
    duration = length;
}

QString CVTrafficDemandItem::getNameAutomatically(bool longName) const
{
    const QTime end = start.addMSecs(qint64(duration.toSeconds() * 1000.0));
    const QString vehicleName = vehicle ? vehicle->getName() : QStringLiteral("All vehicles");
    const QString name = QStringLiteral("%1 %2 - %3")
                             .arg(vehicleName, start.toString(QStringLiteral("HH:mm:ss")), end.toString(QStringLiteral("HH:mm:ss")));
    return longName ? QStringLiteral("OD Matrix ") + name : name;
}

void CVTrafficDemandItem::writeFields(CVFieldWriter& json) const
{
    json.insert(QStringLiteral("start"), start.toString(QStringLiteral("HH:mm:ss")));
    json.insert(QStringLiteral("duration"), duration.toSeconds());
    json.insert(QStringLiteral("vehicle"), vehicle ? QJsonValue(qint64(vehicle->getId())) : QJsonValue(QJsonValue::Null));
}

void CVTrafficDemandItem::readFields(const CVSavedObject& json, CVReadContext& context)
{
    start = QTime::fromString(json.value(QStringLiteral("start")).toString(), QStringLiteral("HH:mm:ss"));
    duration = CVTimeDuration(CVReadContext::number(json.value(QStringLiteral("duration"))));
    vehicle = context.objectAs<CVVehicle>(json.value(QStringLiteral("vehicle")));
}

QString CVTrafficDemandItem::readProblem() const
{
    // Not a number is a duration the file leaves out.
    const double seconds = duration.toSeconds();
    if (!std::isnan(seconds) && !(seconds >= 0.0 && seconds <= CVReadContext::MaxDurationSeconds))
        return QStringLiteral("lasts %1 s, not between 0 and %2 s").arg(seconds).arg(CVReadContext::MaxDurationSeconds);
    return QString();
}
