// Detectors, beacons (variable message signs) and annotations. After a
// keyword's values are taken, the loop looks at the last value token again,
// as the other readers do: names, numbers and units are skipped there, while
// a keyword written in place of a value still takes effect ("vms count 2"
// begins a sign named count, then sets the count).

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"
#include "reader/paramicsreading.h"

#include <limits>

namespace {

// Detector and beacon positions in feet are converted with this factor,
// not with the importer's unit factor.
constexpr double DeviceFeetFactor = 0.33;

// "v u": a length and its unit word, taken from the lexer.
struct LengthWithUnit
{
    double value = 0.0;
    ParamicsToken::Kind unit = ParamicsToken::Word;
};

LengthWithUnit takeLengthWithUnit(ParamicsLexer& lexer, ParamicsToken& token)
{
    LengthWithUnit length;
    lexer.nextToken(token);
    length.value = token.toDouble();
    lexer.nextToken(token);
    length.unit = token.kind;
    return length;
}

// Detectors: anything but "m" counts as feet.
double detectorMetres(const LengthWithUnit& length)
{
    return length.unit == ParamicsToken::Metres ? length.value : length.value * DeviceFeetFactor;
}

// Beacons: only "ft" counts as feet.
double beaconMetres(const LengthWithUnit& length)
{
    return length.unit == ParamicsToken::Feet ? length.value * DeviceFeetFactor : length.value;
}

}  // namespace

// "loop ID" (or "sloop ID") begins a detector; "link", "at" and "length"
// fill the current one and are ignored before the first.
void ParamicsImporter::readDetectors(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/detectors"));

    ParamicsDetector* current = nullptr;
    ParamicsToken token;
    lexer.nextToken(token);
    while (lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Loop)) {
            lexer.nextToken(token);
            if (ParamicsReading::isEndOfFile(lexer, token))
                break;
            if (current)
                detectors.append(current);
            current = new ParamicsDetector;
            current->id = token.text;
        } else if (token.is(ParamicsToken::Link)) {
            lexer.nextToken(token);
            if (current)
                current->link = token.text;
        } else if (token.is(ParamicsToken::At)) {
            const LengthWithUnit at = takeLengthWithUnit(lexer, token);
            if (current)
                current->position = detectorMetres(at);
        } else if (token.is(ParamicsToken::Length)) {
            const LengthWithUnit length = takeLengthWithUnit(lexer, token);
            if (current)
                current->length = detectorMetres(length);
        } else {
            lexer.nextToken(token);
        }
    }
    if (current)
        detectors.append(current);
}

// "vms ID" begins a sign. With "count N", beginning sign N + 1 ends the
// file and that sign is not kept; without it there is no limit.
void ParamicsImporter::readBeacons(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/beacons"));

    int countLimit = std::numeric_limits<int>::max();
    int signsBegun = 0;
    bool stopped = false;
    ParamicsBeacon* current = nullptr;

    ParamicsToken token;
    lexer.nextToken(token);
    while (!stopped && lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Count)) {
            lexer.nextToken(token);
            countLimit = token.toInt();
        } else if (token.is(ParamicsToken::Vms)) {
            lexer.nextToken(token);
            if (ParamicsReading::isEndOfFile(lexer, token))
                break;
            if (current)
                beacons.append(current);
            current = nullptr;
            if (++signsBegun > countLimit) {
                stopped = true;
            } else {
                current = new ParamicsBeacon;
                current->id = token.text;
            }
        } else if (token.is(ParamicsToken::Link)) {
            lexer.nextToken(token);
            if (current)
                current->link = token.text;
        } else if (token.is(ParamicsToken::At)) {
            const LengthWithUnit at = takeLengthWithUnit(lexer, token);
            if (current)
                current->position = beaconMetres(at);
        } else {
            lexer.nextToken(token);
        }
    }
    if (current)
        beacons.append(current);
}
