#pragma once

#include "cvexport.h"

#include <QString>
#include <QTime>

// A length of time in seconds.
class CRVKERNEL_EXPORT CVTimeDuration
{
public:
    CVTimeDuration() = default;
    explicit CVTimeDuration(double seconds) : secs(seconds) {}
    CVTimeDuration(int hours, int minutes, double seconds) : secs(hours * 3600.0 + minutes * 60.0 + seconds) {}
    // The time elapsed from 00:00:00 to t; a null time gives zero.
    static CVTimeDuration fromTime(const QTime& t) { return CVTimeDuration(t.isValid() ? t.msecsSinceStartOfDay() / 1000.0 : 0.0); }

    double toSeconds() const { return secs; }
    // "hh:mm:ss", hours running past 24 when the duration is longer than a day.
    QString toString() const;

    bool operator==(const CVTimeDuration& o) const { return secs == o.secs; }

private:
    double secs = 0.0;
};
