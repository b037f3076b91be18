#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVector>

class CVModel;
class QPainter;

// What a map needs around the network to be read: a scale bar and a
// legend of the kinds of objects that the model holds.
namespace MapDecorations {

// A bar of a round length (1, 2 or 5 times a power of ten metres), about a
// fifth of the viewport wide, in its bottom left corner.
void drawScaleBar(QPainter& painter, const QTransform& worldToScreen, const QRectF& viewport);
// The bar's length in metres for a zoom and the pixels it may take.
double scaleBarMetres(double pixelsPerMetre, double maximumPixels);

// One kind of object on the map: its name and how it looks.
struct LegendEntry
{
    enum class Swatch { Band, Line, DashedLine, Circle, Ring, Square, Diamond, Triangle, Text };
    QString text;
    Swatch swatch;
    QColor colour;
    QString typeName;  // the kind of object it stands for, which the legend switches on and off
};

// The kinds of objects the model holds on its map, in the order the legend lists them.
QVector<LegendEntry> legendEntries(const CVModel* model);
// The symbol of a kind, about 20 pixels wide, centred there.
void drawSwatch(QPainter& painter, const LegendEntry& entry, const QPointF& centre);

// One line per kind of object on the map (one pass over the layers), in
// the top right corner.
void drawLegend(QPainter& painter, const CVModel* model, const QRectF& viewport);

}  // namespace MapDecorations
