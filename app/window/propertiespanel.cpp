#include "window/propertiespanel.h"

#include "window/objectdescription.h"

#include <cvobject.h>

#include <QHeaderView>

namespace {

constexpr int LinkRole = Qt::UserRole + 1;

void addRows(QTreeWidget* tree, QTreeWidgetItem* parent, const QVector<ObjectDescription::Row>& rows)
{
    for (const ObjectDescription::Row& row : rows) {
        auto* item = parent ? new QTreeWidgetItem(parent, {row.field, row.value})
                            : new QTreeWidgetItem(tree, {row.field, row.value});
        item->setToolTip(1, row.value);
        if (row.link) {
            item->setData(1, LinkRole, row.link);
            QFont font = item->font(1);
            font.setUnderline(true);
            item->setFont(1, font);
            item->setForeground(1, tree->palette().link());
            item->setToolTip(1, QObject::tr("Click to show %1").arg(row.value));
        }
        addRows(tree, item, row.children);
    }
}

}  // namespace

PropertiesPanel::PropertiesPanel(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderLabels({tr("Field"), tr("Value")});
    setRootIsDecorated(true);
    setAlternatingRowColors(true);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        const unsigned int id = item->data(1, LinkRole).toUInt();
        if (id)
            emit objectRequested(id);
    });
}

void PropertiesPanel::showObject(const CVObject* object)
{
    clear();
    if (!object)
        return;
    addRows(this, nullptr, ObjectDescription::describe(*object, *object->getModel()));
}

QString PropertiesPanel::valueOf(const QString& field) const
{
    const QList<QTreeWidgetItem*> items = findItems(field, Qt::MatchExactly, 0);
    return items.isEmpty() ? QString() : items.first()->text(1);
}
