#include "mainwindow.h"

#include "logpanel.h"
#include "mapview.h"

#include <cvfilterdescription.h>
#include <cvgui.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>
#include <cvplugin.h>
#include <cvsystem.h>
#include <cvtask.h>

#include <QApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include <cstdio>
#include <new>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      model(CVSystem::getSystem().createModel()),
      gui(new CVGui(this, this)),
      mapView(new MapView(this)),
      logPanel(new LogPanel(this))
{
    setWindowTitle(tr("Corvia"));
    resize(1100, 750);
    setCentralWidget(mapView);
    mapView->setModel(model.get());

    auto* logDock = new QDockWidget(tr("Log"), this);
    logDock->setObjectName(QStringLiteral("logDock"));
    logDock->setWidget(logPanel);
    logDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, logDock);
    resizeDocks({logDock}, {170}, Qt::Vertical);

    connect(model->getLog(), &CVLog::entryAdded, this, &MainWindow::logEntryAdded);
    connect(logPanel, &LogPanel::objectRequested, mapView, &MapView::selectAndCentre);
    connect(&CVSystem::getSystem(), &CVSystem::taskCreated, this, &MainWindow::watchTask);
    gui->setActiveModel(model.get());
    buildMenus();
    statusBar()->showMessage(tr("Ready"));
}

MainWindow::~MainWindow()
{
    gui->setActiveModel(nullptr);
}

bool MainWindow::loadPlugins(const QStringList& folders)
{
    if (!loader.load(gui, folders)) {
        reportProblem(loader.errorString());
        return false;
    }
    addAboutEntry(loader.getPlugin());
    statusBar()->showMessage(tr("Plug-in loaded: %1").arg(loader.getPlugin()->getName()));
    return true;
}

void MainWindow::buildMenus()
{
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    importMenu = fileMenu->addMenu(tr("&Import"));
    importMenu->setObjectName(QStringLiteral("importMenu"));
    // Plug-ins may register formats at any time: the list is read when shown.
    connect(importMenu, &QMenu::aboutToShow, this, &MainWindow::fillImportMenu);
    fillImportMenu();
    fileMenu->addAction(tr("&Save model..."), QKeySequence::Save, this, &MainWindow::saveModel);
    fileMenu->addSeparator();
    fileMenu->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->addAction(tr("&Fit network"), mapView, &MapView::fitToModel);

    helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
}

void MainWindow::fillImportMenu()
{
    importMenu->clear();
    const QList<CVFilterDescription>& filters = CVSystem::getSystem().getImportFilters();
    for (int i = 0; i < filters.size(); ++i)
        importMenu->addAction(filters.at(i).getDescription(), this, [this, i] { importWith(i); });
    if (filters.isEmpty())
        importMenu->addAction(tr("No import formats: no plug-in is loaded"))->setEnabled(false);
}

void MainWindow::addAboutEntry(CVPlugin* plugin)
{
    if (!plugin)
        return;
    helpMenu->addAction(tr("About %1...").arg(plugin->getName()), this, [this, plugin] { plugin->about(gui); });
}

void MainWindow::importWith(int filterIndex)
{
    const QList<CVFilterDescription>& filters = CVSystem::getSystem().getImportFilters();
    if (filterIndex < 0 || filterIndex >= filters.size())
        return;
    const CVFilterDescription filter = filters.at(filterIndex);  // a copy: the list may grow meanwhile
    try {
        showOutcome(ImportRunner::runFilter(gui, filter));
    } catch (const std::bad_alloc&) {
        // What the import built so far stays in the model.
        mapView->fitToModel();
        QMessageBox::critical(this, tr("Import"), tr("The memory ran out during the import."));
    }
}

void MainWindow::showOutcome(const ImportOutcome& outcome)
{
    mapView->fitToModel();
    statusBar()->showMessage(
        tr("%1 objects created, %2 warnings").arg(outcome.totalAdded()).arg(outcome.warnings.size()));
}

void MainWindow::saveModel()
{
    CVSystem& system = CVSystem::getSystem();
    const QString path = QFileDialog::getSaveFileName(this, tr("Save model"), system.getLastUsedFolder(),
                                                      tr("Corvia models (*.json)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!CVModelWriter::save(*model, path, &error)) {
        QMessageBox::warning(this, tr("Save model"), tr("The model could not be saved to %1:\n%2").arg(path, error));
        return;
    }
    system.registerLastUsedFolder(QFileInfo(path).absolutePath());
    statusBar()->showMessage(tr("Model saved to %1").arg(path));
}

void MainWindow::reportProblem(const QString& message)
{
    logPanel->addEntry(QStringLiteral("error"), message);
    statusBar()->showMessage(message);
    std::fprintf(stderr, "corvia: %s\n", message.toLocal8Bit().constData());
}

void MainWindow::watchTask(CVTask* task)
{
    connect(task, &CVTask::stepped, this, [this](CVTask* stepped, int step) {
        statusBar()->showMessage(
            tr("%1: step %2 of %3").arg(stepped->getName()).arg(step).arg(stepped->getTotalSteps()));
        // The import holds the event loop: draw the message now.
        statusBar()->repaint();
    });
}

void MainWindow::logEntryAdded(const CVLogEntry& entry)
{
    if (entry.level == QLatin1String("warning") || entry.level == QLatin1String("error"))
        logPanel->addEntry(entry.level, entry.text);
}
