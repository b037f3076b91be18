#include "import/importmessages.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvobject.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace {

struct KnownKind
{
    QRegularExpression pattern;  // captures what the message names
    QString kind;
};

const QList<KnownKind>& knownKinds()
{
    static const QList<KnownKind> kinds = {
        {QRegularExpression(QStringLiteral("^File: (.*)\\. File not found$")), QStringLiteral("File not found")},
        {QRegularExpression(QStringLiteral("^Node: (.*) is a roundabout$")), QStringLiteral("Roundabout nodes")},
    };
    return kinds;
}

// "links.N" with N >= 1: the links reader tries them in turn until one is missing.
int numberedLinksFile(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^links\\.([1-9][0-9]*)$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString relativeTo(const QString& directory, const QString& path)
{
    if (directory.isEmpty())
        return path;
    const QString relative = QDir(QFileInfo(directory).absoluteFilePath()).relativeFilePath(QFileInfo(path).absoluteFilePath());
    return relative.startsWith(QLatin1String("..")) ? path : relative;
}

MessageGroup& groupOf(QList<MessageGroup>& groups, const QString& kind)
{
    for (MessageGroup& group : groups) {
        if (group.kind == kind)
            return group;
    }
    groups.append(MessageGroup{kind, {}, 0});
    return groups.last();
}

}  // namespace

QString ImportMessages::plainText(const QString& logText, const CVModel* model)
{
    static const QRegularExpression link(QStringLiteral("<a\\s+href\\s*=\\s*\"OBJ_REF://(\\d+)\"\\s*>(.*?)</a>"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString text = logText;
    QRegularExpressionMatch match;
    qsizetype from = 0;
    while ((match = link.match(text, from)).hasMatch()) {
        const CVObject* object = model ? model->getCatalog()->find(match.captured(1).toUInt()) : nullptr;
        const QString name = object && !object->getName().isEmpty() ? object->getName() : match.captured(1);
        text.replace(match.capturedStart(), match.capturedLength(), name.toHtmlEscaped());
        from = match.capturedStart() + name.toHtmlEscaped().size();
    }
    if (!text.contains(QLatin1Char('<')) && !text.contains(QLatin1Char('&')))
        return text;
    return QTextDocumentFragment::fromHtml(text).toPlainText();
}

MessageKind ImportMessages::classify(const QString& text, const QString& directory)
{
    for (const KnownKind& known : knownKinds()) {
        const QRegularExpressionMatch match = known.pattern.match(text);
        if (!match.hasMatch())
            continue;
        MessageKind kind{known.kind, match.captured(1)};
        if (known.kind == QLatin1String("File not found")) {
            kind.item = relativeTo(directory, kind.item);
            kind.linksFile = numberedLinksFile(kind.item);
        }
        return kind;
    }
    return MessageKind{text, QString()};
}

ImportMessages ImportMessages::fromWarnings(const QStringList& warnings, const CVModel* model, const QString& directory)
{
    ImportMessages messages;
    for (const QString& warning : warnings) {
        const MessageKind kind = classify(plainText(warning, model), directory);
        if (kind.linksFile > 0 && messages.linksFilesRead < 0) {
            messages.linksFilesRead = kind.linksFile;  // links, links.1 ... links.(N-1) were read
            continue;
        }
        MessageGroup& group = groupOf(messages.groups, kind.kind);
        if (!kind.item.isEmpty())
            group.items.append(kind.item);
        ++group.count;
    }
    return messages;
}

QString ImportMessages::linksNote(int linksFilesRead)
{
    return QStringLiteral("%1 links file(s) read; the numbered links files end at links.%1").arg(linksFilesRead);
}

QString MessageGroup::line(int maxItems) const
{
    QString line = kind;
    if (count > 1)
        line += QStringLiteral(" (%1)").arg(count);
    if (!items.isEmpty()) {
        line += QStringLiteral(": ") + items.mid(0, maxItems).join(QStringLiteral(", "));
        if (items.size() > maxItems)
            line += QStringLiteral(" and %1 more").arg(items.size() - maxItems);
    }
    return line;
}

QStringList ImportMessages::lines(int maxItems) const
{
    QStringList result;
    for (const MessageGroup& group : groups)
        result.append(group.line(maxItems));
    return result;
}

int ImportMessages::warningCount() const
{
    int total = 0;
    for (const MessageGroup& group : groups)
        total += group.count;
    return total;
}

namespace ImportSummary {

namespace {

struct Word
{
    const char* typeName;
    const char* word;
};

// In the order a modeller reads a network: roads, junctions, zones, control, demand, transit, devices.
constexpr Word words[] = {
    {"CVSection", "sections"},
    {"CVNode", "nodes"},
    {"CVTurning", "turnings"},
    {"CVCentroid", "centroids"},
    {"CVCenConnection", "centroid connections"},
    {"CVControlPlanSignal", "turning signals"},
    {"CVVehicle", "vehicle types"},
    {"CVODMatrix", "OD matrices"},
    {"CVBusStop", "bus stops"},
    {"CVPublicLine", "bus lines"},
    {"CVPublicLineTimeTable", "timetables"},
    {"CVDetector", "detectors"},
    {"CVVMS", "message signs"},
    {"CVText", "labels"},
    {"CVRoadType", "road types"},
};

}  // namespace

QString wordFor(const QString& typeName)
{
    for (const Word& word : words) {
        if (typeName == QLatin1String(word.typeName))
            return QString::fromLatin1(word.word);
    }
    return QString();
}

QStringList lines(const QMap<QString, int>& addedByType)
{
    QStringList result;
    for (const Word& word : words) {
        const int count = addedByType.value(QString::fromLatin1(word.typeName));
        if (count > 0)
            result.append(QStringLiteral("%1 %2").arg(QString::fromLatin1(word.word), -22).arg(count));
    }
    return result;
}

}  // namespace ImportSummary
