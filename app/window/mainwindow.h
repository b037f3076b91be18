#pragma once

#include "import/importrunner.h"
#include "import/pluginloader.h"
#include "window/modelfileactions.h"

#include <cvgeoreference.h>

#include <QMainWindow>
#include <QVector>

#include <memory>
#include <optional>

class CVGui;
class GeoLocation;
struct CVLogEntry;
class CVModel;
class CVObject;
class CVPlugin;
class LegendPanel;
class LogPanel;
class MapView;
class ProblemsPanel;
class PropertiesPanel;
class QLabel;
class QMenu;
class WorkProgress;

// The host application's main window: one model on a map, with its legend,
// the selected object's properties and the model log's warnings beside it,
// and the import formats that plug-ins register under File > Import.
class MainWindow : public QMainWindow, public ModelFileOwner
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
    QWidget* ownerWidget() override { return this; }
    CVModel* getModel() const override { return model.get(); }
    MapView* getMapView() const { return mapView; }
    LogPanel* getLogPanel() const { return logPanel; }
    LegendPanel* getLegendPanel() const { return legendPanel; }
    PropertiesPanel* getPropertiesPanel() const { return propertiesPanel; }
    ProblemsPanel* getProblemsPanel() const { return problemsPanel; }
    QMenu* getImportMenu() const { return importMenu; }
    QMenu* getHelpMenu() const { return helpMenu; }
    // The last result (an import's counts, a save), kept in the status bar.
    QString getResultText() const;
    void showResult(const QString& text) override;

    // The best match of ObjectFinder (a node number, a link "130:20", a
    // zone, a route, ... then external ids, names and host ids), or null.
    const CVObject* findObject(const QString& text) const;
    // Shows the first object that matches and keeps the others for Find
    // Next; the number of matches. A search clears the last selection.
    int search(const QString& text);
    // The cursor's position, as the status bar shows it.
    QString getCursorText() const;
    ModelFileActions* getFileActions() const { return fileActions; }
    // Shows another model in place of the current one, which is deleted.
    void replaceModel(std::unique_ptr<CVModel> newModel) override;
    // Long work (an import, a model file, an export) in progress.
    WorkProgress* getWorkProgress() const { return work; }
    void runLongWork(const QString& label, const std::function<void()>& longWork) override;

public slots:
    // Runs the registered import filter at that position of the system's list.
    void importWith(int filterIndex);
    void saveModel();
    // Replaces the model by a new, empty one, so that the next import starts afresh.
    void resetModel();
    // Selects the object, centres the map on it and shows its properties; false when there is none.
    bool showObject(unsigned int objectId);
    // Shows the first of the objects that is on the map (a finding's objects, the one it is about first).
    bool showObjects(const QList<unsigned int>& objectIds);
    // Checks the model again and lists the findings in the Problems panel;
    // with the network's directory the files are looked at too.
    void checkModel(const QString& directory = QString());
    // Edit > Find: asks what to look for and shows the first match.
    void find();
    // Edit > Find Next: the next match of the last search, round again.
    void findNext();
    void aboutCorvia();

protected:
    // Asks before an unsaved model goes with the window.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildDocks();
    void fillImportMenu();
    void addAboutEntry(CVPlugin* plugin);
    void reportProblem(const QString& message);
    void showOutcome(const ImportOutcome& outcome);
    void logEntryAdded(const CVLogEntry& entry);
    void useModel(CVModel* newModel);
    void showFindPosition();
    void showCursor(const QPointF& plane);

    std::unique_ptr<CVModel> model;
    CVGui* gui;
    MapView* mapView;
    LogPanel* logPanel;
    LegendPanel* legendPanel;
    PropertiesPanel* propertiesPanel;
    ProblemsPanel* problemsPanel;
    QLabel* resultLabel;
    QLabel* cursorLabel;
    QString findText;
    QVector<unsigned int> findMatches;
    int findPosition = 0;
    std::unique_ptr<GeoLocation> locator;  // for the model's geo-reference, when it has one
    std::optional<CVGeoReference> locatedBy;
    QMenu* importMenu = nullptr;
    QMenu* helpMenu = nullptr;
    ModelFileActions* fileActions = nullptr;
    WorkProgress* work;
    PluginLoader loader;
};
