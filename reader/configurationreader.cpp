#include "reader/configurationreader.h"

// "stop delay t" and "to red time t". A step ends on the token that
// completed or broke its sequence; the next pass looks at that token again.
void ConfigurationReader::read()
{
    using K = ParamicsToken;
    while (in.notAtEnd()) {
        if (in.current().is(K::Stop)) {
            if (in.next().is(K::Delay))
                stopDelay = in.next().toFloat();
        } else if (in.current().is(K::To)) {
            if (in.next().is(K::Red) && in.next().is(K::Time))
                toRedTime = in.next().toFloat();
        } else {
            in.next();
        }
    }
}
