#pragma once

#include "check/checkfinding.h"

#include <QTreeWidget>

// The main window's list of the model check's findings: one group per
// kind (its severity, title and count), the findings under it with the
// trips they cost. Columns sort on a click of their header. A click on a
// finding asks for its objects, the one it is about first.
class ProblemsPanel : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ProblemsPanel(QWidget* parent = nullptr);

    void showReport(const CheckReport& report);
    const CheckReport& report() const { return shown; }

signals:
    void objectsRequested(const QList<unsigned int>& objectIds);

private:
    void requestObjectsOf(QTreeWidgetItem* item);

    CheckReport shown;
};
