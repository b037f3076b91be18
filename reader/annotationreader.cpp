#include "reader/annotationreader.h"

#include "reader/paramicsreading.h"

namespace {

using K = ParamicsToken;

// The second comma-separated field of a word: ",200.0" gives 200.0.
double secondField(const QString& word)
{
    return word.section(QLatin1Char(','), 1, 1).toDouble();
}

}  // namespace

void AnnotationReader::read()
{
    const ParamicsToken& token = in.current();
    bool expectingText = false;
    while (in.notAtEnd()) {
        if (token.is(K::Text)) {
            fileCurrent();
            ParamicsReading::checkCap(annotations.size(), ParamicsReading::MaxLabels, "labels", "annotation");
            current = new ParamicsAnnotation;
            expectingText = true;
            in.next();
        } else if (token.is(K::Line) || token.is(K::Circle)) {
            in.next();
            expectingText = false;
        } else if (token.is(K::Colour)) {
            in.next();
            if (!expectingText || !current)
                continue;
            if (sias)
                readSiasPosition(current->position);
            else
                readQuadstonePosition(current->position);
            current->text = ParamicsReading::readQuoted(in, QStringLiteral(" "));
            expectingText = false;
        } else {
            in.next();
        }
    }
    fileCurrent();
}

void AnnotationReader::fileCurrent()
{
    if (current)
        annotations.append(current);
    current = nullptr;
}

// Sias: numbers after the colour value, with "m" and "ft" between them: x,
// y, then the height (every further number replaces it). The token left
// is the first one of the text.
void AnnotationReader::readSiasPosition(CVPoint& position)
{
    const ParamicsToken& token = in.next();
    int numbers = 0;
    while (in.notAtEnd() && (token.isNumeric() || token.is(K::Metres) || token.is(K::Feet))) {
        if (token.isNumeric()) {
            const double value = QString(token.text()).remove(QLatin1Char('"')).toDouble() * unitFactor;
            if (numbers == 0)
                position.x = value;
            else if (numbers == 1)
                position.y = value;
            else
                position.z = value;
            ++numbers;
        }
        in.next();
    }
}

// Quadstone: "(x ,y ,z)" split over words. The word with "(" gives x; the
// next one y from the text after its comma; every later one up to the word
// with ")" gives the height the same way: "25.0)" still holds the
// parenthesis and reads 0, so only a last word such as ",25.0,)" carries a
// height. The token left is the first one of the text.
void AnnotationReader::readQuadstonePosition(CVPoint& position)
{
    const ParamicsToken& token = in.current();
    int fields = 0;
    while (!token.text().contains(QLatin1Char(')')) && in.notAtEnd()) {
        in.next();
        if (token.text().contains(QLatin1Char('('))) {
            position.x = QString(token.text()).remove(QLatin1Char('(')).toDouble() * unitFactor;
            ++fields;
        } else if (fields == 1) {
            position.y = secondField(token.text()) * unitFactor;
            fields = 2;
        } else if (fields == 2) {
            position.z = secondField(token.text()) * unitFactor;
        }
    }
    in.next();
}
