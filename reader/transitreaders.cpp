// Bus stops and bus routes.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"
#include "reader/paramicsreading.h"

#include <limits>

namespace {

// Stop positions in feet are converted with this factor, not with the
// importer's unit factor.
constexpr double StopFeetFactor = 0.33;

// Takes the next word; false at the end of the file.
bool takeWord(ParamicsLexer& lexer, ParamicsToken& token)
{
    lexer.nextToken(token);
    return !ParamicsReading::isEndOfFile(lexer, token);
}

}  // namespace

// A stop is a line "number link position unit name": any number outside
// such a line begins a stop, except the values after "length" and "zone".
// The name is kept as written, quotes included; a name split over several
// words is joined without spaces.
void ParamicsImporter::readBusStops(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/busstops"));

    ParamicsBusStop* current = nullptr;
    auto fileCurrent = [&] {
        if (current)
            replaceRecord(busStops, current->number, current);
        current = nullptr;
    };

    ParamicsToken token;
    lexer.nextToken(token);
    while (lexer.notAtEnd()) {
        if (token.isNumeric()) {
            fileCurrent();
            current = new ParamicsBusStop(token.toInt());
            // A stop cut short by the end of the file keeps what it has.
            if (!takeWord(lexer, token))
                break;
            current->link = token.text;
            if (!takeWord(lexer, token))
                break;
            current->position = token.toDouble();
            if (!takeWord(lexer, token))
                break;
            if (token.is(ParamicsToken::Feet))
                current->position *= StopFeetFactor;
            lexer.nextToken(token);
            current->name = ParamicsReading::readQuoted(lexer, token, QString());
            // The name's last word is looked at again: as a word it is skipped.
        } else if (token.is(ParamicsToken::Length) || token.is(ParamicsToken::Zone)) {
            lexer.nextToken(token);
            lexer.nextToken(token);
        } else {
            lexer.nextToken(token);
        }
    }
    fileCurrent();
}

// "number NAME" begins a route; a number after "number" is no route name.
// With "count N", beginning route N + 1 ends the file and that route is not
// kept; without "count" there is no limit. Release times are read from fixed
// character positions of the second word after "release". After a value is
// taken, the loop looks at the value token again. Lines before the first
// route have no route to apply to and are ignored.
void ParamicsImporter::readBusRoutes(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/busroutes"));

    int routeCount = std::numeric_limits<int>::max();
    int routesBegun = 0;
    bool stopped = false;
    ParamicsBusRoute* current = nullptr;

    ParamicsToken token;
    lexer.nextToken(token);
    while (!stopped && lexer.notAtEnd()) {
        switch (token.kind) {
        case ParamicsToken::Count:
            lexer.nextToken(token);
            routeCount = token.toInt();
            break;
        case ParamicsToken::Number:
            lexer.nextToken(token);
            if (token.isNumeric())
                break;
            ++routesBegun;
            if (current)
                replaceRecord(busRoutes, current->name, current);
            current = nullptr;
            if (routesBegun > routeCount)
                stopped = true;
            else
                current = new ParamicsBusRoute(token.text);
            break;
        case ParamicsToken::Release:
            lexer.nextToken(token);
            lexer.nextToken(token);
            if (current)
                current->releases.append(ParamicsReading::timeFromColumns(token.text));
            break;
        case ParamicsToken::Node:
            lexer.nextToken(token);
            if (current)
                current->routeNodes.append(token.text);
            break;
        case ParamicsToken::Busstop:
            lexer.nextToken(token);
            if (current)
                current->stops.append(ParamicsRouteStop{token.toInt(), QTime()});
            break;
        case ParamicsToken::Type:
        case ParamicsToken::Timetable:
            lexer.nextToken(token);
            break;
        default:
            lexer.nextToken(token);
            break;
        }
    }
    if (!stopped && current)
        replaceRecord(busRoutes, current->name, current);
}
