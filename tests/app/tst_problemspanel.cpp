// The window's Problems panel: filled by the check after an import (with
// the files looked at) and after a model is replaced, grouped by kind,
// sortable, and a click on a finding shows its object on the map.

#include "../testsupport.h"

#include "import/importdialogwatcher.h"
#include "map/mapview.h"
#include "window/mainwindow.h"
#include "window/problemspanel.h"
#include "window/propertiespanel.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QtTest>

class TestProblemsPanel : public QObject
{
    Q_OBJECT

private slots:
    void importFillsAndAClickShows();
};

namespace {

QTreeWidgetItem* group(const ProblemsPanel& panel, const QString& kind)
{
    for (int i = 0; i < panel.topLevelItemCount(); ++i) {
        if (panel.topLevelItem(i)->text(0).endsWith(QStringLiteral("[%1]").arg(kind)))
            return panel.topLevelItem(i);
    }
    return nullptr;
}

}  // namespace

void TestProblemsPanel::importFillsAndAClickShows()
{
    CVSystem::getSystem().clearImportFilters();
    MainWindow window;
    QVERIFY(window.loadPlugins({QStringLiteral(CORVIA_BIN_DIR)}));
    ParamicsImportOptions options;
    options.directory = examplesDir(QStringLiteral("sias"));  // read as Quadstone, the default
    ImportDialogWatcher user(options);
    window.importWith(0);
    QVERIFY(user.allFilled());

    ProblemsPanel& panel = *window.getProblemsPanel();
    // The files were looked at: the other variant's words are found.
    QTreeWidgetItem* variant = group(panel, QStringLiteral("other-variant"));
    QVERIFY(variant);
    QCOMPARE(variant->childCount(), 1);
    QCOMPARE(variant->text(1), QStringLiteral("error"));

    // Sorted by trips lost, the costliest origin first.
    QTreeWidgetItem* paths = group(panel, QStringLiteral("od-without-path"));
    QVERIFY(paths);
    panel.sortByColumn(2, Qt::DescendingOrder);
    for (int i = 1; i < paths->childCount(); ++i)
        QVERIFY(paths->child(i - 1)->data(2, Qt::UserRole).toDouble() >= paths->child(i)->data(2, Qt::UserRole).toDouble());

    // A click on the dead end selects its section and shows its properties.
    QTreeWidgetItem* deadEnd = group(panel, QStringLiteral("no-way-out"));
    QVERIFY(deadEnd && deadEnd->childCount() == 1);
    emit panel.itemClicked(deadEnd->child(0), 0);
    const unsigned int selected = window.getMapView()->getSelectedId();
    const CVObject* section = window.getModel()->getCatalog()->find(selected);
    QVERIFY(section);
    QCOMPARE(section->getName(), QStringLiteral("N17_N11"));
    QCOMPARE(window.getPropertiesPanel()->valueOf(QStringLiteral("Host id")), QString::number(selected));

    // A new model is checked anew: nothing to find in it.
    window.resetModel();
    QCOMPARE(panel.topLevelItemCount(), 0);
}

QTEST_MAIN(TestProblemsPanel)
#include "tst_problemspanel.moc"
