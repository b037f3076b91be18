#pragma once

#include "importrunner.h"
#include "pluginloader.h"

#include <QMainWindow>

#include <memory>

class CVGui;
struct CVLogEntry;
class CVModel;
class CVPlugin;
class CVTask;
class LogPanel;
class MapView;
class ModelFileActions;
class QMenu;

// The host application's main window: one model on a map, the model log's
// warnings beside it, and the import formats that plug-ins register under
// File > Import.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Loads the import plug-in from the first folder that holds it. A
    // missing or broken library is reported in the log panel, in the status
    // bar and on stderr; the window stays usable without it.
    bool loadPlugins(const QStringList& folders);

    CVGui* getGui() const { return gui; }
    CVModel* getModel() const { return model.get(); }
    MapView* getMapView() const { return mapView; }
    LogPanel* getLogPanel() const { return logPanel; }
    QMenu* getImportMenu() const { return importMenu; }
    QMenu* getHelpMenu() const { return helpMenu; }
    ModelFileActions* getFileActions() const { return fileActions; }
    // Shows another model in place of the current one, which is deleted.
    void replaceModel(std::unique_ptr<CVModel> newModel);

public slots:
    // Runs the registered import filter at that position of the system's list.
    void importWith(int filterIndex);
    void saveModel();

protected:
    // Asks before an unsaved model goes with the window.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void fillImportMenu();
    void addAboutEntry(CVPlugin* plugin);
    void reportProblem(const QString& message);
    void showOutcome(const ImportOutcome& outcome);
    void logEntryAdded(const CVLogEntry& entry);
    void watchTask(CVTask* task);

    std::unique_ptr<CVModel> model;
    CVGui* gui;
    MapView* mapView;
    LogPanel* logPanel;
    QMenu* importMenu = nullptr;
    QMenu* helpMenu = nullptr;
    ModelFileActions* fileActions = nullptr;
    PluginLoader loader;
};
