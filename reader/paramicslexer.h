#pragma once

#include "reader/paramicstoken.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>

#include <vector>

class CVModel;

// Splits a Paramics file into words and classifies them one at a time.
// "##" starts a comment to the end of its line, and the end marker
// FI_FITXER follows the last word so that a reader's loop sees every real
// word before notAtEnd() turns false. The file is mapped into memory (read
// where it cannot be); each word is classified from its bytes (numbers
// converted from them too) and decoded only when a reader asks for its
// text, so reading copies no file and allocates nothing per word. A file
// is read as UTF-8 when it is valid UTF-8 and as Latin-1 otherwise.
class ParamicsLexer
{
public:
    static const QString EndMarker;

    ParamicsLexer() = default;

    void setModel(CVModel* logModel) { model = logModel; }
    // False, with a "File not found" warning in the model's log, when the
    // file cannot be read. A missing "<name>.0" falls back to "<name>".
    // A second file opened on the same lexer follows the first.
    bool openFile(const QString& path);
    // Takes the next word into token; at the end the token is left as it was.
    void nextToken(ParamicsToken& token);
    bool notAtEnd() const { return current < sourceCount; }
    // Bytes of the files opened, for readers that size their records by it.
    qint64 bytesOpened() const { return opened; }

    // Classification of one word, as nextToken does it.
    static void classify(const QString& word, ParamicsToken& token);

private:
    struct Source
    {
        QByteArray bytes;  // the file's text, in its mapping while mappedFile is set
        std::unique_ptr<QFile> mappedFile;
        const char* next = nullptr;  // bytes before it have been split
        const char* end = nullptr;   // of the bytes
        bool utf8 = true;
        bool inComment = false;
        bool traced = false;  // every word is traced (the lexer's debug output was on when the file was opened)
    };

    // The next word of the source at or after its position, with the traits
    // of its bytes for classifyWord; false at its end.
    static bool nextWord(Source& source, const char*& word, qsizetype& length, std::uint32_t& traits);
    static void classifyWord(const char* word, qsizetype length, bool utf8, std::uint32_t traits, bool readAhead,
                             ParamicsToken& token);
    static bool isCentroid(const ParamicsToken& token, bool ascii);

    std::vector<Source> sources;  // each file opened, in order
    std::size_t sourceCount = 0;  // sources.size(), which notAtEnd asks for every word
    std::size_t current = 0;      // sources before it are used up, end marker included
    qint64 opened = 0;
    CVModel* model = nullptr;
};
