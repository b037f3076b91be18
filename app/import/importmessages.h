#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class CVModel;

// Warnings of one kind, with what each one names (a file, an object).
struct MessageGroup
{
    QString kind;       // e.g. "File not found"
    QStringList items;  // e.g. "profile", "matrix"; empty when the messages name nothing
    int count = 0;

    // "File not found (4): profile, matrix, beacons, annotation", listing at
    // most maxItems names.
    QString line(int maxItems) const;
};

// What one warning is, as the groups see it.
struct MessageKind
{
    QString kind;        // the group's name; the text itself for a warning of no known kind
    QString item;        // what it names (a file relative to the network, a node), or empty
    int linksFile = -1;  // N of a missing numbered links file links.N, else -1
};

// The model log's warnings of an import, put for people: plain text, an
// object link replaced by the object's name (or its id when it has none),
// warnings of one kind gathered into one line with a count. A missing
// numbered links file (links.1, links.2, ...) is where the numbered files
// end, not a missing file, and is told apart.
struct ImportMessages
{
    QList<MessageGroup> groups;
    int linksFilesRead = -1;  // links files read before the first missing numbered one; -1 when none was missing

    static ImportMessages fromWarnings(const QStringList& warnings, const CVModel* model, const QString& directory);
    // The kind of one warning, given as plainText() gives it.
    static MessageKind classify(const QString& plainWarning, const QString& directory);
    // The note on the numbered links files, e.g. "2 links file(s) read; ...".
    static QString linksNote(int linksFilesRead);

    // One line per group, e.g. "File not found (4): profile, matrix, beacons, annotation",
    // listing at most maxItems names of a group.
    QStringList lines(int maxItems = 12) const;
    int warningCount() const;

    // The log text without markup; object links become the object's name or id.
    static QString plainText(const QString& logText, const CVModel* model);
};

// What an import added, in the words of traffic modelling: one line per kind
// of network or traffic object ("sections  239"), host bookkeeping objects
// (folders, layers, configurations) left out.
namespace ImportSummary {

QStringList lines(const QMap<QString, int>& addedByType);
// The modeller's word for a host type, empty for bookkeeping types.
QString wordFor(const QString& typeName);

}  // namespace ImportSummary
