// Zones, link categories and arc centres.
//
// Each reader walks its file once: a keyword's action takes the tokens of
// its layout, and the token it ends on is looked at again by the next pass
// (a number or unit word left over is skipped there, a keyword acted on).

#include "importer/paramicsimporter.h"
#include "reader/paramicstokenstream.h"

namespace {

using K = ParamicsToken;

// The zones file: a zone count, an optional lookup list renumbering the
// zones, then per zone its header and its box and centroid lines.
class ZonesReader
{
public:
    ZonesReader(ParamicsTokenStream& stream, QMap<int, ParamicsZone*>& zones, QMap<int, int>& zoneNumbers,
                QMap<int, int>& renumbering, double& unitFactor)
        : in(stream), zones(zones), zoneNumbers(zoneNumbers), renumbering(renumbering), unitFactor(unitFactor)
    {
    }

    void read()
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

private:
    // "zone count n" or a zone header; false when the header stops reading.
    bool readZoneEntry()
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
        current = new ParamicsZone;
        current->id = number;
        current->index = nextIndex;
        zoneNumbers.insert(nextIndex, number);
        ++nextIndex;
        return true;
    }

    // Pairs "a b": zone b of the files is used as zone a.
    void readLookup()
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
    void readMax()
    {
        const double x = in.next().toDouble();
        unitFactor = ParamicsUnits::lengthFactor(in.next());
        current->maxX = x * unitFactor;
        current->maxY = in.next().toDouble() * unitFactor;
    }

    void readMin()
    {
        current->minX = in.next().toDouble() * unitFactor;
        in.next();
        current->minY = in.next().toDouble() * unitFactor;
    }

    void readCentroid()
    {
        const double x = in.next().toDouble() * unitFactor;
        in.next();
        const double y = in.next().toDouble() * unitFactor;
        current->centroidPoint = CVPoint(x, y, 0.0);
    }

    void storeCurrent()
    {
        if (!current)
            return;
        ParamicsRecords::replace(zones, current->index, current);
        current = nullptr;
    }

    ParamicsTokenStream& in;
    QMap<int, ParamicsZone*>& zones;
    QMap<int, int>& zoneNumbers;
    QMap<int, int>& renumbering;
    double& unitFactor;
    int zoneCount = 0;
    int nextIndex = 0;
    ParamicsZone* current = nullptr;
};

// The categories file: the highest category number, then per category its
// header and attribute words.
class CategoriesReader
{
public:
    CategoriesReader(ParamicsTokenStream& stream, QMap<int, ParamicsCategory*>& categories)
        : in(stream), categories(categories)
    {
    }

    ~CategoriesReader() { delete current; }

    void read()
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

private:
    bool readHeader()
    {
        storeCurrent();
        const int number = in.next().toInt();
        if (number > limit)
            return false;
        current = new ParamicsCategory;
        current->id = number;
        return true;
    }

    void readAttribute(const ParamicsToken& token)
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
    void readSpeed()
    {
        const ParamicsToken& value = in.next();
        if (value.is(K::Factor))
            return;
        const double speed = value.toDouble();
        const bool mph = in.next().text.compare(QLatin1String("mph"), Qt::CaseInsensitive) == 0;
        current->speed = ParamicsUnits::kilometresPerHour(speed, mph);
    }

    // "v unit": metres, or feet for any unit word but "m".
    double readLength()
    {
        const double value = in.next().toDouble();
        return value * ParamicsUnits::lengthFactor(in.next());
    }

    // The type word itself may name the road type ("urbantype",
    // "highwaytype"); otherwise the word after it is the type's name.
    void readType(const ParamicsToken& typeWord)
    {
        if (typeWord.text.contains(QLatin1String("urban"))) {
            current->type = QStringLiteral("Urban Road");
        } else if (typeWord.text.contains(QLatin1String("highway"))) {
            current->type = QStringLiteral("Freeway");
        } else {
            current->type = in.next().text;
        }
        in.next();
    }

    void storeCurrent()
    {
        if (!current)
            return;
        ParamicsRecords::replace(categories, current->id, current);
        current = nullptr;
    }

    ParamicsTokenStream& in;
    QMap<int, ParamicsCategory*>& categories;
    int limit = 0;
    ParamicsCategory* current = nullptr;
};

// The centres file: the number of control points, then "#n at x y radius r"
// per arc centre.
class CentresReader
{
public:
    CentresReader(ParamicsTokenStream& stream, QMap<int, ParamicsCentre*>& centres, double& unitFactor)
        : in(stream), centres(centres), unitFactor(unitFactor)
    {
    }

    ~CentresReader() { delete current; }

    void read()
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

private:
    // A number above the points count ends the file once more centres than
    // that are stored; the centre being read is then dropped.
    bool readHeader(int number)
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
    void readPosition()
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

    void storeCurrent()
    {
        if (!current)
            return;
        ParamicsRecords::replace(centres, current->id, current);
        current = nullptr;
    }

    ParamicsTokenStream& in;
    QMap<int, ParamicsCentre*>& centres;
    double& unitFactor;
    int pointsCount = 0;
    ParamicsCentre* current = nullptr;
};

}  // namespace

void ParamicsImporter::readZones(const QString& directory)
{
    ParamicsTokenStream stream(model, directory + QStringLiteral("/zones"));
    ZonesReader(stream, zones, zoneNumbers, zoneRenumbering, unitFactor).read();
}

void ParamicsImporter::readCategories(const QString& directory)
{
    ParamicsTokenStream stream(model, directory + QStringLiteral("/categories"));
    CategoriesReader(stream, categories).read();
}

void ParamicsImporter::readCentres(const QString& directory)
{
    ParamicsTokenStream stream(model, directory + QStringLiteral("/centres"));
    CentresReader(stream, centres, unitFactor).read();
}
