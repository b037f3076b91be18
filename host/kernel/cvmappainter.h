#pragma once

#include "cvpoints.h"

#include <QColor>
#include <QPointF>
#include <QLineF>
#include <QSet>
#include <QString>
#include <QVector>
#include <QTransform>

class CVObject;
class QPainter;

// What a map object draws itself with: a painter and the transform from
// model coordinates (metres, y to the north) to the painter's device
// (pixels, y down). Widths given in metres scale with the zoom; widths and
// sizes given in pixels stay the same at every zoom, so markers stay
// visible on a network seen as a whole.
class CRVKERNEL_EXPORT CVMapPainter
{
public:
    enum class Marker { Circle, Square, Diamond, Triangle, Ring };

    CVMapPainter(QPainter& painter, const QTransform& worldToScreen);
    // Draws what is still collected.
    ~CVMapPainter();
    CVMapPainter(const CVMapPainter&) = delete;
    CVMapPainter& operator=(const CVMapPainter&) = delete;

    // The painter, once everything drawn before is on it.
    QPainter& getPainter() const
    {
        flush();
        return painter;
    }
    // Straight bands that follow each other with one pen are collected and
    // drawn in one call (a region seen whole is tens of thousands of
    // them); this draws what is collected. Every other drawing call, and
    // the destructor, does it first.
    void flush() const;
    const QTransform& getTransform() const { return transform; }
    // Device pixels per model metre (1 when the transform is degenerate).
    double getPixelsPerMetre() const { return pixelsPerMetre; }
    QPointF toScreen(const CVPoint& point) const;

    // A band of the given width in metres along the line, e.g. a
    // carriageway; never thinner than one pixel.
    void drawBand(const CVPoints& line, double widthMetres, const QColor& colour) const;
    // A line of constant pixel width.
    void drawLine(const CVPoints& line, const QColor& colour, double pixelWidth = 1.0,
                  Qt::PenStyle style = Qt::SolidLine) const;
    void drawMarker(const CVPoint& at, Marker shape, const QColor& colour, double pixelSize) const;
    // Text centred on the point; drawn only while labels are shown.
    void drawLabel(const CVPoint& at, const QString& text, const QColor& colour = Qt::black) const;
    // Text that belongs to the map: its baseline starts at the point, its
    // height is in metres, its angle in degrees counter-clockwise. Text
    // smaller than a few pixels is not drawn, nobody could read it.
    void drawText(const CVPoint& at, const QString& text, double heightMetres, double angleDegrees,
                  const QColor& colour) const;

    // Markers are left out when the map is seen from too far to tell them apart.
    bool getShowMarkers() const { return showMarkers; }
    void setShowMarkers(bool show) { showMarkers = show; }
    // Kinds of objects (type names) the user switched off in the legend.
    void setHiddenTypes(const QSet<QString>& types) { hiddenTypes = types; }
    bool hides(const QString& typeName) const { return !hiddenTypes.isEmpty() && hiddenTypes.contains(typeName); }
    bool getShowLabels() const { return showLabels; }
    void setShowLabels(bool show) { showLabels = show; }
    // The object the user selected is drawn highlighted by whoever draws it.
    void setSelectedId(unsigned int id) { selectedId = id; }
    bool isSelected(const CVObject* object) const;

private:
    QPainter& painter;
    mutable QVector<QLineF> pendingLines;
    QTransform transform;
    double pixelsPerMetre;
    bool showLabels = true;
    bool showMarkers = true;
    QSet<QString> hiddenTypes;
    unsigned int selectedId = 0;
};
