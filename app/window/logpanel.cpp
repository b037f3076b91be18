#include "window/logpanel.h"

#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace {

constexpr int objectIdRole = Qt::UserRole + 1;

}  // namespace

LogPanel::LogPanel(QWidget* parent) : QListWidget(parent)
{
    setAlternatingRowColors(true);
    setWordWrap(true);
    connect(this, &QListWidget::itemClicked, this, &LogPanel::requestObjectOf);
    connect(this, &QListWidget::itemActivated, this, &LogPanel::requestObjectOf);
}

void LogPanel::addEntry(const QString& level, const QString& text, const QString& shownText)
{
    auto* item = new QListWidgetItem(shownText.isEmpty() ? plainText(text) : shownText, this);
    if (level == QLatin1String("error"))
        item->setForeground(QColor(180, 0, 0));
    const unsigned int id = objectReference(text);
    if (id != 0) {
        item->setData(objectIdRole, id);
        item->setToolTip(tr("Click to show object %1 on the map").arg(id));
        QFont font = item->font();
        font.setUnderline(true);
        item->setFont(font);
    }
    scrollToItem(item);
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

void LogPanel::requestObjectOf(QListWidgetItem* item)
{
    const unsigned int id = item ? item->data(objectIdRole).toUInt() : 0;
    if (id != 0)
        emit objectRequested(id);
}
