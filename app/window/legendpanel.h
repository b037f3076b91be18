#pragma once

#include "map/mapdecorations.h"

#include <QWidget>

class CVModel;

// The map's legend beside it: one row per kind of object the model holds,
// drawn with the same symbols as the map and the PNG's legend.
class LegendPanel : public QWidget
{
    Q_OBJECT
public:
    explicit LegendPanel(QWidget* parent = nullptr);

    // Reads the kinds of objects again (after an import or a new model).
    void setModel(const CVModel* model);
    QStringList entryTexts() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<MapDecorations::LegendEntry> entries;
};
