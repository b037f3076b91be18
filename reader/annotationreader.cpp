// Text annotations. Lines and circles of the annotation file are not
// imported.

#include "importer/paramicsimporter.h"
#include "reader/paramicslexer.h"
#include "reader/paramicsreading.h"

namespace {

// Sias: numbers after the colour value, with "m" and "ft" between them: x,
// y, then the height (every further number replaces it). The token left
// is the first one of the text.
void readSiasPosition(ParamicsLexer& lexer, ParamicsToken& token, double unitFactor, CVPoint& position)
{
    lexer.nextToken(token);
    int numbers = 0;
    while (lexer.notAtEnd()
           && (token.isNumeric() || token.is(ParamicsToken::Metres) || token.is(ParamicsToken::Feet))) {
        if (token.isNumeric()) {
            const double value = QString(token.text).remove(QLatin1Char('"')).toDouble() * unitFactor;
            if (numbers == 0)
                position.x = value;
            else if (numbers == 1)
                position.y = value;
            else
                position.z = value;
            ++numbers;
        }
        lexer.nextToken(token);
    }
}

// The second comma-separated field of a word: ",200.0" gives 200.0.
double secondField(const QString& word)
{
    return word.section(QLatin1Char(','), 1, 1).toDouble();
}

// Quadstone: "(x ,y ,z)" split over words. The word with "(" gives x; the
// next one y from the text after its comma; every later one up to the word
// with ")" gives the height the same way: "25.0)" still holds the
// parenthesis and reads 0, so only a last word such as ",25.0,)" carries a
// height. The token left is the first one of the text.
void readQuadstonePosition(ParamicsLexer& lexer, ParamicsToken& token, double unitFactor, CVPoint& position)
{
    int fields = 0;
    while (!token.text.contains(QLatin1Char(')')) && lexer.notAtEnd()) {
        lexer.nextToken(token);
        if (token.text.contains(QLatin1Char('('))) {
            position.x = QString(token.text).remove(QLatin1Char('(')).toDouble() * unitFactor;
            ++fields;
        } else if (fields == 1) {
            position.y = secondField(token.text) * unitFactor;
            fields = 2;
        } else if (fields == 2) {
            position.z = secondField(token.text) * unitFactor;
        }
    }
    lexer.nextToken(token);
}

}  // namespace

// "text" begins a label; its "colour" value is followed by the label's
// position, in the variant's form (any version other than "Sias" uses the
// Quadstone form), and then its text, quotes included, with the words of a
// text written over several words joined by single spaces. Only the first
// "colour" after "text" reads a position and a text; one after "line" or
// "circle" is skipped with its value.
void ParamicsImporter::readAnnotations(const QString& directory)
{
    ParamicsLexer lexer;
    lexer.setModel(model);
    lexer.openFile(directory + QStringLiteral("/annotation"));

    const bool sias = version == QLatin1String("Sias");
    bool expectingText = false;
    ParamicsAnnotation* current = nullptr;

    ParamicsToken token;
    lexer.nextToken(token);
    while (lexer.notAtEnd()) {
        if (token.is(ParamicsToken::Text)) {
            if (current)
                annotations.append(current);
            current = new ParamicsAnnotation;
            expectingText = true;
            lexer.nextToken(token);
        } else if (token.is(ParamicsToken::Line) || token.is(ParamicsToken::Circle)) {
            lexer.nextToken(token);
            expectingText = false;
        } else if (token.is(ParamicsToken::Colour)) {
            lexer.nextToken(token);
            if (!expectingText || !current)
                continue;
            if (sias)
                readSiasPosition(lexer, token, unitFactor, current->position);
            else
                readQuadstonePosition(lexer, token, unitFactor, current->position);
            current->text = ParamicsReading::readQuoted(lexer, token, QStringLiteral(" "));
            expectingText = false;
        } else {
            lexer.nextToken(token);
        }
    }
    if (current)
        annotations.append(current);
}
