#include "cvmappainter.h"

#include "cvobject.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

// The screen points of a line, in a buffer that each draw call reuses: a
// frame of a region draws tens of thousands of lines.
const QPolygonF& toPolygon(const CVMapPainter& map, const CVPoints& line)
{
    thread_local QPolygonF polygon;
    polygon.resize(0);
    polygon.reserve(line.size());
    const QTransform& t = map.getTransform();
    if (t.type() <= QTransform::TxScale) {
        // The map's own transform: a scale and a shift, worked out directly.
        for (const CVPoint& point : line) {
            if (point.isFinite())
                polygon.append(QPointF(t.m11() * point.x + t.dx(), t.m22() * point.y + t.dy()));
        }
        return polygon;
    }
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

CVMapPainter::~CVMapPainter()
{
    flush();
}

void CVMapPainter::flush() const
{
    if (pendingLines.isEmpty())
        return;
    painter.drawLines(pendingLines.constData(), int(pendingLines.size()));
    pendingLines.resize(0);
}

QPointF CVMapPainter::toScreen(const CVPoint& point) const
{
    return transform.map(QPointF(point.x, point.y));
}

void CVMapPainter::drawBand(const CVPoints& line, double widthMetres, const QColor& colour) const
{
    const double width = qMax(1.0, std::isfinite(widthMetres) ? widthMetres * pixelsPerMetre : 1.0);
    // Roads follow each other with the same pen; setting it again costs.
    const QPen& current = painter.pen();
    if (current.widthF() != width || current.color() != colour || current.style() != Qt::SolidLine
        || current.capStyle() != Qt::FlatCap || current.joinStyle() != Qt::RoundJoin) {
        flush();
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    }
    if (painter.brush().style() != Qt::NoBrush) {
        flush();
        painter.setBrush(Qt::NoBrush);
    }
    const QPolygonF& onScreen = toPolygon(*this, line);
    if (onScreen.size() == 2) {
        pendingLines.append(QLineF(onScreen.at(0), onScreen.at(1)));
        return;
    }
    flush();
    painter.drawPolyline(onScreen);
}

void CVMapPainter::drawLine(const CVPoints& line, const QColor& colour, double pixelWidth, Qt::PenStyle style) const
{
    flush();
    QPen pen(colour, pixelWidth, style, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(toPolygon(*this, line));
}

namespace {

void paintMarker(QPainter& painter, const QPointF& centre, CVMapPainter::Marker shape, const QColor& colour,
                 double pixelSize)
{
    using Marker = CVMapPainter::Marker;
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

// A marker drawn once into a small image and then copied: a map of a
// region shows tens of thousands of them, and copying pixels costs a
// fraction of drawing antialiased outlines each time.
struct Sprite
{
    QImage image;
    QPointF centre;  // in the image
};

const Sprite& markerSprite(CVMapPainter::Marker shape, const QColor& colour, double pixelSize)
{
    thread_local QHash<QString, Sprite> sprites;
    const QString key = QStringLiteral("%1/%2/%3").arg(int(shape)).arg(colour.rgba()).arg(pixelSize);
    auto found = sprites.constFind(key);
    if (found != sprites.constEnd())
        return *found;
    const int side = int(std::ceil(pixelSize + std::max(2.0, pixelSize / 5.0) + 2.0));
    Sprite sprite{QImage(side, side, QImage::Format_ARGB32_Premultiplied), QPointF(side / 2.0, side / 2.0)};
    sprite.image.fill(Qt::transparent);
    QPainter painter(&sprite.image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    paintMarker(painter, sprite.centre, shape, colour, pixelSize);
    painter.end();
    if (sprites.size() > 256)
        sprites.clear();  // colours and sizes of a map are few; this only bounds odd uses
    return *sprites.insert(key, sprite);
}

}  // namespace

void CVMapPainter::drawMarker(const CVPoint& at, Marker shape, const QColor& colour, double pixelSize) const
{
    if (!showMarkers || !at.isFinite() || !std::isfinite(pixelSize) || pixelSize <= 0.0)
        return;
    flush();
    const QPointF centre = toScreen(at);
    // Large markers (a legend's swatches, a close zoom) are drawn as shapes.
    if (pixelSize > 32.0 || !painter.transform().isIdentity()) {
        paintMarker(painter, centre, shape, colour, pixelSize);
        return;
    }
    const Sprite& sprite = markerSprite(shape, colour, pixelSize);
    painter.drawImage(QPointF(std::round(centre.x() - sprite.centre.x()), std::round(centre.y() - sprite.centre.y())),
                      sprite.image);
}

void CVMapPainter::drawLabel(const CVPoint& at, const QString& text, const QColor& colour) const
{
    if (!showLabels || text.isEmpty() || !at.isFinite())
        return;
    flush();
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
    flush();
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
