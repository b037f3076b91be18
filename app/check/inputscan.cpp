#include "check/inputscan.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {

// The file's lines, split into words, without "##" comment lines.
QList<QStringList> wordLines(const QString& path)
{
    QList<QStringList> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("##")))
            continue;
        lines.append(line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts));
    }
    return lines;
}

QString unitOfWord(const QString& word)
{
    return word == QLatin1String("m") || word == QLatin1String("m,") ? QStringLiteral("Metric") : QStringLiteral("Feet");
}

// The unit of the words that follow a keyword, two words on ("max 10 m").
QString unitWordsAfter(const QList<QStringList>& lines, const QString& keyword)
{
    QSet<QString> units;
    for (const QStringList& words : lines) {
        for (int i = 0; i + 2 < words.size(); ++i) {
            if (words[i] == keyword)
                units.insert(unitOfWord(words[i + 2]));
        }
    }
    if (units.size() > 1)
        return QStringLiteral("Metric and Feet");
    return units.isEmpty() ? QString() : *units.cbegin();
}

bool hasWord(const QList<QStringList>& lines, const QString& word)
{
    for (const QStringList& words : lines) {
        if (words.contains(word))
            return true;
    }
    return false;
}

void scanVariantWords(const QString& directory, InputScan& scan)
{
    const QList<QStringList> priorities = wordLines(directory + QStringLiteral("/priorities"));
    if (hasWord(priorities, QStringLiteral("stage")))
        scan.siasSigns << QStringLiteral("priorities: stage");
    if (hasWord(priorities, QStringLiteral("phase")))
        scan.quadstoneSigns << QStringLiteral("priorities: phase");
    const QList<QStringList> profile = wordLines(directory + QStringLiteral("/profile"));
    if (hasWord(profile, QStringLiteral("hour")))
        scan.siasSigns << QStringLiteral("profile: hour");
    if (hasWord(profile, QStringLiteral("period")))
        scan.quadstoneSigns << QStringLiteral("profile: period");
}

void scanConfiguration(const QString& directory, InputScan& scan)
{
    const QString path = directory + QStringLiteral("/configuration");
    scan.hasConfiguration = QFile::exists(path);
    for (const QStringList& words : wordLines(path)) {
        if (words.size() >= 2 && words[0] == QLatin1String("units"))
            scan.configurationUnits = words[1].toLower() == QLatin1String("metric") ? QStringLiteral("Metric") : QStringLiteral("Feet");
        if (words.size() >= 3 && words[1] == QLatin1String("hand") && words[2] == QLatin1String("drive"))
            scan.configurationRule = words[0].toLower();
    }
}

void scanRouteNames(const QString& directory, InputScan& scan)
{
    QFile file(directory + QStringLiteral("/busroutes"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QMap<QString, QStringList> written;
    static const QRegularExpression number(QStringLiteral("^\\s*number:?\\s+(\\S.*?)\\s*$"));
    while (!file.atEnd()) {
        const QRegularExpressionMatch match = number.match(QString::fromLatin1(file.readLine()));
        if (!match.hasMatch())
            continue;
        const QString full = match.captured(1);
        const QString cut = full.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        if (!written[cut].contains(full))
            written[cut].append(full);
    }
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        if (it.value().size() > 1)
            scan.routesCutToOneName.insert(it.key(), it.value());
    }
}

}  // namespace

InputScan InputScan::of(const QString& directory)
{
    InputScan scan;
    const struct
    {
        const char* file;
        const char* keyword;
    } unitFiles[] = {{"zones", "max"}, {"centres", "at"}, {"nodes", "Box"}};
    for (const auto& unitFile : unitFiles) {
        const QString unit = unitWordsAfter(wordLines(directory + QLatin1Char('/') + QLatin1String(unitFile.file)),
                                            QLatin1String(unitFile.keyword));
        if (!unit.isEmpty())
            scan.unitWords.append({QLatin1String(unitFile.file), unit});
    }
    scanVariantWords(directory, scan);
    scanConfiguration(directory, scan);
    scanRouteNames(directory, scan);
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
