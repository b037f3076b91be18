#pragma once

#include "maprenderer.h"

#include <QPoint>
#include <QTransform>
#include <QWidget>

class CVModel;

// The map of the main window: drag to pan, the wheel zooms around the
// cursor. The picture itself comes from MapRenderer.
class MapView : public QWidget
{
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    void setModel(const CVModel* model);
    const QTransform& getTransform() const { return worldToScreen; }

public slots:
    // Shows the whole network.
    void fitToModel();
    // Marks the object and brings it to the middle of the view; false when
    // it is not on the map.
    bool selectAndCentre(unsigned int objectId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    MapRenderer renderer;
    QTransform worldToScreen;
    bool dragging = false;
    QPoint lastMousePosition;
};
