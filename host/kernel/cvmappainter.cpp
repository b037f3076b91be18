#include "cvmappainter.h"

#include "cvobject.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

QPolygonF toPolygon(const CVMapPainter& map, const CVPoints& line)
{
    QPolygonF polygon;
    polygon.reserve(line.size());
    for (const CVPoint& point : line) {
        if (point.isFinite())
            polygon.append(map.toScreen(point));
    }
    return polygon;
}

double scaleOf(const QTransform& transform)
{
    // The length of a unit vector after the transform, averaged over both
    // axes, so that a flipped y axis still gives a positive scale.
    const double sx = std::hypot(transform.m11(), transform.m12());
    const double sy = std::hypot(transform.m21(), transform.m22());
    const double scale = (sx + sy) / 2.0;
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

}  // namespace

CVMapPainter::CVMapPainter(QPainter& devicePainter, const QTransform& worldToScreen)
    : painter(devicePainter), transform(worldToScreen), pixelsPerMetre(scaleOf(worldToScreen))
{
}

QPointF CVMapPainter::toScreen(const CVPoint& point) const
{
    return transform.map(QPointF(point.x, point.y));
}

void CVMapPainter::drawBand(const CVPoints& line, double widthMetres, const QColor& colour) const
{
    const double width = std::isfinite(widthMetres) ? widthMetres * pixelsPerMetre : 1.0;
    QPen pen(colour, qMax(1.0, width), Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(toPolygon(*this, line));
}

void CVMapPainter::drawLine(const CVPoints& line, const QColor& colour, double pixelWidth, Qt::PenStyle style) const
{
    QPen pen(colour, pixelWidth, style, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(toPolygon(*this, line));
}

void CVMapPainter::drawMarker(const CVPoint& at, Marker shape, const QColor& colour, double pixelSize) const
{
    if (!showMarkers || !at.isFinite())
        return;
    const QPointF centre = toScreen(at);
    const double r = pixelSize / 2.0;
    painter.setPen(QPen(colour.darker(150), 1.0));
    painter.setBrush(colour);
    switch (shape) {
    case Marker::Circle:
        painter.drawEllipse(centre, r, r);
        break;
    case Marker::Square:
        painter.drawRect(QRectF(centre.x() - r, centre.y() - r, pixelSize, pixelSize));
        break;
    case Marker::Diamond:
        painter.drawPolygon(QPolygonF({centre + QPointF(0, -r), centre + QPointF(r, 0), centre + QPointF(0, r),
                                       centre + QPointF(-r, 0)}));
        break;
    case Marker::Triangle:
        painter.drawPolygon(QPolygonF({centre + QPointF(0, -r), centre + QPointF(r, r), centre + QPointF(-r, r)}));
        break;
    case Marker::Ring:
        // Hollow, so that it reads apart from the filled device markers.
        painter.setPen(QPen(colour, std::max(2.0, pixelSize / 5.0)));
        painter.setBrush(Qt::white);
        painter.drawEllipse(centre, r, r);
        break;
    }
}

void CVMapPainter::drawLabel(const CVPoint& at, const QString& text, const QColor& colour) const
{
    if (!showLabels || text.isEmpty() || !at.isFinite())
        return;
    const QPointF centre = toScreen(at);
    const QRectF box(centre.x() - 100.0, centre.y() - 10.0, 200.0, 20.0);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

void CVMapPainter::drawText(const CVPoint& at, const QString& text, double heightMetres, double angleDegrees,
                            const QColor& colour) const
{
    constexpr double minimumPixels = 3.0;
    // The font is laid out at a fixed size and scaled, so that a height of
    // a fraction of a pixel per metre still gives the exact size.
    constexpr double layoutPixels = 100.0;
    const double pixels = heightMetres * pixelsPerMetre;
    if (text.isEmpty() || !at.isFinite() || !std::isfinite(pixels) || pixels < minimumPixels
        || !std::isfinite(angleDegrees))
        return;
    QFont font = painter.font();
    font.setPixelSize(int(layoutPixels));
    painter.save();
    painter.translate(toScreen(at));
    painter.rotate(-angleDegrees);  // the screen's y axis points down
    painter.scale(pixels / layoutPixels, pixels / layoutPixels);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QPointF(0.0, 0.0), text);
    painter.restore();
}

bool CVMapPainter::isSelected(const CVObject* object) const
{
    return object && selectedId != 0 && object->getId() == selectedId;
}
