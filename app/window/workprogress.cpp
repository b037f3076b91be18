#include "window/workprogress.h"

#include "map/mapview.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QEventLoop>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include <exception>
#include <memory>

namespace {

// How often the bar of work without steps tells the time.
constexpr int tickMilliseconds = 100;

}  // namespace

WorkProgress::WorkProgress(QMainWindow* owner, MapView* mapView, QWidget* resultWidget)
    : QObject(owner), window(owner), map(mapView), result(resultWidget), label(new QLabel(owner)), bar(new QProgressBar(owner))
{
    bar->setMaximumWidth(220);
    bar->setTextVisible(true);
    label->hide();
    bar->hide();
    window->statusBar()->addWidget(label, 1);
    window->statusBar()->addWidget(bar);
}

void WorkProgress::runInBackground(const QString& what, const std::function<void()>& work)
{
    begin();
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this,
            [&] { show(tr("%1 (%2 s)").arg(what).arg(clock.elapsed() / 1000.0, 0, 'f', 1), -1); });
    show(what, -1);
    ticker.start(tickMilliseconds);
    thread->start();
    // The thread may end before the loop starts: its signal waits in the queue.
    loop.exec();
    thread->wait();
    end();
    if (failure)
        std::rethrow_exception(failure);
}

void WorkProgress::step(const QString& what, double fraction)
{
    if (!stepping) {
        stepping = true;
        begin();
    }
    show(what, qBound(0, int(fraction * 100.0), 100));
    QCoreApplication::processEvents();
}

void WorkProgress::finish()
{
    if (!stepping)
        return;
    stepping = false;
    end();
}

void WorkProgress::begin()
{
    if (depth++ > 0)
        return;
    map->setFrozen(true);
    const auto switchOff = [this](QWidget* widget) {
        if (widget && widget->isEnabled()) {
            widget->setEnabled(false);
            switchedOffWidgets.append(widget);
        }
    };
    switchOff(window->menuBar());
    switchOff(window->centralWidget());
    for (QDockWidget* dock : window->findChildren<QDockWidget*>())
        switchOff(dock);
    // Shortcuts reach actions whose menus are switched off.
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->isEnabled()) {
            action->setEnabled(false);
            switchedOffActions.append(action);
        }
    }
    result->hide();
    label->show();
    bar->show();
}

void WorkProgress::end()
{
    if (--depth > 0)
        return;
    for (const QPointer<QAction>& action : switchedOffActions) {
        if (action)
            action->setEnabled(true);
    }
    for (const QPointer<QWidget>& widget : switchedOffWidgets) {
        if (widget)
            widget->setEnabled(true);
    }
    switchedOffActions.clear();
    switchedOffWidgets.clear();
    label->hide();
    bar->hide();
    result->show();
    map->setFrozen(false);
}

void WorkProgress::show(const QString& what, int percent)
{
    label->setText(what);
    if (percent < 0) {
        bar->setRange(0, 0);  // busy: the work does not say how far it is
    } else {
        bar->setRange(0, 100);
        bar->setValue(percent);
    }
    emit progressed(what, percent);
}
