#include "map/mapdecorations.h"

#include <cvcentroid.h>
#include <cvgeomodel.h>
#include <cvlayer.h>
#include <cvmappainter.h>
#include <cvmapstyle.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvtext.h>
#include <cvturning.h>

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QVector>

#include <cmath>

namespace {

constexpr double FontPixels = 12.0;

using MapDecorations::LegendEntry;
using Swatch = MapDecorations::LegendEntry::Swatch;

QString metresText(double metres)
{
    if (metres >= 1000.0)
        return QStringLiteral("%1 km").arg(metres / 1000.0);
    return QStringLiteral("%1 m").arg(metres);
}

}  // namespace

QVector<LegendEntry> MapDecorations::legendEntries(const CVModel* model)
{
    bool section = false, node = false, yellowBox = false, stop = false, detector = false, sign = false,
         label = false, centroid = false, connection = false;
    bool turning[3] = {false, false, false};
    if (model && model->getGeoModel()) {
        for (const CVLayer* layer : model->getGeoModel()->getLayers()) {
            for (const CVObject* object : layer->getObjects()) {
                if (dynamic_cast<const CVSection*>(object))
                    section = true;
                else if (const auto* n = dynamic_cast<const CVNode*>(object)) {
                    (n->getYellowBox() ? yellowBox : node) = true;
                    // Turnings lie in no layer; their node draws them.
                    for (const CVTurning* t : n->getTurnings())
                        turning[qBound(0, t->getWarningIndicator(), 2)] = true;
                }
                else if (const auto* t = dynamic_cast<const CVTurning*>(object))
                    turning[qBound(0, t->getWarningIndicator(), 2)] = true;
                else if (dynamic_cast<const CVBusStop*>(object))
                    stop = true;
                else if (dynamic_cast<const CVDetector*>(object))
                    detector = true;
                else if (dynamic_cast<const CVVMS*>(object))
                    sign = true;
                else if (dynamic_cast<const CVText*>(object))
                    label = true;
                else if (const auto* c = dynamic_cast<const CVCentroid*>(object)) {
                    centroid = true;
                    connection = connection || !c->getConnections().isEmpty();
                }
            }
        }
    }
    QVector<LegendEntry> entries;
    const auto add = [&](bool present, const char* text, Swatch swatch, const QColor& colour, const char* type) {
        if (present)
            entries.append({QString::fromLatin1(text), swatch, colour, QString::fromLatin1(type)});
    };
    add(section, "Section", Swatch::Band, CVMapStyle::road(), "CVSection");
    add(node, "Node", Swatch::Circle, CVMapStyle::node(), "CVNode");
    add(yellowBox, "Yellow-box node", Swatch::Circle, CVMapStyle::yellowBoxNode(), "CVNode");
    add(turning[0], "Turning (major)", Swatch::Line, CVMapStyle::turningMajor(), "CVTurning");
    add(turning[1], "Turning (medium)", Swatch::Line, CVMapStyle::turningMedium(), "CVTurning");
    add(turning[2], "Turning (minor)", Swatch::Line, CVMapStyle::turningMinor(), "CVTurning");
    add(centroid, "Centroid", Swatch::Ring, CVMapStyle::centroid(), "CVCentroid");
    add(connection, "Centroid connection", Swatch::DashedLine, CVMapStyle::centroid(), "CVCenConnection");
    add(stop, "Bus stop", Swatch::Square, CVMapStyle::busStop(), "CVBusStop");
    add(detector, "Detector", Swatch::Diamond, CVMapStyle::detector(), "CVDetector");
    add(sign, "Message sign", Swatch::Triangle, CVMapStyle::messageSign(), "CVVMS");
    add(label, "Label", Swatch::Text, CVMapStyle::text(), "CVText");
    return entries;
}

void MapDecorations::drawSwatch(QPainter& painter, const LegendEntry& entry, const QPointF& centre)
{
    CVMapPainter map(painter, QTransform());
    const CVPoint at(centre.x(), centre.y());
    const CVPoints across{CVPoint(centre.x() - 9.0, centre.y()), CVPoint(centre.x() + 9.0, centre.y())};
    switch (entry.swatch) {
    case Swatch::Band:
        map.drawBand(across, 7.0, entry.colour);
        break;
    case Swatch::Line:
        map.drawLine(across, entry.colour, 2.0);
        break;
    case Swatch::DashedLine:
        map.drawLine(across, entry.colour, 1.0, Qt::DashLine);
        break;
    case Swatch::Ring:
        map.drawMarker(at, CVMapPainter::Marker::Ring, entry.colour, 10.0);
        break;
    case Swatch::Circle:
        map.drawMarker(at, CVMapPainter::Marker::Circle, entry.colour, 8.0);
        break;
    case Swatch::Square:
        map.drawMarker(at, CVMapPainter::Marker::Square, entry.colour, 8.0);
        break;
    case Swatch::Diamond:
        map.drawMarker(at, CVMapPainter::Marker::Diamond, entry.colour, 9.0);
        break;
    case Swatch::Triangle:
        map.drawMarker(at, CVMapPainter::Marker::Triangle, entry.colour, 9.0);
        break;
    case Swatch::Text:
        painter.setPen(entry.colour);
        painter.drawText(QRectF(centre.x() - 10.0, centre.y() - 8.0, 20.0, 16.0), Qt::AlignCenter,
                         QStringLiteral("Aa"));
        break;
    }
}

double MapDecorations::scaleBarMetres(double pixelsPerMetre, double maximumPixels)
{
    if (!(pixelsPerMetre > 0.0) || !std::isfinite(pixelsPerMetre) || !(maximumPixels > 0.0))
        return 0.0;
    const double longest = maximumPixels / pixelsPerMetre;
    const double power = std::pow(10.0, std::floor(std::log10(longest)));
    for (double step : {5.0, 2.0, 1.0}) {
        if (step * power <= longest)
            return step * power;
    }
    return power;
}

void MapDecorations::drawScaleBar(QPainter& painter, const QTransform& worldToScreen, const QRectF& viewport)
{
    const double pixelsPerMetre = std::hypot(worldToScreen.m11(), worldToScreen.m12());
    const double metres = scaleBarMetres(pixelsPerMetre, viewport.width() / 5.0);
    if (metres <= 0.0)
        return;
    const double length = metres * pixelsPerMetre;
    const QPointF left(viewport.left() + 16.0, viewport.bottom() - 16.0);
    const QPointF right = left + QPointF(length, 0.0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QFont font = painter.font();
    font.setPixelSize(int(FontPixels));
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 2.0));
    painter.drawLine(left, right);
    painter.drawLine(left, left - QPointF(0.0, 6.0));
    painter.drawLine(right, right - QPointF(0.0, 6.0));
    painter.drawText(QRectF(left.x(), left.y() - 24.0, length, 16.0), Qt::AlignCenter, metresText(metres));
    painter.restore();
}

void MapDecorations::drawLegend(QPainter& painter, const CVModel* model, const QRectF& viewport)
{
    const QVector<LegendEntry> entries = legendEntries(model);
    if (entries.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont font = painter.font();
    font.setPixelSize(int(FontPixels));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    double textWidth = 0.0;
    for (const LegendEntry& entry : entries)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(entry.text));
    const double rowHeight = 18.0, padding = 8.0, swatchWidth = 24.0;
    const QRectF box(viewport.right() - textWidth - swatchWidth - 3.0 * padding, viewport.top() + padding,
                     textWidth + swatchWidth + 2.0 * padding, entries.size() * rowHeight + 2.0 * padding);
    painter.setPen(QPen(QColor(160, 160, 160), 1.0));
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRect(box);
    for (int i = 0; i < entries.size(); ++i) {
        const double middle = box.top() + padding + (i + 0.5) * rowHeight;
        drawSwatch(painter, entries[i], QPointF(box.left() + padding + swatchWidth / 2.0, middle));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.left() + padding + swatchWidth + 4.0, middle - rowHeight / 2.0, textWidth + 4.0,
                                rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, entries[i].text);
    }
    painter.restore();
}
