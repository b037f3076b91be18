#pragma once

#include <QTreeWidget>

class CVObject;

// The selected object's type, id, name and external id, then every field
// that the model file would hold for it (lists shortened), one row each.
class PropertiesPanel : public QTreeWidget
{
    Q_OBJECT
public:
    explicit PropertiesPanel(QWidget* parent = nullptr);

    // Null shows nothing.
    void showObject(const CVObject* object);
    // The value shown for a field, empty when there is no such row.
    QString valueOf(const QString& field) const;
};
