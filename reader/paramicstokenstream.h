#pragma once

#include "reader/containers/paramicsrecordmap.h"
#include "reader/paramicslexer.h"
#include "reader/paramicsunits.h"

// Shared by the readers: one file's tokens taken one at a time, and the
// conversions of unit words.
class ParamicsTokenStream
{
public:
    // Opens the file and takes its first token. An import passes the
    // network's one encoding (ParamicsLexer::networkEncoding).
    ParamicsTokenStream(CVModel* model, const QString& path,
                        ParamicsLexer::TextEncoding encoding = ParamicsLexer::TextEncoding::PerFile)
    {
        lexer.setModel(model);
        open(path, encoding);
    }
    // The same, reporting a missing file to the given log.
    ParamicsTokenStream(CVLog* log, const QString& path, ParamicsLexer::TextEncoding encoding)
    {
        lexer.setLog(log);
        open(path, encoding);
    }
    // The same, in the network's one encoding, decided only if the file
    // holds a byte past ASCII.
    ParamicsTokenStream(CVLog* log, const QString& path, const ParamicsNetworkEncoding& encoding)
    {
        lexer.setLog(log);
        open(path, &encoding);
    }

    bool isOpen() const { return opened; }

    // The file's size in bytes (0 when it could not be opened).
    qint64 fileSize() const { return lexer.bytesOpened(); }
    // True while the current token is a word of the file, not the end marker.
    bool notAtEnd() const { return lexer.notAtEnd(); }
    const ParamicsToken& current() const { return token; }
    // The plain integers that follow the current token (ParamicsLexer::
    // takePlainIntegers); the current token stays, and next() takes the
    // word after them.
    qsizetype takePlainIntegers(double* values, qsizetype capacity)
    {
        return lexer.takePlainIntegers(values, capacity);
    }
    // Takes the next token and returns it; at the end it stays the end marker.
    const ParamicsToken& next()
    {
        lexer.nextToken(token);
        return token;
    }

private:
    template <typename Encoding>
    void open(const QString& path, Encoding encoding)
    {
        lexer.setEncoding(encoding);
        opened = lexer.openFile(path);
        lexer.nextToken(token);
    }

    ParamicsLexer lexer;
    ParamicsToken token;
    bool opened = false;
};

namespace ParamicsUnits {

// Metres per file unit for a length unit word: "m" (or "m,") is metres,
// anything else is taken as feet.
inline double lengthFactor(const ParamicsToken& unitWord)
{
    return unitWord.is(ParamicsToken::Metres) ? 1.0 : FeetFactor;
}

// A speed in km/h from a value and its unit word.
inline double kilometresPerHour(double value, bool milesPerHour)
{
    return milesPerHour ? value * 8.0 / 5.0 : value;
}

}  // namespace ParamicsUnits
