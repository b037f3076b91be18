// Demand profiles, in the two variants' layouts. A profile's values are
// percentages of a matrix per time step, kept in single precision.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"
#include "reader/paramicsreading.h"

#include <algorithm>
#include <limits>

namespace {

// An interval's minutes in seconds; minutes beyond what an int holds in
// seconds (some 4,000 years) are cut to that limit first.
int minutesToSeconds(int minutes)
{
    constexpr int limit = std::numeric_limits<int>::max() / 60;
    return std::clamp(minutes, -limit, limit) * 60;
}

}  // namespace

// "profile P" begins profile P (or, with "profile count N", limits the
// profile numbers); "hour H" gives the start "H" + "00:00", so "07:" is
// 07:00:00, and is followed by the values, among which further "hour"
// words are skipped with their values. A profile number above the count
// ends the file. A profile without "interval" has an interval of 0.
void ParamicsImporter::readProfilesSias(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/profile"));

    int declaredCount = std::numeric_limits<int>::max();
    float divisor = 1.0f;
    bool stopped = false;
    ParamicsProfile* current = nullptr;

    ParamicsToken token;
    lexer.nextToken(token);
    while (!stopped && lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Profile)) {
            lexer.nextToken(token);
            if (token.isNumeric()) {
                const int number = token.toInt();
                if (current)
                    replaceRecord(profiles, current->number, current);
                current = nullptr;
                if (number > declaredCount)
                    stopped = true;
                else
                    current = new ParamicsProfile(number);
            } else if (token.is(ParamicsToken::Count)) {
                lexer.nextToken(token);
                declaredCount = token.toInt();
            }
        } else if (token.is(ParamicsToken::Interval)) {
            lexer.nextToken(token);
            if (current)
                current->interval = minutesToSeconds(token.toInt());
        } else if (token.is(ParamicsToken::Divisor)) {
            lexer.nextToken(token);
            divisor = token.toFloat();
        } else if (token.is(ParamicsToken::Hour)) {
            lexer.nextToken(token);
            if (!current)
                continue;
            current->start = ParamicsReading::timeFromFields(token.text + QStringLiteral("00:00"));
            lexer.nextToken(token);
            while (lexer.notAtEnd()) {
                if (token.isNumeric()) {
                    current->values.append(token.toFloat() / divisor);
                    lexer.nextToken(token);
                } else if (token.is(ParamicsToken::Hour)) {
                    lexer.nextToken(token);
                    lexer.nextToken(token);
                } else {
                    break;
                }
            }
        } else {
            lexer.nextToken(token);
        }
    }
    if (!stopped && current)
        replaceRecord(profiles, current->number, current);
}

// "interval" sets the step length of the profiles begun after it (0 before
// any), "period P" begins profile P, and "start T" gives its start time
// followed by its values. "period count" is not a profile. A "start" line
// before the first profile is ignored with its values.
void ParamicsImporter::readProfilesQuadstone(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/profile"));

    float divisor = 1.0f;
    int interval = 0;
    ParamicsProfile* current = nullptr;

    ParamicsToken token;
    lexer.nextToken(token);
    while (lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Interval)) {
            lexer.nextToken(token);
            interval = token.toInt();
        } else if (token.is(ParamicsToken::Period)) {
            lexer.nextToken(token);
            if (token.is(ParamicsToken::Count))
                continue;
            if (current)
                replaceRecord(profiles, current->number, current);
            current = new ParamicsProfile(token.toInt(), minutesToSeconds(interval));
        } else if (token.is(ParamicsToken::Start)) {
            lexer.nextToken(token);
            if (current)
                current->start = ParamicsReading::timeFromFields(token.text);
            ParamicsReading::readNumberRun(lexer, token, [&](const ParamicsToken& value) {
                if (current)
                    current->values.append(value.toFloat() / divisor);
            });
        } else if (token.is(ParamicsToken::Divisor)) {
            lexer.nextToken(token);
            divisor = token.toFloat();
        } else {
            lexer.nextToken(token);
        }
    }
    if (current)
        replaceRecord(profiles, current->number, current);
}
