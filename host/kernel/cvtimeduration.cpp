#include "cvtimeduration.h"

#include <cmath>

QString CVTimeDuration::toString() const
{
    const long long total = std::llround(std::fabs(secs));
    const QString text = QStringLiteral("%1:%2:%3")
                             .arg(total / 3600, 2, 10, QLatin1Char('0'))
                             .arg((total / 60) % 60, 2, 10, QLatin1Char('0'))
                             .arg(total % 60, 2, 10, QLatin1Char('0'));
    return secs < 0 ? QLatin1Char('-') + text : text;
}
