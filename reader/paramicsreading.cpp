#include "reader/paramicsreading.h"

#include "reader/paramicslexer.h"

#include <cvinputerror.h>

namespace ParamicsReading {

namespace {

QTime validTime(int hours, int minutes, int seconds)
{
    return QTime::isValid(hours, minutes, seconds) ? QTime(hours, minutes, seconds) : QTime();
}

}  // namespace

QTime timeFromFields(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(':'));
    auto field = [&fields](int i) { return i < fields.size() ? fields.at(i).toInt() : 0; };
    return validTime(field(0), field(1), field(2));
}

QTime timeFromColumns(const QString& text)
{
    return validTime(text.mid(0, 2).toInt(), text.mid(3, 2).toInt(), text.mid(6, 2).toInt());
}

void checkCap(qsizetype count, int cap, const char* what, const char* file)
{
    if (count >= cap)
        throw CVInputError(QStringLiteral("the %1 file holds more than %2 %3, more than any real network; "
                                          "it is taken as damaged and the import stops")
                               .arg(QLatin1String(file))
                               .arg(cap)
                               .arg(QLatin1String(what)));
}

bool isEndOfFile(const ParamicsTokenStream& in)
{
    return !in.notAtEnd() && in.current().text() == ParamicsLexer::EndMarker;
}

QString readQuoted(ParamicsTokenStream& in, const QString& separator)
{
    const ParamicsToken& token = in.current();
    if (isEndOfFile(in))
        return QString();
    const QChar quote = QLatin1Char('"');
    QString text = token.text();
    if (text.count(quote) >= 2)
        return text;
    do {
        if (!in.notAtEnd())
            break;
        in.next();
        if (isEndOfFile(in))
            break;
        text += separator + token.text();
    } while (!token.text().contains(quote));
    return text;
}

}  // namespace ParamicsReading
