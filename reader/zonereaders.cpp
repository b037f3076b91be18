#include "reader/zonereaders.h"

#include "reader/paramicsreading.h"

namespace {

using K = ParamicsToken;

}  // namespace

void ZonesReader::read()
{
    while (in.notAtEnd()) {
        const ParamicsToken& token = in.current();
        if (token.is(K::Zone)) {
            if (!readZoneEntry())
                return;  // a zone number above the count ends the file
        } else if (token.is(K::Lookup)) {
            readLookup();
        } else if (current && token.is(K::Max)) {
            readMax();
        } else if (current && token.is(K::Min)) {
            readMin();
        } else if (current && token.is(K::Centroid)) {
            readCentroid();
        } else {
            in.next();
        }
    }
    storeCurrent();
}

// "zone count n" or a zone header; false when the header stops reading.
bool ZonesReader::readZoneEntry()
{
    const ParamicsToken& token = in.next();
    if (token.is(K::Count)) {
        zoneCount = in.next().toInt();
        return true;
    }
    storeCurrent();
    int number = token.toInt();
    if (!renumbering.isEmpty() && renumbering.contains(number))
        number = renumbering.value(number);
    if (number > zoneCount)
        return false;
    ParamicsReading::checkCap(nextIndex, ParamicsReading::MaxZones, "zones", "zones");
    current = new ParamicsZone;
    current->id = number;
    current->index = nextIndex;
    zoneNumbers.insert(nextIndex, number);
    ++nextIndex;
    return true;
}

// Pairs "a b": zone b of the files is used as zone a.
void ZonesReader::readLookup()
{
    if (in.next().is(K::Zone))
        return;
    while (in.notAtEnd() && !in.current().is(K::Zone)) {
        const int used = in.current().toInt();
        const int written = in.next().toInt();
        renumbering.insert(written, used);
        in.next();
    }
}

// "max x unit y": the unit word sets the length unit of this and later files.
void ZonesReader::readMax()
{
    const double x = in.next().toDouble();
    unitFactor = ParamicsUnits::lengthFactor(in.next());
    current->maxX = x * unitFactor;
    current->maxY = in.next().toDouble() * unitFactor;
}

void ZonesReader::readMin()
{
    current->minX = in.next().toDouble() * unitFactor;
    in.next();
    current->minY = in.next().toDouble() * unitFactor;
}

void ZonesReader::readCentroid()
{
    const double x = in.next().toDouble() * unitFactor;
    in.next();
    const double y = in.next().toDouble() * unitFactor;
    current->centroidPoint = CVPoint(x, y, 0.0);
}

void ZonesReader::storeCurrent()
{
    if (!current)
        return;
    ParamicsRecords::replace(zones, current->index, current);
    current = nullptr;
}

void CategoriesReader::read()
{
    while (in.notAtEnd()) {
        const ParamicsToken& token = in.current();
        if (token.is(K::To)) {
            limit = in.next().toInt();
        } else if (token.is(K::Category)) {
            if (!readHeader())
                return;
        } else if (current) {
            readAttribute(token);
        } else {
            in.next();
        }
    }
    storeCurrent();
}

bool CategoriesReader::readHeader()
{
    storeCurrent();
    const int number = in.next().toInt();
    if (number > limit)
        return false;
    current = new ParamicsCategory;
    current->id = number;
    return true;
}

void CategoriesReader::readAttribute(const ParamicsToken& token)
{
    switch (token.kind) {
    case K::Lanes: current->lanes = in.next().toInt(); break;
    case K::Speed: readSpeed(); break;
    case K::Width: current->width = readLength(); break;
    case K::Median:
        in.next();  // the word "width"
        current->median = readLength();
        break;
    case K::Toll: current->toll = in.next().toDouble(); break;
    case K::Cost:
        in.next();  // the word "factor"
        current->cost = in.next().toDouble();
        break;
    case K::Type: readType(token); break;
    default: in.next(); break;
    }
}

// "speed v unit", or "speed factor" (a curve speed factor, not a speed).
void CategoriesReader::readSpeed()
{
    const ParamicsToken& value = in.next();
    if (value.is(K::Factor))
        return;
    const double speed = value.toDouble();
    const bool mph = in.next().text().compare(QLatin1String("mph"), Qt::CaseInsensitive) == 0;
    current->speed = ParamicsUnits::kilometresPerHour(speed, mph);
}

// "v unit": metres, or feet for any unit word but "m".
double CategoriesReader::readLength()
{
    const double value = in.next().toDouble();
    return value * ParamicsUnits::lengthFactor(in.next());
}

// The type word itself may name the road type ("urbantype",
// "highwaytype"); otherwise the word after it is the type's name.
void CategoriesReader::readType(const ParamicsToken& typeWord)
{
    if (typeWord.text().contains(QLatin1String("urban"))) {
        current->type = QStringLiteral("Urban Road");
    } else if (typeWord.text().contains(QLatin1String("highway"))) {
        current->type = QStringLiteral("Freeway");
    } else {
        current->type = in.next().text();
    }
    in.next();
}

void CategoriesReader::storeCurrent()
{
    if (!current)
        return;
    ParamicsRecords::replace(categories, current->id, current);
    current = nullptr;
}

void CentresReader::read()
{
    while (in.notAtEnd()) {
        const ParamicsToken& token = in.current();
        if (token.is(K::Points)) {
            pointsCount = in.next().toInt();
        } else if (token.is(K::HashWord)) {
            if (!readHeader(token.toInt()))
                return;
        } else if (token.is(K::At)) {
            readPosition();
        } else if (token.is(K::Radius)) {
            const double radius = in.next().toDouble() * unitFactor;
            if (current)
                current->radius = radius;
            in.next();  // its unit word
        } else {
            in.next();
        }
    }
    storeCurrent();
}

// A number above the points count ends the file once more centres than
// that are stored; the centre being read is then dropped.
bool CentresReader::readHeader(int number)
{
    if (number > pointsCount && centres.size() > pointsCount)
        return false;
    storeCurrent();
    current = new ParamicsCentre;
    current->id = number;
    in.next();
    return true;
}

// "at x unit y unit": the first unit word sets the length unit, also
// for an entry that comes before any centre.
void CentresReader::readPosition()
{
    const double x = in.next().toDouble();
    unitFactor = ParamicsUnits::lengthFactor(in.next());
    const double y = in.next().toDouble();
    if (current) {
        current->x = x * unitFactor;
        current->y = y * unitFactor;
    }
    in.next();  // the unit word of y
}

void CentresReader::storeCurrent()
{
    if (!current)
        return;
    ParamicsRecords::replace(centres, current->id, current);
    current = nullptr;
}
