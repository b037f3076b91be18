#include "window/mainwindow.h"

#include "export/gismodule.h"
#include "check/modelcheck.h"
#include "cli/progressprinter.h"
#include "import/importmessages.h"
#include "map/mapview.h"
#include "window/exportmenu.h"
#include "window/legendpanel.h"
#include "window/logpanel.h"
#include "window/modelfileactions.h"
#include "window/objectfinder.h"
#include "window/problemspanel.h"
#include "window/propertiespanel.h"
#include "window/workprogress.h"

#include <cvcatalog.h>
#include <cvfilterdescription.h>
#include <cvgui.h>
#include <cvinputerror.h>
#include <cvlog.h>
#include <cvimportsettings.h>
#include <cvmodel.h>
#include <cvmodelwriter.h>
#include <cvplugin.h>
#include <cvsystem.h>

#include <QApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QCloseEvent>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>

#include <cstdio>
#include <new>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      model(CVSystem::getSystem().createModel()),
      gui(new CVGui(this, this)),
      mapView(new MapView(this)),
      logPanel(new LogPanel(this)),
      legendPanel(new LegendPanel(this)),
      propertiesPanel(new PropertiesPanel(this)),
      problemsPanel(new ProblemsPanel(this)),
      resultLabel(new QLabel(this)),
      cursorLabel(new QLabel(this)),
      work(new WorkProgress(this, mapView, resultLabel))
{
    setWindowTitle(tr("Corvia"));
    resize(1200, 800);
    setCentralWidget(mapView);
    buildDocks();
    // A permanent widget: menus' status tips do not wipe the result out.
    statusBar()->addPermanentWidget(resultLabel, 1);
    statusBar()->addPermanentWidget(cursorLabel);
    connect(mapView, &MapView::cursorMoved, this, &MainWindow::showCursor);

    connect(logPanel, &LogPanel::objectRequested, this, &MainWindow::showObject);
    connect(propertiesPanel, &PropertiesPanel::objectRequested, this, &MainWindow::showObject);
    connect(legendPanel, &LegendPanel::hiddenTypesChanged, mapView, &MapView::setHiddenTypes);
    connect(problemsPanel, &ProblemsPanel::objectsRequested, this, &MainWindow::showObjects);
    connect(mapView, &MapView::objectClicked, this, [this](unsigned int id) {
        propertiesPanel->showObject(id ? model->getCatalog()->find(id) : nullptr);
    });
    useModel(model.get());
    fileActions = new ModelFileActions(this);
    buildMenus();
    showResult(tr("Ready"));
}

MainWindow::~MainWindow()
{
    gui->setActiveModel(nullptr);
}

void MainWindow::buildDocks()
{
    const auto addDock = [this](const QString& title, const char* name, QWidget* widget, Qt::DockWidgetArea area) {
        auto* dock = new QDockWidget(title, this);
        dock->setObjectName(QLatin1String(name));
        dock->setWidget(widget);
        addDockWidget(area, dock);
        return dock;
    };
    QDockWidget* logDock = addDock(tr("Log"), "logDock", logPanel, Qt::BottomDockWidgetArea);
    QDockWidget* problemsDock = addDock(tr("Problems"), "problemsDock", problemsPanel, Qt::BottomDockWidgetArea);
    tabifyDockWidget(logDock, problemsDock);
    QDockWidget* legendDock = addDock(tr("Legend"), "legendDock", legendPanel, Qt::RightDockWidgetArea);
    QDockWidget* propertiesDock = addDock(tr("Properties"), "propertiesDock", propertiesPanel, Qt::RightDockWidgetArea);
    resizeDocks({logDock}, {150}, Qt::Vertical);
    resizeDocks({legendDock, propertiesDock}, {260, 420}, Qt::Vertical);
    resizeDocks({legendDock}, {300}, Qt::Horizontal);
}

bool MainWindow::loadPlugins(const QStringList& folders)
{
    if (!loader.load(gui, folders)) {
        reportProblem(loader.errorString());
        return false;
    }
    addAboutEntry(loader.getPlugin());
    showResult(tr("Plug-in loaded: %1").arg(loader.getPlugin()->getName()));
    return true;
}

void MainWindow::buildMenus()
{
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    fileActions->addTo(fileMenu);
    fileMenu->addSeparator();
    importMenu = fileMenu->addMenu(tr("&Import"));
    importMenu->setObjectName(QStringLiteral("importMenu"));
    // Plug-ins may register formats at any time: the list is read when shown.
    connect(importMenu, &QMenu::aboutToShow, this, &MainWindow::fillImportMenu);
    fillImportMenu();
    ExportMenu::Questions questions = ExportMenu::dialogs(this);
    questions.write = [this](const QString& label, const std::function<void()>& writing) { runLongWork(label, writing); };
    fileMenu->addMenu(ExportMenu::create(
        this, [this] { return getModel(); }, [this](const QString& message) { showResult(message); }, questions));
    fileMenu->addSeparator();
    fileMenu->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* editMenu = menuBar()->addMenu(tr("&Edit"));
    editMenu->setObjectName(QStringLiteral("editMenu"));
    editMenu->addAction(tr("&Find..."), QKeySequence::Find, this, &MainWindow::find);
    editMenu->addAction(tr("Find &Next"), QKeySequence::FindNext, this, &MainWindow::findNext);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->addAction(tr("&Fit network"), QKeySequence(Qt::Key_Home), mapView, &MapView::fitToModel);
    viewMenu->addAction(tr("Zoom &in"), QKeySequence::ZoomIn, mapView, &MapView::zoomIn);
    viewMenu->addAction(tr("Zoom &out"), QKeySequence::ZoomOut, mapView, &MapView::zoomOut);
    viewMenu->addSeparator();
    for (QDockWidget* dock : findChildren<QDockWidget*>())
        viewMenu->addAction(dock->toggleViewAction());

    helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpMenu->addAction(tr("&About Corvia..."), this, &MainWindow::aboutCorvia);
    helpMenu->addAction(tr("About &Qt..."), qApp, &QApplication::aboutQt);
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

void MainWindow::aboutCorvia()
{
    QMessageBox::about(this, tr("About Corvia"),
                       tr("<h3>Corvia %1</h3><p>A traffic-modelling host: it imports road networks through its "
                          "plug-ins, shows them on a map and writes them as a model file, GeoJSON or SUMO "
                          "files.</p><p>Built with Qt %2.</p>")
                           .arg(QStringLiteral(CORVIA_VERSION), QString::fromLatin1(qVersion())));
}

void MainWindow::importWith(int filterIndex)
{
    const QList<CVFilterDescription>& filters = CVSystem::getSystem().getImportFilters();
    if (filterIndex < 0 || filterIndex >= filters.size())
        return;
    const CVFilterDescription filter = filters.at(filterIndex);  // a copy: the list may grow meanwhile
    std::optional<ImportOutcome> outcome;
    QString failure;
    {
        // The import runs here, on the window's thread: its steps, as
        // `corvia import` names them, let the window draw.
        ProgressPrinter progress(stderr, ProgressPrinter::Off);
        progress.setReadingSteps(ProgressPrinter::paramicsReadingSteps(std::nullopt));
        progress.watchImport();
        connect(&progress, &ProgressPrinter::progressed, work, &WorkProgress::step);
        // The first step's name depends on the variant chosen in the dialog.
        const auto chosen = [&progress](const ParamicsImportOptions& options) {
            progress.setReadingSteps(ProgressPrinter::paramicsReadingSteps(options.variant));
        };
        try {
            outcome = ImportRunner::runFilter(gui, filter, std::nullopt, chosen);
        } catch (const std::bad_alloc&) {
            failure = tr("The memory ran out during the import.");
        } catch (const CVInputError& error) {
            // A file changed while it was read, or too large to be a network.
            failure = error.message();
        } catch (const std::exception& error) {
            // Anything else stops this import, not the window.
            failure = tr("The import stopped: %1").arg(QString::fromLocal8Bit(error.what()));
        }
        progress.finish();
        work->finish();
    }
    if (outcome) {
        showOutcome(*outcome);
    } else {
        // What the import built so far stays in the model.
        mapView->fitToModel();
        QMessageBox::critical(this, tr("Import"), failure);
    }
    fileActions->markModified();
}

void MainWindow::runLongWork(const QString& label, const std::function<void()>& longWork)
{
    work->runInBackground(label, longWork);
}

void MainWindow::replaceModel(std::unique_ptr<CVModel> newModel)
{
    gui->setActiveModel(nullptr);
    useModel(newModel.get());
    model = std::move(newModel);  // the old model goes after nothing points at it
    logPanel->clearEntries();
    const std::optional<CVImportSettings>& settings = model->getImportSettings();
    logPanel->setDirectory(settings ? settings->directory : QString());
    for (const CVLogEntry& entry : model->getLog()->getEntries())
        logEntryAdded(entry);
    checkModel();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The work holds the model; the window goes once it is done.
    if (!work->isBusy() && fileActions->mayDiscard())
        event->accept();
    else
        event->ignore();
}

void MainWindow::showOutcome(const ImportOutcome& outcome)
{
    mapView->modelChanged();
    const std::optional<CVImportSettings>& settings = model->getImportSettings();
    checkModel(settings && outcome.options ? settings->directory : QString());
    if (settings)
        logPanel->setDirectory(settings->directory);
    legendPanel->setModel(model.get());
    const QStringList summary = ImportSummary::lines(outcome.added);
    QStringList counts;
    for (const QString& line : summary)
        counts << line.simplified();
    showResult(tr("Imported: %1; %2 warnings")
                   .arg(counts.isEmpty() ? tr("nothing") : counts.mid(0, 4).join(QStringLiteral(", ")))
                   .arg(outcome.warnings.size()));
}

void MainWindow::resetModel()
{
    replaceModel(std::unique_ptr<CVModel>(CVSystem::getSystem().createModel()));
    showResult(tr("New model"));
}

void MainWindow::useModel(CVModel* newModel)
{
    connect(newModel->getLog(), &CVLog::entryAdded, this, &MainWindow::logEntryAdded);
    gui->setActiveModel(newModel);
    mapView->setModel(newModel);
    legendPanel->setModel(newModel);
    propertiesPanel->showObject(nullptr);
}

const CVObject* MainWindow::findObject(const QString& text) const
{
    const QVector<const CVObject*> matches = ObjectFinder::find(*model, text);
    return matches.isEmpty() ? nullptr : matches.first();
}

int MainWindow::search(const QString& text)
{
    findText = text.trimmed();
    findMatches.clear();
    findPosition = 0;
    mapView->clearSelection();
    propertiesPanel->showObject(nullptr);
    for (const CVObject* object : ObjectFinder::find(*model, findText))
        findMatches.append(object->getId());
    if (findMatches.isEmpty()) {
        showResult(tr("Nothing matches \"%1\"").arg(findText));
        return 0;
    }
    showObject(findMatches.first());
    showFindPosition();
    return int(findMatches.size());
}

void MainWindow::findNext()
{
    if (findMatches.isEmpty())
        return;
    findPosition = (findPosition + 1) % int(findMatches.size());
    showObject(findMatches.at(findPosition));
    showFindPosition();
}

void MainWindow::showFindPosition()
{
    const CVObject* object = model->getCatalog()->find(findMatches.at(findPosition));
    const QString what = object ? ObjectFinder::describe(*object) : QString();
    showResult(findMatches.size() == 1
                   ? tr("\"%1\": %2").arg(findText, what)
                   : tr("\"%1\": %2 of %3 matches, %4 (F3: next)")
                         .arg(findText).arg(findPosition + 1).arg(findMatches.size()).arg(what));
}

void MainWindow::showCursor(const QPointF& plane)
{
    QString text = tr("x %1 m, y %2 m").arg(plane.x(), 0, 'f', 1).arg(plane.y(), 0, 'f', 1);
    if (model->getGeoReference() != locatedBy) {
        locatedBy = model->getGeoReference();
        // The GIS module is loaded only for a model placed on earth.
        const GisModule* gis = locatedBy ? GisModule::load(nullptr) : nullptr;
        locator = gis ? gis->locator(*locatedBy) : nullptr;
    }
    double lon = 0.0, lat = 0.0;
    if (locator && locator->lonLat(CVPoint(plane.x(), plane.y()), &lon, &lat))
        text += tr("  (%1°, %2°)").arg(lat, 0, 'f', 6).arg(lon, 0, 'f', 6);
    cursorLabel->setText(text);
}

QString MainWindow::getCursorText() const
{
    return cursorLabel->text();
}

bool MainWindow::showObject(unsigned int objectId)
{
    const CVObject* object = model->getCatalog()->find(objectId);
    if (!object)
        return false;
    propertiesPanel->showObject(object);
    if (!mapView->selectAndCentre(objectId))
        showResult(tr("%1 %2 is not on the map").arg(object->getTypeName()).arg(objectId));
    return true;
}

bool MainWindow::showObjects(const QList<unsigned int>& objectIds)
{
    for (unsigned int id : objectIds) {
        const CVObject* object = model->getCatalog()->find(id);
        if (object && mapView->selectAndCentre(id)) {
            propertiesPanel->showObject(object);
            return true;
        }
    }
    return !objectIds.isEmpty() && showObject(objectIds.first());
}

void MainWindow::checkModel(const QString& directory)
{
    CheckReport report;
    runLongWork(tr("Checking the model"), [&] { report = ModelCheck::run(*model, directory); });
    problemsPanel->showReport(report);
}

void MainWindow::find()
{
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, tr("Find"), tr("Node or zone number, link (130:20), route, name, external id or id:"),
        QLineEdit::Normal, findText, &ok);
    if (ok && !text.trimmed().isEmpty())
        search(text);
}

void MainWindow::saveModel()
{
    fileActions->saveAs();
}

QString MainWindow::getResultText() const
{
    return resultLabel->text();
}

void MainWindow::showResult(const QString& text)
{
    resultLabel->setText(text);
}

void MainWindow::reportProblem(const QString& message)
{
    logPanel->addEntry(QStringLiteral("error"), message);
    showResult(message);
    std::fprintf(stderr, "corvia: %s\n", message.toLocal8Bit().constData());
}

void MainWindow::logEntryAdded(const CVLogEntry& entry)
{
    if (entry.level == QLatin1String("warning") || entry.level == QLatin1String("error"))
        logPanel->addEntry(entry.level, entry.text, ImportMessages::plainText(entry.text, model.get()));
}
