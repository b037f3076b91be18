#include "import/scenarioreader.h"

#include "reader/paramicstokenstream.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cmath>

namespace ScenarioReader {
namespace {

bool isWord(const ParamicsToken& token, const char* word)
{
    return token.is(ParamicsToken::Word) && token.text().compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

std::optional<double> number(const ParamicsToken& token)
{
    if (!token.isNumeric())
        return std::nullopt;
    return token.toDouble();
}

}  // namespace

std::optional<double> clockSeconds(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 3)
        return std::nullopt;
    double seconds = 0.0;
    for (const QString& part : parts) {
        bool ok = false;
        const double value = part.toDouble(&ok);
        if (!ok || value < 0.0)
            return std::nullopt;
        seconds = seconds * 60.0 + value;
    }
    // "hh:mm" counts hours and minutes, not minutes and seconds.
    return parts.size() == 2 ? seconds * 60.0 : seconds;
}

// A step ends on the token that completed or broke its sequence; the next
// pass looks at that token again, so "split seed" followed by another
// setting loses nothing.
CVScenarioSettings read(ParamicsTokenStream& in)
{
    using K = ParamicsToken;
    CVScenarioSettings settings;
    while (in.notAtEnd()) {
        const ParamicsToken& word = in.current();
        if (word.is(K::Start) || isWord(word, "simulation")) {
            const bool start = word.is(K::Start);
            if (in.next().is(K::Time)) {
                if (const auto seconds = clockSeconds(in.next().text()))
                    (start ? settings.startTime : settings.duration) = *seconds;
            }
        } else if (isWord(word, "demand")) {
            if (isWord(in.next(), "weight"))
                settings.demandWeight = number(in.next());
        } else if (isWord(word, "seed")) {
            if (const auto value = number(in.next()))
                settings.seed = int(*value);
        } else if (isWord(word, "amber")) {
            if (in.next().is(K::Time))
                settings.amberTime = number(in.next());
        } else if (word.is(K::To)) {
            // "to red time" is the stop line's time to red, which the
            // importer reads; not the all-red.
            if (in.next().is(K::Red) && in.next().is(K::Time))
                in.next();
        } else if (word.is(K::Red)) {
            if (in.next().is(K::Time))
                settings.redTime = number(in.next());
        } else if (word.is(K::Right) || word.is(K::Left)) {
            const CVRoadSide side = word.is(K::Left) ? CVRoadSide::Left : CVRoadSide::Right;
            if (isWord(in.next(), "hand") && isWord(in.next(), "drive"))
                settings.roadSide = side;
        } else {
            in.next();
        }
    }
    return settings;
}

QString describe(const CVScenarioSettings& settings)
{
    const auto clock = [](double seconds) {
        const qint64 s = qint64(std::llround(seconds));
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600, 2, 10, QLatin1Char('0'))
            .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    };
    QStringList parts;
    if (settings.startTime)
        parts << QStringLiteral("start %1").arg(clock(*settings.startTime));
    if (settings.duration)
        parts << QStringLiteral("%1 simulated").arg(clock(*settings.duration));
    if (settings.demandWeight)
        parts << QStringLiteral("demand weight %1 %").arg(*settings.demandWeight);
    if (settings.seed)
        parts << QStringLiteral("seed %1").arg(*settings.seed);
    if (settings.amberTime)
        parts << QStringLiteral("amber %1 s").arg(*settings.amberTime);
    if (settings.redTime)
        parts << QStringLiteral("all-red %1 s").arg(*settings.redTime);
    if (settings.roadSide)
        parts << (*settings.roadSide == CVRoadSide::Left ? QStringLiteral("left-hand traffic")
                                                         : QStringLiteral("right-hand traffic"));
    return parts.isEmpty() ? QStringLiteral("no settings") : parts.join(QStringLiteral(", "));
}

std::optional<CVScenarioSettings> read(const QString& directory)
{
    const QString path = QDir(directory).filePath(QStringLiteral("configuration"));
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    // No model: the importer has already said what it thinks of the file.
    ParamicsTokenStream in(nullptr, path);
    if (!in.isOpen())
        return std::nullopt;
    return read(in);
}

}  // namespace ScenarioReader
