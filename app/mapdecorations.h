#pragma once

#include <QRectF>
#include <QTransform>

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

// One line per kind of object on the map (one pass over the layers), in
// the top right corner.
void drawLegend(QPainter& painter, const CVModel* model, const QRectF& viewport);

}  // namespace MapDecorations
