#include "check/inputscan.h"

#include <QFile>
#include <QSet>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The words of the lines that hold the text, "##" comment lines left out.
// Only those lines are split: a region's files are megabytes.
QList<QList<QByteArray>> linesWith(const QByteArray& bytes, const QByteArray& text)
{
    QList<QList<QByteArray>> lines;
    for (qsizetype at = bytes.indexOf(text); at >= 0; at = bytes.indexOf(text, at + 1)) {
        const qsizetype begin = bytes.lastIndexOf('\n', at) + 1;
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        const QByteArray line = bytes.mid(begin, end - begin).simplified();
        if (!line.startsWith("##"))
            lines.append(line.split(' '));
        at = end;
    }
    return lines;
}

QString unitOfWord(const QByteArray& word)
{
    return word == "m" || word == "m," ? QStringLiteral("Metric") : QStringLiteral("Feet");
}

// The unit of the words that follow a keyword, two words on ("max 10 m").
QString unitWordsAfter(const QByteArray& bytes, const QByteArray& keyword)
{
    QSet<QString> units;
    for (const QList<QByteArray>& words : linesWith(bytes, keyword)) {
        for (qsizetype i = 0; i + 2 < words.size(); ++i) {
            if (words[i] == keyword)
                units.insert(unitOfWord(words[i + 2]));
        }
    }
    if (units.size() > 1)
        return QStringLiteral("Metric and Feet");
    return units.isEmpty() ? QString() : *units.cbegin();
}

// Whether the word stands on its own somewhere in the text.
bool hasWord(const QByteArray& bytes, const QByteArray& word)
{
    for (qsizetype at = bytes.indexOf(word); at >= 0; at = bytes.indexOf(word, at + 1)) {
        const qsizetype after = at + word.size();
        if ((at == 0 || isSpace(bytes[at - 1])) && (after == bytes.size() || isSpace(bytes[after])))
            return true;
    }
    return false;
}

void scanVariantWords(const QString& directory, InputScan& scan)
{
    const QByteArray priorities = readFile(directory + QStringLiteral("/priorities"));
    if (hasWord(priorities, "stage"))
        scan.siasSigns << QStringLiteral("priorities: stage");
    if (hasWord(priorities, "phase"))
        scan.quadstoneSigns << QStringLiteral("priorities: phase");
    const QByteArray profile = readFile(directory + QStringLiteral("/profile"));
    if (hasWord(profile, "hour"))
        scan.siasSigns << QStringLiteral("profile: hour");
    if (hasWord(profile, "period"))
        scan.quadstoneSigns << QStringLiteral("profile: period");
}

void scanConfiguration(const QString& directory, InputScan& scan)
{
    const QString path = directory + QStringLiteral("/configuration");
    scan.hasConfiguration = QFile::exists(path);
    const QByteArray bytes = readFile(path);
    for (const QList<QByteArray>& words : linesWith(bytes, "units")) {
        if (words.size() >= 2 && words[0] == "units")
            scan.configurationUnits = words[1].toLower() == "metric" ? QStringLiteral("Metric") : QStringLiteral("Feet");
    }
    for (const QList<QByteArray>& words : linesWith(bytes, "hand drive")) {
        if (words.size() >= 3 && words[1] == "hand" && words[2] == "drive")
            scan.configurationRule = QString::fromLatin1(words[0].toLower());
    }
}

void scanRouteNames(const QString& directory, InputScan& scan)
{
    QMap<QString, QStringList> written;
    for (const QList<QByteArray>& words : linesWith(readFile(directory + QStringLiteral("/busroutes")), "number")) {
        if (words.size() < 2 || (words[0] != "number" && words[0] != "number:"))
            continue;
        const QString full = QString::fromLatin1(words.mid(1).join(' '));
        const QString cut = QString::fromLatin1(words[1]);
        if (!written[cut].contains(full))
            written[cut].append(full);
    }
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        if (it.value().size() > 1)
            scan.routesCutToOneName.insert(it.key(), it.value());
    }
}

}  // namespace

InputScan InputScan::of(const QString& directory, Depth depth)
{
    InputScan scan;
    const struct
    {
        const char* file;
        const char* keyword;
    } unitFiles[] = {{"zones", "max"}, {"centres", "at"}, {"nodes", "Box"}};
    for (const auto& unitFile : unitFiles) {
        const QString unit = unitWordsAfter(readFile(directory + QLatin1Char('/') + QLatin1String(unitFile.file)),
                                            QByteArray(unitFile.keyword));
        if (!unit.isEmpty())
            scan.unitWords.append({QLatin1String(unitFile.file), unit});
    }
    scanConfiguration(directory, scan);
    if (depth == Depth::Everything) {
        scanVariantWords(directory, scan);
        scanRouteNames(directory, scan);
    }
    return scan;
}

QString InputScan::unitAfterReading(const QString& chosenUnit) const
{
    QString unit = chosenUnit;
    for (const auto& file : unitWords)
        unit = file.second.endsWith(QLatin1String("Feet")) ? QStringLiteral("Feet") : QStringLiteral("Metric");
    return unit;
}

QString InputScan::unitsText(const QString& chosenUnit) const
{
    const QString last = unitAfterReading(chosenUnit);
    QStringList others;
    for (const auto& file : unitWords) {
        if (file.second != last)
            others << QStringLiteral("%1: %2").arg(file.first, file.second);
    }
    return others.isEmpty() ? last : QStringLiteral("%1 (%2)").arg(last, others.join(QStringLiteral(", ")));
}
