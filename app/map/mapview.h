#pragma once

#include "map/maprenderer.h"

#include <QPixmap>
#include <QPoint>
#include <QTransform>
#include <QWidget>

class CVModel;

// The map of the main window: drag to pan, the wheel zooms around the
// cursor, a click picks the object under it; the keyboard zooms (+, -),
// pans (arrow keys) and fits the network (Home). The picture itself comes
// from MapRenderer.
class MapView : public QWidget
{
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    void setModel(const CVModel* model);
    const QTransform& getTransform() const { return worldToScreen; }
    const MapRenderer& getRenderer() const { return renderer; }
    unsigned int getSelectedId() const { return renderer.getSelectedId(); }

signals:
    // The user clicked the map: the object there, or 0 for none.
    void objectClicked(unsigned int objectId);
    // The cursor is over that point of the model's plane (metres).
    void cursorMoved(const QPointF& plane);

public slots:
    // The model's objects changed: index them again and show them all.
    void modelChanged();
    // Shows the whole network.
    void fitToModel();
    // Zooms about the middle of the view by that factor.
    void zoomBy(double factor);
    void zoomIn();
    void zoomOut();
    // Moves the map by a share of the view's size (0.25 = a quarter) in each direction.
    void panBy(double shareRight, double shareDown);
    // Marks the object and brings it to the middle of the view; false when
    // it is not on the map.
    bool selectAndCentre(unsigned int objectId);
    void clearSelection();
    void setHiddenTypes(const QSet<QString>& types);
    // While frozen the map shows its last frame, dimmed, and does not read
    // the model: long work may change it or read it on another thread.
    void setFrozen(bool frozen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    MapRenderer renderer;
    QTransform worldToScreen;
    void zoomAbout(const QPointF& anchor, double factor);

    QPixmap frozenFrame;
    bool frozen = false;
    bool frameShown = false;  // the model as it is now was drawn
    bool dragging = false;
    bool dragged = false;  // the press became a drag: no click
    QPoint pressPosition;
    QPoint lastMousePosition;
};
