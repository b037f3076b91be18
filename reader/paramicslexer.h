#pragma once

#include "reader/paramicstoken.h"

#include <cvguardedmapping.h>

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class CVLog;
class CVModel;
class ParamicsNetworkEncoding;

// Splits a Paramics file into words and classifies them one at a time.
// "##" starts a comment to the end of its line, and the end marker
// FI_FITXER follows the last word so that a reader's loop sees every real
// word before notAtEnd() turns false. The file is mapped into memory (read
// where it cannot be); each word is classified from its bytes (numbers
// converted from them too) and decoded only when a reader asks for its
// text, so reading copies no file and allocates nothing per word.
//
// Text is UTF-8 or, from older tools, Latin-1. An import reads every file
// of a network with one encoding (networkEncoding), so that the same bytes
// give the same name in every file; a lexer left to itself decides per
// file. The network's encoding is only worked out once some file shows a
// byte past ASCII (ParamicsNetworkEncoding): the words of an ASCII file
// read the same either way. A UTF-8 byte-order mark at the start is no
// part of the text, and a file marked as UTF-16 or UTF-32 is read as the
// UTF-8 of its text.
class ParamicsLexer
{
public:
    static const QString EndMarker;

    enum class TextEncoding { PerFile, Utf8, Latin1 };

    ParamicsLexer() = default;

    // Where a missing file is reported: the model's log, or another log
    // (a reading running beside the import keeps its own until it joins).
    void setModel(CVModel* logModel);
    void setLog(CVLog* fileLog) { log = fileLog; }
    // How the files opened from now on are decoded.
    void setEncoding(TextEncoding fileEncoding)
    {
        encoding = fileEncoding;
        network = nullptr;
    }
    // As the network's one encoding, asked for when a file opened from now
    // on first shows a byte past ASCII; the network must outlive the lexer.
    void setEncoding(const ParamicsNetworkEncoding* networkEncoding) { network = networkEncoding; }
    // The one encoding for every Paramics file of a directory: UTF-8 when
    // each of them is valid UTF-8, Latin-1 for all otherwise.
    static TextEncoding networkEncoding(const QString& directory);
    // Whether a file name is one an import reads (zones, links.3, ...).
    static bool isNetworkFileName(const QString& name);
    // False, with a "File not found" warning in the model's log, when the
    // file cannot be read. A missing "<name>.0" falls back to "<name>".
    // A second file opened on the same lexer follows the first.
    bool openFile(const QString& path);
    // Takes the next word into token; at the end the token is left as it was.
    void nextToken(ParamicsToken& token);
    bool notAtEnd() const { return current < sourceCount; }
    // The plain integers (words of up to 15 digits, exact as doubles) that
    // follow in the file, at most capacity of them, into values: what
    // nextToken would give for each, taken straight from the bytes. Stops
    // before any other word, and before a comment, a byte past ASCII or
    // the file's end, all left to nextToken. Returns how many were taken.
    qsizetype takePlainIntegers(double* values, qsizetype capacity);
    // Bytes of the files opened, for readers that size their records by it.
    qint64 bytesOpened() const { return opened; }

    // Classification of one word, as nextToken does it.
    static void classify(const QString& word, ParamicsToken& token);

private:
    struct Source
    {
        QByteArray bytes;  // the file's text, in its mapping while mapping is set
        std::unique_ptr<CVGuardedMapping> mapping;
        QString path;
        const char* next = nullptr;  // bytes before it have been split
        const char* end = nullptr;   // of the bytes
        bool utf8 = true;
        // Asked for utf8 at the first byte past ASCII, then cleared.
        const ParamicsNetworkEncoding* undecided = nullptr;
        bool inComment = false;
        bool traced = false;  // every word is traced (the lexer's debug output was on when the file was opened)
    };

    // The next word of the source at or after its position, with the traits
    // of its bytes for classifyWord; false at its end.
    static bool nextWord(Source& source, const char*& word, qsizetype& length, std::uint32_t& traits);
    static void classifyWord(const char* word, qsizetype length, bool utf8, std::uint32_t traits, bool readAhead,
                             ParamicsToken& token);
    static bool isCentroid(const ParamicsToken& token, bool ascii);
    // Whether the source's text is UTF-8, deciding it first if undecided.
    static bool textIsUtf8(Source& source);
    // Ends the import when the file shrank while its mapping was read.
    static void throwIfDamaged(const Source& source);

    std::vector<Source> sources;  // each file opened, in order
    std::size_t sourceCount = 0;  // sources.size(), which notAtEnd asks for every word
    std::size_t current = 0;      // sources before it are used up, end marker included
    qint64 opened = 0;
    CVLog* log = nullptr;
    TextEncoding encoding = TextEncoding::PerFile;
    const ParamicsNetworkEncoding* network = nullptr;
};

// The one encoding of a network's files (ParamicsLexer::networkEncoding),
// looked for once, by the first lexer on any thread that needs it; the
// others wait for its answer. Without a directory each file decides its own.
class ParamicsNetworkEncoding
{
public:
    ParamicsNetworkEncoding() = default;
    explicit ParamicsNetworkEncoding(const QString& networkDirectory) : directory(networkDirectory) {}

    // Throws CVInputError as networkEncoding does, to each caller.
    ParamicsLexer::TextEncoding encoding() const;
    // Whether the files have been looked at.
    bool decided() const;

private:
    QString directory;
    mutable std::mutex mutex;
    mutable std::optional<ParamicsLexer::TextEncoding> found;
};
