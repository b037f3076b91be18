#pragma once

#include "reader/paramicstokenstream.h"

#include <QString>
#include <QTime>

// Values that several readers take out of a word's text, and texts that
// run over several words or numbers.
namespace ParamicsReading {

// The most records of a kind that one import takes, far above any real
// network. A file that holds more is taken as damaged: its import stops
// (CVInputError) instead of building millions of objects for minutes.
constexpr int MaxZones = 100000;
constexpr int MaxLabels = 500000;

// Ends the import when another record would make count exceed cap; what
// names the records ("zones") and file the file they come from.
void checkCap(qsizetype count, int cap, const char* what, const char* file);

// "hh:mm:ss" split at ":", absent fields 0: "07:" is 07:00:00. Null when the
// fields do not form a time of day.
QTime timeFromFields(const QString& text);

// Hours, minutes and seconds from characters 0-1, 3-4 and 6-7, as the bus
// routes file writes them. Null when they do not form a time of day.
QTime timeFromColumns(const QString& text);

// True when the token just taken is the lexer's end marker rather than a
// word of the file.
bool isEndOfFile(const ParamicsTokenStream& in);

// A quoted text that may have been split into several words. The current
// token is the text's first word. A word with two quotes is the whole text; otherwise
// the following words are added, each after the separator, up to and
// including the next word that holds a quote, or up to the end of the file.
// The stream is left on the text's last word.
QString readQuoted(ParamicsTokenStream& in, const QString& separator);

// A run of numbers: takes the token after the current one and hands each
// number to add, up to the first token that is not a number, which is left
// current for the caller's loop to look at.
template <typename Add>
void readNumberRun(ParamicsTokenStream& in, Add add)
{
    in.next();
    while (in.current().isNumeric() && in.notAtEnd()) {
        add(in.current());
        in.next();
    }
}

// The same run for readers that take only each number's value: the plain
// integers among them, most of a demand or matrix row, are converted from
// the file's bytes without making a token each.
template <typename Add>
void readNumberValues(ParamicsTokenStream& in, Add add)
{
    constexpr qsizetype BatchSize = 256;
    double values[BatchSize];
    in.next();
    while (in.current().isNumeric() && in.notAtEnd()) {
        add(in.current().toDouble());
        for (qsizetype taken; (taken = in.takePlainIntegers(values, BatchSize)) > 0;) {
            for (qsizetype i = 0; i < taken; ++i)
                add(values[i]);
        }
        in.next();
    }
}

}  // namespace ParamicsReading
