#pragma once

#include <QString>

// One word of a Paramics file, classified. The keyword kinds are listed in
// the order in which the lexer tests them: when a word passes several
// tests, the later one decides its kind.
struct ParamicsToken
{
    enum Kind : int {
        Numeric,
        Word,
        HashWord,
        // Keywords, in test order.
        Stop, Delay, Zone, Max, Min, Centroid, Count, To, Category, Lanes,
        Lane, Speed, Width, Colour, Type, Median, Headway, Curve, Toll, Cost,
        Signpost, Factor, Points, /* the "#" test, giving HashWord, stands here */ At, Radius, Box, Node, Link, Gradient,
        End, Arc, Left, Barred, Units, Right, Lookup, Actions, From, Phase,
        Stage, Offset, Red, Fill, Signals, Major, Medium, Minor, All, Next,
        Junction, Roundabout, Time, Locations, Out, Loop, Length, Vms, Period, Profile,
        Interval, Start, Divisor, Matrix, Hour, Text, Circle, Line, Number, Unlimited,
        Service, Timetable, Busstop, Release, On, Car, Bus, Lgv, Ogv1, Ogv2,
        Coach, Minibus, Pcus, Proportion, Metres, Feet, Ramp, Mode,
        KindCount
    };

    Kind kind = Word;
    QString text;

    bool is(Kind k) const { return kind == k; }
    bool isNumeric() const { return kind == Numeric; }
    int toInt() const { return text.toInt(); }
    double toDouble() const { return text.toDouble(); }
    float toFloat() const { return text.toFloat(); }
};

using ParamicsTokenKind = ParamicsToken::Kind;
