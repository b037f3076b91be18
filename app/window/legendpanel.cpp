#include "window/legendpanel.h"

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
        MapDecorations::drawSwatch(painter, entries.at(i), QPointF(padding + swatchWidth / 2.0, middle));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRectF(padding + swatchWidth + 6, middle - rowHeight / 2.0, width(), rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, entries.at(i).text);
    }
}
