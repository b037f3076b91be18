#pragma once

#include <QTreeWidget>
#include <QVector>

// The main window's list of the model log's warnings (and of the
// application's own problems), grouped as `corvia import` prints them: one
// row per kind of message and severity ("Roundabout nodes (201)"), the
// messages of a kind unfolded under it, each by what it names (a node, a
// file); a kind met once is one row ("Roundabout nodes: 3"). The first
// missing numbered links file is a note below them, as on the command
// line. A row
// whose message links to a model object (<A HREF="OBJ_REF://id">...</A>)
// asks for that object when clicked.
class LogPanel : public QTreeWidget
{
    Q_OBJECT
public:
    explicit LogPanel(QWidget* parent = nullptr);

    // Level is the log's: "warning", "error" or "info".
    // shownText, when given, is what the row says (the log's text names
    // objects by host id); the object link is read from text.
    void addEntry(const QString& level, const QString& text, const QString& shownText = QString());
    void clearEntries();
    // The network's directory: files are named relative to it. Groups again.
    void setDirectory(const QString& networkDirectory);

    // The top-level rows as shown, e.g. "File not found (4)".
    QStringList groupTexts() const;
    // The rows under the group that reads text.
    QStringList childTexts(const QString& groupText) const;

    // The id of the first object link in a log text, 0 when it has none.
    static unsigned int objectReference(const QString& text);
    // The text as the user reads it: markup removed, entities resolved.
    static QString plainText(const QString& text);

signals:
    void objectRequested(unsigned int objectId);

private:
    struct Entry
    {
        QString level;
        QString shown;
        unsigned int objectId;
    };
    void place(const Entry& entry);
    QTreeWidgetItem* groupRow(const QString& level, const QString& kind);
    void requestObjectOf(QTreeWidgetItem* item);

    QVector<Entry> entries;
    QString directory;
    QHash<QString, QTreeWidgetItem*> groups;  // by level and kind
    QTreeWidgetItem* linksNote = nullptr;
};
