#include "window/problemspanel.h"

#include "check/checktext.h"

#include <QHeaderView>

namespace {

enum Column { FindingColumn, SeverityColumn, TripsColumn, ObjectsColumn };
constexpr int FindingRole = Qt::UserRole;  // index of the finding in the report, -1 on a group

// Sorts numbers as numbers.
class ProblemItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == TripsColumn || column == ObjectsColumn)
            return data(column, Qt::UserRole).toDouble() < other.data(column, Qt::UserRole).toDouble();
        return QTreeWidgetItem::operator<(other);
    }
};

void setNumber(QTreeWidgetItem* item, int column, double value, const QString& text)
{
    item->setText(column, text);
    item->setData(column, Qt::UserRole, value);
    item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace

ProblemsPanel::ProblemsPanel(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderLabels({tr("Finding"), tr("Severity"), tr("Trips lost"), tr("Objects")});
    setSortingEnabled(true);
    sortByColumn(-1, Qt::AscendingOrder);  // the report's order until a header is clicked
    setUniformRowHeights(true);
    header()->setSectionResizeMode(FindingColumn, QHeaderView::Stretch);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemClicked, this, &ProblemsPanel::requestObjectsOf);
    connect(this, &QTreeWidget::itemActivated, this, &ProblemsPanel::requestObjectsOf);
}

void ProblemsPanel::showReport(const CheckReport& report)
{
    shown = report;
    setSortingEnabled(false);
    clear();
    for (const CheckKindInfo& kind : checkKinds()) {
        QTreeWidgetItem* group = nullptr;
        double trips = 0.0;
        for (int i = 0; i < shown.findings.size(); ++i) {
            const CheckFinding& finding = shown.findings[i];
            if (finding.kind != kind.kind)
                continue;
            if (!group) {
                group = new ProblemItem(this);
                group->setData(FindingColumn, FindingRole, -1);
                group->setText(SeverityColumn, severityName(kind.severity));
            }
            auto* item = new ProblemItem(group);
            item->setData(FindingColumn, FindingRole, i);
            item->setText(FindingColumn, finding.objects.isEmpty()
                                             ? finding.text
                                             : QStringLiteral("%1: %2").arg(finding.objects.first().label, finding.text));
            item->setToolTip(FindingColumn, CheckText::objectList(finding, -1));
            item->setText(SeverityColumn, severityName(kind.severity));
            setNumber(item, TripsColumn, finding.trips, finding.trips > 0.0 ? QString::number(finding.trips, 'f', 1) : QString());
            setNumber(item, ObjectsColumn, finding.objects.size(), QString::number(finding.objects.size()));
            trips += finding.trips;
        }
        if (!group)
            continue;
        group->setText(FindingColumn, QStringLiteral("%1 (%2) [%3]").arg(QLatin1String(kind.title)).arg(group->childCount()).arg(QLatin1String(kind.id)));
        setNumber(group, TripsColumn, trips, trips > 0.0 ? QString::number(trips, 'f', 1) : QString());
        setNumber(group, ObjectsColumn, group->childCount(), QString());
    }
    setSortingEnabled(true);
}

void ProblemsPanel::requestObjectsOf(QTreeWidgetItem* item)
{
    const int index = item ? item->data(FindingColumn, FindingRole).toInt() : -1;
    if (index < 0 || index >= shown.findings.size())
        return;
    QList<unsigned int> ids;
    for (const CheckObject& object : shown.findings[index].objects)
        ids.append(object.id);
    if (!ids.isEmpty())
        emit objectsRequested(ids);
}
