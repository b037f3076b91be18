#include "window/logpanel.h"

#include "import/importmessages.h"

#include <QRegularExpression>
#include <QStyle>
#include <QTextDocumentFragment>

namespace {

constexpr int objectIdRole = Qt::UserRole + 1;
constexpr int countRole = Qt::UserRole + 2;
constexpr int itemRole = Qt::UserRole + 3;  // what a group's only message names
constexpr int messageRole = Qt::UserRole + 4;  // and its text

// The row stands for one message (or for none, with an empty one).
void showMessage(QTreeWidgetItem* row, const QString& message, unsigned int objectId)
{
    row->setData(0, messageRole, message);
    row->setData(0, objectIdRole, objectId);
    QFont font = row->font(0);
    font.setUnderline(objectId != 0);
    row->setFont(0, font);
    row->setToolTip(0, objectId == 0 ? message : LogPanel::tr("%1\nClick to show it on the map").arg(message));
}

// A message under its group's row: what it names, or its text.
void addMessageRow(QTreeWidgetItem* group, const QString& named, const QString& message, unsigned int objectId)
{
    showMessage(new QTreeWidgetItem(group, QStringList{named}), message, objectId);
}

}  // namespace

LogPanel::LogPanel(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setAlternatingRowColors(true);
    setWordWrap(true);
    setUniformRowHeights(false);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { requestObjectOf(item); });
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { requestObjectOf(item); });
}

void LogPanel::addEntry(const QString& level, const QString& text, const QString& shownText)
{
    entries.append(Entry{level, shownText.isEmpty() ? plainText(text) : shownText, objectReference(text)});
    place(entries.constLast());
}

void LogPanel::clearEntries()
{
    entries.clear();
    setDirectory(QString());
}

void LogPanel::setDirectory(const QString& networkDirectory)
{
    directory = networkDirectory;
    clear();
    groups.clear();
    linksNote = nullptr;
    for (const Entry& entry : entries)
        place(entry);
}

void LogPanel::place(const Entry& entry)
{
    const MessageKind kind = ImportMessages::classify(entry.shown, directory);
    if (kind.linksFile > 0 && !linksNote) {
        linksNote = new QTreeWidgetItem(this, QStringList{ImportMessages::linksNote(kind.linksFile)});
        linksNote->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxInformation));
        return;
    }
    QTreeWidgetItem* group = groupRow(entry.level, kind.kind);
    const int count = group->data(0, countRole).toInt() + 1;
    group->setData(0, countRole, count);
    const QString named = kind.item.isEmpty() ? entry.shown : kind.item;
    if (count == 1) {
        // One message of its kind is one row, as the command line prints it.
        group->setText(0, MessageGroup{kind.kind, kind.item.isEmpty() ? QStringList() : QStringList{kind.item}, 1}.line(1));
        group->setData(0, itemRole, named);
        showMessage(group, entry.shown, entry.objectId);
        return;
    }
    if (count == 2) {
        // The first message moves under the group's row.
        addMessageRow(group, group->data(0, itemRole).toString(), group->data(0, messageRole).toString(),
                      group->data(0, objectIdRole).toUInt());
        showMessage(group, QString(), 0);
    }
    addMessageRow(group, named, entry.shown, entry.objectId);
    group->setText(0, MessageGroup{kind.kind, {}, count}.line(0));
}

QTreeWidgetItem* LogPanel::groupRow(const QString& level, const QString& kind)
{
    QTreeWidgetItem*& group = groups[level + QLatin1Char('\n') + kind];
    if (!group) {
        group = new QTreeWidgetItem;
        // The groups come first, the note on the links files after them.
        insertTopLevelItem(linksNote ? indexOfTopLevelItem(linksNote) : topLevelItemCount(), group);
        const bool error = level == QLatin1String("error");
        group->setIcon(0, style()->standardIcon(error ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning));
        if (error)
            group->setForeground(0, QColor(180, 0, 0));
        scrollToItem(group);
    }
    return group;
}

QStringList LogPanel::groupTexts() const
{
    QStringList texts;
    for (int i = 0; i < topLevelItemCount(); ++i)
        texts << topLevelItem(i)->text(0);
    return texts;
}

QStringList LogPanel::childTexts(const QString& groupText) const
{
    QStringList texts;
    const QList<QTreeWidgetItem*> found = findItems(groupText, Qt::MatchExactly, 0);
    for (int i = 0; !found.isEmpty() && i < found.first()->childCount(); ++i)
        texts << found.first()->child(i)->text(0);
    return texts;
}

unsigned int LogPanel::objectReference(const QString& text)
{
    static const QRegularExpression link(QStringLiteral("<a\\s+href\\s*=\\s*\"OBJ_REF://(\\d+)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = link.match(text);
    if (!match.hasMatch())
        return 0;
    bool ok = false;
    const unsigned int id = match.captured(1).toUInt(&ok);
    return ok ? id : 0;
}

QString LogPanel::plainText(const QString& text)
{
    if (!text.contains(QLatin1Char('<')) && !text.contains(QLatin1Char('&')))
        return text;
    return QTextDocumentFragment::fromHtml(text).toPlainText();
}

void LogPanel::requestObjectOf(QTreeWidgetItem* item)
{
    const unsigned int id = item ? item->data(0, objectIdRole).toUInt() : 0;
    if (id != 0)
        emit objectRequested(id);
}
