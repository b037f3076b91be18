#pragma once

#include <QTreeWidget>

class CVObject;

// The selected object as ObjectDescription tells it: names and numbers
// first, values with units, lists folded under their count, referenced
// objects as links that show them.
class PropertiesPanel : public QTreeWidget
{
    Q_OBJECT
public:
    explicit PropertiesPanel(QWidget* parent = nullptr);

    // Null shows nothing.
    void showObject(const CVObject* object);
    // The value shown for a field, empty when there is no such row.
    QString valueOf(const QString& field) const;

signals:
    // A linked row was clicked: show that object.
    void objectRequested(unsigned int objectId);
};
