#pragma once

#include "reader/paramicsarearecords.h"
#include "reader/paramicstokenstream.h"

#include <QMap>

// Readers of the zones, categories and centres files.
//
// Each reader walks its file once: a keyword's action takes the tokens of
// its layout, and the token it ends on is looked at again by the next pass
// (a number or unit word left over is skipped there, a keyword acted on).

// The zones file: a zone count, an optional lookup list renumbering the
// zones, then per zone its header and its box and centroid lines. Zones are
// keyed by reading position; zoneNumbers maps that position to the number.
class ZonesReader
{
public:
    ZonesReader(ParamicsTokenStream& stream, QMap<int, ParamicsZone*>& zones, QMap<int, int>& zoneNumbers,
                QMap<int, int>& renumbering, double& unitFactor)
        : in(stream), zones(zones), zoneNumbers(zoneNumbers), renumbering(renumbering), unitFactor(unitFactor)
    {
    }

    void read();

private:
    bool readZoneEntry();
    void readLookup();
    void readMax();
    void readMin();
    void readCentroid();
    void storeCurrent();

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
    CategoriesReader(const CategoriesReader&) = delete;
    CategoriesReader& operator=(const CategoriesReader&) = delete;

    void read();

private:
    bool readHeader();
    void readAttribute(const ParamicsToken& token);
    void readSpeed();
    double readLength();
    void readType(const ParamicsToken& typeWord);
    void storeCurrent();

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
    CentresReader(const CentresReader&) = delete;
    CentresReader& operator=(const CentresReader&) = delete;

    void read();

private:
    bool readHeader(int number);
    void readPosition();
    void storeCurrent();

    ParamicsTokenStream& in;
    QMap<int, ParamicsCentre*>& centres;
    double& unitFactor;
    int pointsCount = 0;
    ParamicsCentre* current = nullptr;
};
