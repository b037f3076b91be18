#pragma once

#include "reader/paramicstoken.h"

#include <QString>

#include <vector>

class CVModel;

// Splits a Paramics file into words and classifies them one at a time.
// The whole file is read at once; "##" starts a comment to the end of its
// line, and the end marker FI_FITXER follows the last word so that a
// reader's loop sees every real word before notAtEnd() turns false.
// The words are kept as spans of the file's text, so a word costs no
// allocation until it is taken.
class ParamicsLexer
{
public:
    static const QString EndMarker;

    ParamicsLexer() = default;

    void setModel(CVModel* logModel) { model = logModel; }
    // False, with a "File not found" warning in the model's log, when the
    // file cannot be read. A missing "<name>.0" falls back to "<name>".
    bool openFile(const QString& path);
    // Takes the next word into token; at the end the token is left as it was.
    void nextToken(ParamicsToken& token);
    bool notAtEnd() const { return position < words.size(); }

    // Classification of one word, as nextToken does it.
    static void classify(const QString& word, ParamicsToken& token);

private:
    struct WordSpan
    {
        qsizetype start;
        qsizetype length;
    };

    void appendText(const QByteArray& bytes);
    void splitText(qsizetype from);
    static void classifyText(ParamicsToken& token);

    QString text;             // the file's text, and the end marker after it
    std::vector<WordSpan> words;  // the file's words in order, then the end marker
    std::size_t position = 0;   // words before it have been taken
    CVModel* model = nullptr;
};
