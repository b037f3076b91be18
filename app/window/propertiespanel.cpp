#include "window/propertiespanel.h"

#include <cvobject.h>

#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Long lists (a section's points, a node's turnings) are cut to this many characters.
constexpr int longestValue = 120;

QString shown(const QJsonValue& value)
{
    QString text;
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QStringLiteral("—");
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 10);
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array:
        text = QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
        break;
    case QJsonValue::Object:
        text = QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
        break;
    }
    return text.size() > longestValue ? text.left(longestValue) + QStringLiteral("…") : text;
}

}  // namespace

PropertiesPanel::PropertiesPanel(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderLabels({tr("Field"), tr("Value")});
    setRootIsDecorated(false);
    setAlternatingRowColors(true);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void PropertiesPanel::showObject(const CVObject* object)
{
    clear();
    if (!object)
        return;
    const auto addRow = [this](const QString& field, const QString& value) {
        auto* item = new QTreeWidgetItem(this, {field, value});
        item->setToolTip(1, value);
    };
    addRow(tr("type"), object->getTypeName());
    addRow(tr("id"), QString::number(object->getId()));
    addRow(tr("name"), object->getName());
    addRow(tr("external id"), object->getExternalId());
    const QJsonObject fields = object->fieldsJson();
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
        addRow(it.key(), shown(it.value()));
}

QString PropertiesPanel::valueOf(const QString& field) const
{
    const QList<QTreeWidgetItem*> items = findItems(field, Qt::MatchExactly, 0);
    return items.isEmpty() ? QString() : items.first()->text(1);
}
