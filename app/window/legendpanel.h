#pragma once

#include "map/mapdecorations.h"

#include <QSet>
#include <QWidget>

class CVModel;

// The map's legend beside it: one row per kind of object the model holds,
// drawn with the same symbols as the map and the PNG's legend. A click on a
// row switches its kind of object off the map and on again.
class LegendPanel : public QWidget
{
    Q_OBJECT
public:
    explicit LegendPanel(QWidget* parent = nullptr);

    // Reads the kinds of objects again (after an import or a new model).
    void setModel(const CVModel* model);
    QStringList entryTexts() const;
    // Switches the kind of the row with that text; false when there is none.
    bool toggle(const QString& entryText);
    const QSet<QString>& getHiddenTypes() const { return hiddenTypes; }

    QSize sizeHint() const override;

signals:
    void hiddenTypesChanged(const QSet<QString>& hiddenTypes);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QVector<MapDecorations::LegendEntry> entries;
    QSet<QString> hiddenTypes;
};
