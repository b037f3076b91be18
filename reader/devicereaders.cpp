#include "reader/devicereaders.h"

#include "reader/paramicsreading.h"

namespace {

using K = ParamicsToken;

// Detector and beacon positions in feet are converted with this factor,
// not with the importer's unit factor.
constexpr double DeviceFeetFactor = 0.33;

// "v u": a length and its unit word, taken from the stream.
struct LengthWithUnit
{
    double value = 0.0;
    ParamicsToken::Kind unit = K::Word;
};

LengthWithUnit takeLengthWithUnit(ParamicsTokenStream& in)
{
    LengthWithUnit length;
    length.value = in.next().toDouble();
    length.unit = in.next().kind;
    return length;
}

// Detectors: anything but "m" counts as feet.
double detectorMetres(const LengthWithUnit& length)
{
    return length.unit == K::Metres ? length.value : length.value * DeviceFeetFactor;
}

// Beacons: only "ft" counts as feet.
double beaconMetres(const LengthWithUnit& length)
{
    return length.unit == K::Feet ? length.value * DeviceFeetFactor : length.value;
}

}  // namespace

void DetectorsReader::read()
{
    const ParamicsToken& token = in.current();
    while (in.notAtEnd()) {
        if (token.is(K::Loop)) {
            in.next();
            if (ParamicsReading::isEndOfFile(in))
                break;
            fileCurrent();
            current = new ParamicsDetector;
            current->id = token.text();
        } else if (token.is(K::Link)) {
            in.next();
            if (current)
                current->link = token.text();
        } else if (token.is(K::At)) {
            const LengthWithUnit at = takeLengthWithUnit(in);
            if (current)
                current->position = detectorMetres(at);
        } else if (token.is(K::Length)) {
            const LengthWithUnit length = takeLengthWithUnit(in);
            if (current)
                current->length = detectorMetres(length);
        } else {
            in.next();
        }
    }
    fileCurrent();
}

void DetectorsReader::fileCurrent()
{
    if (current)
        detectors.append(current);
    current = nullptr;
}

void BeaconsReader::read()
{
    const ParamicsToken& token = in.current();
    int countLimit = std::numeric_limits<int>::max();
    int signsBegun = 0;
    bool stopped = false;
    while (!stopped && in.notAtEnd()) {
        if (token.is(K::Count)) {
            countLimit = in.next().toInt();
        } else if (token.is(K::Vms)) {
            in.next();
            if (ParamicsReading::isEndOfFile(in))
                break;
            fileCurrent();
            if (++signsBegun > countLimit) {
                stopped = true;
            } else {
                current = new ParamicsBeacon;
                current->id = token.text();
            }
        } else if (token.is(K::Link)) {
            in.next();
            if (current)
                current->link = token.text();
        } else if (token.is(K::At)) {
            const LengthWithUnit at = takeLengthWithUnit(in);
            if (current)
                current->position = beaconMetres(at);
        } else {
            in.next();
        }
    }
    fileCurrent();
}

void BeaconsReader::fileCurrent()
{
    if (current)
        beacons.append(current);
    current = nullptr;
}
