#include "reader/profilereaders.h"

#include "reader/paramicsreading.h"

#include <algorithm>
#include <limits>

namespace {

using K = ParamicsToken;

// An interval's minutes in seconds; minutes beyond what an int holds in
// seconds (some 4,000 years) are cut to that limit first.
int minutesToSeconds(int minutes)
{
    constexpr int limit = std::numeric_limits<int>::max() / 60;
    return std::clamp(minutes, -limit, limit) * 60;
}

}  // namespace

void SiasProfilesReader::read()
{
    const ParamicsToken& token = in.current();
    while (!stopped && in.notAtEnd()) {
        if (token.is(K::Profile)) {
            readProfileHeader();
        } else if (token.is(K::Interval)) {
            in.next();
            if (current)
                current->interval = minutesToSeconds(token.toInt());
        } else if (token.is(K::Divisor)) {
            divisor = in.next().toFloat();
        } else if (token.is(K::Hour)) {
            readHour();
        } else {
            in.next();
        }
    }
    if (!stopped)
        fileCurrent();
}

void SiasProfilesReader::readProfileHeader()
{
    const ParamicsToken& token = in.next();
    if (token.isNumeric()) {
        const int number = token.toInt();
        fileCurrent();
        if (number > declaredCount)
            stopped = true;
        else
            current = new ParamicsProfile(number);
    } else if (token.is(K::Count)) {
        declaredCount = in.next().toInt();
    }
}

// "hour H v1 v2 ..."; an "hour" with no profile begun is skipped alone.
void SiasProfilesReader::readHour()
{
    const ParamicsToken& token = in.next();
    if (!current)
        return;
    current->start = ParamicsReading::timeFromFields(token.text() + QStringLiteral("00:00"));
    in.next();
    while (in.notAtEnd()) {
        if (token.isNumeric()) {
            current->values.append(token.toFloat() / divisor);
            in.next();
        } else if (token.is(K::Hour)) {
            in.next();
            in.next();
        } else {
            break;
        }
    }
}

void SiasProfilesReader::fileCurrent()
{
    if (current)
        ParamicsRecords::replace(profiles, current->number, current);
    current = nullptr;
}

void QuadstoneProfilesReader::read()
{
    const ParamicsToken& token = in.current();
    while (in.notAtEnd()) {
        if (token.is(K::Interval)) {
            interval = in.next().toInt();
        } else if (token.is(K::Period)) {
            in.next();
            if (token.is(K::Count))
                continue;
            fileCurrent();
            current = new ParamicsProfile(token.toInt(), minutesToSeconds(interval));
        } else if (token.is(K::Start)) {
            readStart();
        } else if (token.is(K::Divisor)) {
            divisor = in.next().toFloat();
        } else {
            in.next();
        }
    }
    fileCurrent();
}

void QuadstoneProfilesReader::readStart()
{
    const ParamicsToken& token = in.next();
    if (current)
        current->start = ParamicsReading::timeFromFields(token.text());
    ParamicsReading::readNumberRun(in, [&](const ParamicsToken& value) {
        if (current)
            current->values.append(value.toFloat() / divisor);
    });
}

void QuadstoneProfilesReader::fileCurrent()
{
    if (current)
        ParamicsRecords::replace(profiles, current->number, current);
    current = nullptr;
}
