#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class MapView;
class QAction;
class QLabel;
class QMainWindow;
class QProgressBar;
class QWidget;

// Long work in the main window (an import, opening or saving a model, an
// export): a label and a bar in the status bar say what is being done, and
// the window goes on drawing and moving while everything that reads or
// changes the model (the map, the docks, the menus and their shortcuts) is
// switched off and the map shows its last frame. The window refuses to
// close until the work has ended.
class WorkProgress : public QObject
{
    Q_OBJECT
public:
    // The bar takes the place of result (the last result) while work goes on.
    WorkProgress(QMainWindow* window, MapView* map, QWidget* result);

    bool isBusy() const { return depth > 0; }

    // Runs work on a thread of its own while the window's event loop goes
    // on, and returns when it is done; an exception it throws is thrown
    // again here. Work may read the model on the map but must not change it
    // nor touch widgets; the bar shows the time it takes.
    void runInBackground(const QString& label, const std::function<void()>& work);

    // Work on the window's own thread that reports its steps: the first step
    // begins, each shows its label and share (0 to 1) and lets the window
    // draw and move; finish() ends it.
    void step(const QString& label, double fraction);
    void finish();

signals:
    // Each report shown: the label and the percentage done, -1 when unknown.
    void progressed(const QString& label, int percent);

private:
    void begin();
    void end();
    void show(const QString& label, int percent);

    QMainWindow* window;
    MapView* map;
    QWidget* result;
    QLabel* label;
    QProgressBar* bar;
    int depth = 0;
    bool stepping = false;
    QList<QPointer<QWidget>> switchedOffWidgets;
    QList<QPointer<QAction>> switchedOffActions;
};
