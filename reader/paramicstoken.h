#pragma once

#include "reader/containers/paramicsname.h"

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

    // How the lexer found the text written, when it is a plain decimal
    // (digits with at most one point, an optional sign): such a word is
    // converted once, when it is classified, to the value that the text's
    // own conversion gives. Other texts are converted when asked.
    enum class Form : quint8 { Other, Integer, Decimal };

    Kind kind = Word;
    Form form = Form::Other;
    int integer = 0;     // Integer: the value, 0 when it does not fit an int
    double number = 0.0; // Integer and Decimal: the value

    ParamicsToken() = default;
    // A copy holds its own text, never the bytes of the file it came from.
    ParamicsToken(const ParamicsToken& other);
    ParamicsToken& operator=(const ParamicsToken& other);

    // The word as written ("#" removed from a HashWord's text). The lexer
    // hands out words as places in the file's bytes; the text is decoded
    // the first time it is asked for, so numbers and keywords never are.
    const QString& text() const
    {
        if (pending)
            decode();
        return decoded;
    }
    // The word as a name to look up: its bytes where they are its
    // characters (so that it need not be decoded), its text otherwise.
    // Valid until the next token is taken.
    ParamicsNamePart namePart() const
    {
        if (pending && bytesAreLatin1 && !hashesStripped)
            return ParamicsNamePart(bytes, size);
        return ParamicsNamePart(text());
    }
    void setText(const QString& word)
    {
        decoded = word;
        pending = false;
    }

    bool is(Kind k) const { return kind == k; }
    bool isNumeric() const { return kind == Numeric; }
    // As QString::toInt, toDouble and toFloat of text give them (0 when the
    // text does not convert).
    int toInt() const { return form == Form::Integer ? integer : form == Form::Decimal ? 0 : text().toInt(); }
    double toDouble() const { return form == Form::Other ? text().toDouble() : number; }
    float toFloat() const { return form == Form::Other ? text().toFloat() : float(number); }

private:
    friend class ParamicsLexer;

    // Points the text at a word's bytes, valid until the lexer moves past
    // the file; UTF-8 or Latin-1 as the file is.
    void setBytes(const char* word, qsizetype length, bool utf8, bool stripHashes)
    {
        bytes = word;
        size = length;
        bytesAreUtf8 = utf8;
        bytesAreLatin1 = !utf8;
        hashesStripped = stripHashes;
        pending = true;
    }
    void decode() const;

    mutable QString decoded;  // reused from word to word
    const char* bytes = nullptr;
    qsizetype size = 0;
    bool bytesAreUtf8 = true;
    bool bytesAreLatin1 = false;  // each byte is one character: a Latin-1 file's, or an ASCII word
    bool hashesStripped = false;
    mutable bool pending = false;
};

using ParamicsTokenKind = ParamicsToken::Kind;
