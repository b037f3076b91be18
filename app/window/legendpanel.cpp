#include "window/legendpanel.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int rowHeight = 20;
constexpr int padding = 6;
constexpr int swatchWidth = 28;

}  // namespace

LegendPanel::LegendPanel(QWidget* parent) : QWidget(parent)
{
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void LegendPanel::setModel(const CVModel* model)
{
    entries = MapDecorations::legendEntries(model);
    if (!hiddenTypes.isEmpty()) {
        hiddenTypes.clear();  // a new model shows everything it has
        emit hiddenTypesChanged(hiddenTypes);
    }
    updateGeometry();
    update();
}

QStringList LegendPanel::entryTexts() const
{
    QStringList texts;
    for (const MapDecorations::LegendEntry& entry : entries)
        texts << entry.text;
    return texts;
}

bool LegendPanel::toggle(const QString& entryText)
{
    for (const MapDecorations::LegendEntry& entry : std::as_const(entries)) {
        if (entry.text != entryText)
            continue;
        if (!hiddenTypes.remove(entry.typeName))
            hiddenTypes.insert(entry.typeName);
        update();
        emit hiddenTypesChanged(hiddenTypes);
        return true;
    }
    return false;
}

void LegendPanel::mousePressEvent(QMouseEvent* event)
{
    const int row = int((event->position().y() - padding) / rowHeight);
    if (event->button() == Qt::LeftButton && row >= 0 && row < entries.size())
        toggle(entries.at(row).text);
}

QSize LegendPanel::sizeHint() const
{
    return QSize(180, 2 * padding + qMax(1, int(entries.size())) * rowHeight);
}

void LegendPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (entries.isEmpty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect().adjusted(padding, padding, -padding, -padding), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         tr("The map is empty: import a network with File > Import."));
        return;
    }
    for (int i = 0; i < entries.size(); ++i) {
        const double middle = padding + (i + 0.5) * rowHeight;
        const bool hidden = hiddenTypes.contains(entries.at(i).typeName);
        painter.setOpacity(hidden ? 0.3 : 1.0);  // switched off: greyed out
        MapDecorations::drawSwatch(painter, entries.at(i), QPointF(padding + swatchWidth / 2.0, middle));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRectF(padding + swatchWidth + 6, middle - rowHeight / 2.0, width(), rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, entries.at(i).text);
    }
}
