#pragma once

#include "reader/paramicstokenstream.h"

// The Sias configuration file: the stop delay and the time to red that
// signal control uses.
class ConfigurationReader
{
public:
    ConfigurationReader(ParamicsTokenStream& stream, float& stopDelay, float& toRedTime)
        : in(stream), stopDelay(stopDelay), toRedTime(toRedTime)
    {
    }

    void read();

private:
    ParamicsTokenStream& in;
    float& stopDelay;
    float& toRedTime;
};
