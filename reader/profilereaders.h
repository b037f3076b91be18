#pragma once

#include "reader/paramicstokenstream.h"
#include "reader/paramicstrafficrecords.h"

#include <QMap>

#include <limits>

// Readers of the profile file, in the two variants' layouts. A profile's
// values are percentages of a matrix per time step, kept in single
// precision and divided by the divisor in force when they are read.

// Sias: "profile P" begins profile P (or, with "profile count N", limits the
// profile numbers); "hour H" gives the start "H" + "00:00", so "07:" is
// 07:00:00, and is followed by the values, among which further "hour"
// words are skipped with their values. A profile number above the count
// ends the file. A profile without "interval" has an interval of 0.
class SiasProfilesReader
{
public:
    SiasProfilesReader(ParamicsTokenStream& stream, QMap<int, ParamicsProfile*>& profiles)
        : in(stream), profiles(profiles)
    {
    }
    ~SiasProfilesReader() { delete current; }
    SiasProfilesReader(const SiasProfilesReader&) = delete;
    SiasProfilesReader& operator=(const SiasProfilesReader&) = delete;

    void read();

private:
    void readProfileHeader();
    void readHour();
    void fileCurrent();

    ParamicsTokenStream& in;
    QMap<int, ParamicsProfile*>& profiles;
    int declaredCount = std::numeric_limits<int>::max();
    float divisor = 1.0f;
    bool stopped = false;
    ParamicsProfile* current = nullptr;
};

// Quadstone: "interval" sets the step length of the profiles begun after
// it (0 before any), "period P" begins profile P, and "start T" gives its
// start time followed by its values. "period count" is not a profile. A
// "start" line before the first profile is ignored with its values.
class QuadstoneProfilesReader
{
public:
    QuadstoneProfilesReader(ParamicsTokenStream& stream, QMap<int, ParamicsProfile*>& profiles)
        : in(stream), profiles(profiles)
    {
    }
    ~QuadstoneProfilesReader() { delete current; }
    QuadstoneProfilesReader(const QuadstoneProfilesReader&) = delete;
    QuadstoneProfilesReader& operator=(const QuadstoneProfilesReader&) = delete;

    void read();

private:
    void readStart();
    void fileCurrent();

    ParamicsTokenStream& in;
    QMap<int, ParamicsProfile*>& profiles;
    float divisor = 1.0f;
    int interval = 0;
    ParamicsProfile* current = nullptr;
};
