#pragma once

#include "map/mapindex.h"

#include <cvbbox.h>

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSet>
#include <QSize>
#include <QTransform>

#include <memory>

class CVGeoObject;
class CVModel;
class QPainter;

// Draws a model's map into any QPainter: a widget, an image or a printer.
// Each object on the map draws itself (CVGeoObject::draw), layer by layer
// from the lowest level up, so new network types need no change here.
// A frame visits only the objects that reach into it (MapIndex), and when
// zoomed out leaves out what would be too small to see.
class MapRenderer
{
public:
    explicit MapRenderer(const CVModel* model);

    // The extent of every drawable object of the model's layers; empty
    // when nothing on the map has a position.
    static CVBBox modelExtent(const CVModel* model);
    // Model (metres, y north) to device (pixels, y down), showing the box
    // centred in the viewport with a margin in pixels on every side. An
    // empty box is shown as a 100 m square around the origin.
    static QTransform fitTransform(const CVBBox& box, const QSizeF& viewport, double margin = 20.0);

    const CVModel* getModel() const { return model; }
    // The objects of the model changed (an import, a new model): index them again.
    void modelChanged();
    // The extent of what is on the map, from the index.
    CVBBox extent() const { return mapIndex().extent(); }
    const MapIndex& mapIndex() const;

    void setSelectedId(unsigned int id) { selectedId = id; }
    unsigned int getSelectedId() const { return selectedId; }
    void setBackground(const QColor& colour) { background = colour; }
    // Below this zoom (pixels per metre) labels would only clutter the map.
    void setLabelZoom(double pixelsPerMetre) { labelZoom = pixelsPerMetre; }
    // Below this zoom, markers (nodes, stops, devices, centroids) and objects
    // smaller than a pixel or two are left out: they would only blot the roads.
    void setMarkerZoom(double pixelsPerMetre) { markerZoom = pixelsPerMetre; }
    // Kinds of objects (type names) left off the map.
    void setHiddenTypes(const QSet<QString>& types) { hiddenTypes = types; }
    const QSet<QString>& getHiddenTypes() const { return hiddenTypes; }

    // Fills the viewport with the background and draws the objects that
    // reach into it, then marks the selected object.
    void render(QPainter& painter, const QTransform& worldToScreen, const QRectF& viewport) const;
    // The whole network fitted into an image of that size.
    QImage renderImage(const QSize& size) const;

    // The selected or named object when it is on the map, else null.
    const CVGeoObject* findGeoObject(unsigned int id) const;
    // The object drawn at that device point (within a few pixels), the
    // smallest one when several are there; null when there is none.
    const CVGeoObject* objectAt(const QPointF& devicePoint, const QTransform& worldToScreen) const;

private:
    void markSelection(QPainter& painter, const QTransform& worldToScreen) const;

    const CVModel* model;
    mutable std::shared_ptr<const MapIndex> index;  // made when first needed
    unsigned int selectedId = 0;
    QColor background = QColor(245, 244, 238);
    double labelZoom = 2.0;
    double markerZoom = 0.15;
    QSet<QString> hiddenTypes;
};
