// Long work in the window and its log: the log panel groups an import's
// warnings as `corvia import` prints them; importing, opening and saving
// through the window give the command line's model, report progress, and
// the window's event loop runs while the work goes on.

#include "corviarun.h"
#include "testsupport.h"

#include "import/importdialogwatcher.h"
#include "map/mapview.h"
#include "window/logpanel.h"
#include "window/mainwindow.h"
#include "window/modelfileactions.h"
#include "window/workprogress.h"

#include <cvcatalog.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvobject.h>
#include <cvsystem.h>

#include <QDockWidget>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

QString sharedNetwork(const QString& name)
{
    return qEnvironmentVariable("SHARED_NETWORKS_DIR", QStringLiteral(SHARED_NETWORKS_DIR)) + QLatin1Char('/') + name;
}

// Imports the network through File > Import, the dialog answered with its
// directory; how often the window's event loop ran meanwhile.
int importInWindow(MainWindow& window, const QString& directory)
{
    int loops = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&loops] { ++loops; });
    ticker.start(0);
    ParamicsImportOptions options;
    options.directory = directory;
    ImportDialogWatcher user(options);
    window.importWith(0);
    return loops;
}

// Each row as the command line prints it: a group's messages after its name.
QStringList asCommandLine(const LogPanel& log)
{
    QStringList lines;
    for (const QString& group : log.groupTexts()) {
        const QStringList items = log.childTexts(group);
        lines << (items.isEmpty() ? group : group + QStringLiteral(": ") + items.join(QStringLiteral(", ")));
    }
    return lines;
}

QString labelsOf(const QSignalSpy& progress)
{
    QStringList labels;
    for (const QList<QVariant>& report : progress)
        labels << report.at(0).toString();
    return labels.join(QLatin1Char('\n'));
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestWindowWork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void logGroupsAsTheCommandLine_data();
    void logGroupsAsTheCommandLine();
    void repeatsOfAKindAreOneRow();
    void importOpenAndSaveGiveTheCommandLinesModel();
    void windowRunsWhileWorkGoesOn();
    void screenshotForTheDocs();

private:
    QTemporaryDir dir;
};

void TestWindowWork::initTestCase()
{
    CVSystem::getSystem().clearImportFilters();
    MainWindow window;
    QVERIFY(window.loadPlugins({QStringLiteral(CORVIA_BIN_DIR)}));
}

void TestWindowWork::logGroupsAsTheCommandLine_data()
{
    QTest::addColumn<QString>("network");
    QTest::newRow("roundabout, links files") << examplesDir(QStringLiteral("quadstone"));
    QTest::newRow("another variant") << examplesDir(QStringLiteral("sias"));
    QTest::newRow("missing files") << sharedNetwork(QStringLiteral("escenario2"));
}

void TestWindowWork::logGroupsAsTheCommandLine()
{
    QFETCH(QString, network);
    REQUIRE_SHARED_NETWORK(network);
    QByteArray output;
    QCOMPARE(corviaImport(network, {}, dir.filePath(QStringLiteral("cli.json")), &output), 0);
    QStringList printed;
    for (const QString& line : QString::fromLocal8Bit(output).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("warning: ")) || line.startsWith(QLatin1String("note: ")))
            printed << line.section(QLatin1String(": "), 1);
    }
    QVERIFY(!printed.isEmpty());

    MainWindow window;
    importInWindow(window, network);
    LogPanel* log = window.getLogPanel();
    QCOMPARE(asCommandLine(*log), printed);

    // A row that names a node shows it.
    for (QTreeWidgetItem* row : log->findItems(QStringLiteral("Roundabout nodes"), Qt::MatchStartsWith)) {
        QTreeWidgetItem* message = row->childCount() > 0 ? row->child(0) : row;
        emit log->itemClicked(message, 0);
        const CVObject* shown = window.getModel()->getCatalog()->find(window.getMapView()->getSelectedId());
        QVERIFY(shown);
        QCOMPARE(shown->getTypeName(), QStringLiteral("CVNode"));
        QVERIFY2(message->text(0).endsWith(shown->getName()), qPrintable(message->text(0)));
    }
}

void TestWindowWork::repeatsOfAKindAreOneRow()
{
    LogPanel log;
    const auto roundabout = [](int node) {
        return QStringLiteral("Node: <A HREF=\"OBJ_REF://%1\">%1</A> is a roundabout").arg(node + 100);
    };
    for (int node = 0; node < 2000; ++node)
        log.addEntry(QStringLiteral("warning"), roundabout(node));
    log.addEntry(QStringLiteral("error"), roundabout(7));
    for (int i = 0; i < 3; ++i)
        log.addEntry(QStringLiteral("warning"), QStringLiteral("Odd &amp; repeated"));
    log.addEntry(QStringLiteral("warning"), QStringLiteral("File: /net/links.2. File not found"));
    log.addEntry(QStringLiteral("warning"), QStringLiteral("File: /net/links.3. File not found"));
    QCOMPARE(log.groupTexts(), (QStringList{"Roundabout nodes (2000)", "Roundabout nodes: 107", "Odd & repeated (3)",
                                            "File not found (2)"}));
    const QStringList nodes = log.childTexts(QStringLiteral("Roundabout nodes (2000)"));
    QCOMPARE(nodes.size(), 2000);
    QCOMPARE(nodes.at(1500), QStringLiteral("1600"));

    QSignalSpy requested(&log, &LogPanel::objectRequested);
    emit log.itemClicked(log.topLevelItem(0)->child(1500), 0);
    emit log.itemClicked(log.topLevelItem(0), 0);  // a group names no object
    emit log.itemClicked(log.topLevelItem(1), 0);
    QCOMPARE(requested.size(), 2);
    QCOMPARE(requested.at(0).at(0).toUInt(), 1600u);
    QCOMPARE(requested.at(1).at(0).toUInt(), 107u);

    // Inside the network's directory the first missing links file ends the numbered ones.
    log.setDirectory(QStringLiteral("/net"));
    QCOMPARE(log.groupTexts().mid(2), (QStringList{"Odd & repeated (3)", "File not found: links.3",
                                                  "2 links file(s) read; the numbered links files end at links.2"}));
}

// The same model as `corvia import` saves, through the window's import,
// open and save, each reporting progress while the window's loop runs.
void TestWindowWork::importOpenAndSaveGiveTheCommandLinesModel()
{
    const QString network = examplesDir(QStringLiteral("quadstone"));
    const QString cli = dir.filePath(QStringLiteral("quadstone-cli.json"));
    QCOMPARE(corviaImport(network, {QStringLiteral("--quiet")}, cli), 0);

    MainWindow window;
    QSignalSpy progress(window.getWorkProgress(), &WorkProgress::progressed);
    QVERIFY(importInWindow(window, network) > 0);
    const QString imports = labelsOf(progress);
    QVERIFY2(imports.count(QStringLiteral("reading ")) > 1 && imports.contains(QStringLiteral("building the network")),
             qPrintable(imports));
    // The Quadstone variant has no configuration file to read.
    QVERIFY2(imports.contains(QStringLiteral("reading (no configuration)"))
                 && !imports.contains(QStringLiteral("reading configuration")),
             qPrintable(imports));
    const QString imported = dir.filePath(QStringLiteral("quadstone-window.json"));
    QVERIFY(window.getFileActions()->saveFile(imported));
    QCOMPARE(contents(imported), contents(cli));

    progress.clear();
    QVERIFY(window.getFileActions()->openFile(cli));
    const QString saved = dir.filePath(QStringLiteral("quadstone-opened.json"));
    QVERIFY(window.getFileActions()->saveFile(saved));
    QCOMPARE(contents(saved), contents(cli));
    const QString files = labelsOf(progress);
    QVERIFY2(files.contains(QStringLiteral("Opening quadstone-cli.json\n")) && files.contains(QStringLiteral("Saving quadstone-opened.json")),
             qPrintable(files));
    // Read on a thread of its own, the model's log lives on the window's.
    QCOMPARE(window.getModel()->getLog()->thread(), window.thread());
}

// Work on its own thread: the window's loop goes on (it is what ends the
// work here), the bar counts the time, and nothing that reads the model
// can be used until the work is done.
void TestWindowWork::windowRunsWhileWorkGoesOn()
{
    MainWindow window;
    window.show();
    WorkProgress* work = window.getWorkProgress();
    QSignalSpy progress(work, &WorkProgress::progressed);
    std::atomic<bool> released{false};
    bool menusOff = false, mapOff = false, docksOff = true, actionsOff = true, closed = true;
    // Checked once the bar has counted three times: a busy machine may
    // merge the ticks of a stalled loop.
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &window, [&] {
        if (progress.size() < 3 || released)
            return;
        menusOff = !window.menuBar()->isEnabled();
        mapOff = !window.getMapView()->isEnabled();
        for (const QDockWidget* dock : window.findChildren<QDockWidget*>())
            docksOff = docksOff && !dock->isEnabled();
        for (const QAction* action : window.findChildren<QAction*>())
            actionsOff = actionsOff && !action->isEnabled();
        closed = window.close();
        released = true;
    });
    check.start(50);
    work->runInBackground(QStringLiteral("Waiting"), [&released] {
        for (int i = 0; i < 3000 && !released; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    QVERIFY2(released, "the window's event loop did not run during the work");
    QVERIFY(progress.size() >= 3);
    QVERIFY(menusOff && mapOff && docksOff && actionsOff);
    QVERIFY2(!closed, "the window closed while the work held its model");
    QVERIFY(window.isVisible() && window.menuBar()->isEnabled() && window.getMapView()->isEnabled());

    // What the work throws reaches the caller, and the window is usable again.
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             work->runInBackground(QStringLiteral("Failing"), [] { throw std::runtime_error("no"); }));
    QVERIFY(!work->isBusy() && window.menuBar()->isEnabled());
}

void TestWindowWork::screenshotForTheDocs()
{
    const QString folder = qEnvironmentVariable("CORVIA_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("CORVIA_SCREENSHOTS is not set");
    const QString network = dir.filePath(QStringLiteral("generated"));
    QCOMPARE(generateNetwork(QStringLiteral("city"), QStringLiteral("quadstone"), network), 0);
    MainWindow window;
    window.resize(1400, 900);
    window.show();
    importInWindow(window, network);
    LogPanel* log = window.getLogPanel();
    auto* logDock = qobject_cast<QDockWidget*>(log->parentWidget());
    QVERIFY(logDock);
    logDock->raise();
    window.resizeDocks({logDock}, {300}, Qt::Vertical);
    if (QTreeWidgetItem* first = log->topLevelItem(0)) {
        first->setExpanded(true);
        if (first->childCount() > 2)
            emit log->itemClicked(first->child(2), 0);
        log->setCurrentItem(first->child(2));
    }
    window.getMapView()->zoomBy(8.0);
    QTest::qWait(200);
    QVERIFY(window.grab().save(folder + QStringLiteral("/window-log.png")));
}

QTEST_MAIN(TestWindowWork)
#include "tst_windowwork.moc"
