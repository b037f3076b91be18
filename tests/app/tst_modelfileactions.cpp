// The window's model file: the title, the question before unsaved changes
// go, and a file that cannot be opened leaving the open model as it is.

#include "modalwatcher.h"
#include "testsupport.h"

#include "window/mainwindow.h"
#include "window/modelfileactions.h"

#include <cvcatalog.h>
#include <cvmodel.h>

#include <QtTest>

class TestModelFileActions : public QObject
{
    Q_OBJECT

private slots:
    void savedAndOpenedFileNamesTheTitle();
    void fileThatCannotBeOpenedKeepsTheModel();
    void unsavedModelAsksBeforeTheWindowCloses();
};

void TestModelFileActions::savedAndOpenedFileNamesTheTitle()
{
    MainWindow window;
    ModelFileActions* actions = window.getFileActions();
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Untitled")));
    actions->markModified();
    QVERIFY(window.isWindowModified());

    NetworkDir dir;
    const QString path = dir.path() + QStringLiteral("/network.json");
    QVERIFY(actions->saveFile(path));
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("network.json")));
    QVERIFY(!window.isWindowModified());

    const CVModel* before = window.getModel();
    const int objects = before->getCatalog()->size();
    QVERIFY(actions->openFile(path));
    QVERIFY(window.getModel() != before);
    QCOMPARE(window.getModel()->getCatalog()->size(), objects);
    QCOMPARE(actions->filePath(), path);
}

void TestModelFileActions::fileThatCannotBeOpenedKeepsTheModel()
{
    MainWindow window;
    const CVModel* before = window.getModel();
    NetworkDir dir;
    const QString path = dir.write("broken.json", "{\"format\":\"corvia-model\",\"version\":2,\"objects\":[{\"id\":1,");
    ModalWatcher watcher;
    QVERIFY(!window.getFileActions()->openFile(path));
    QCOMPARE(window.getModel(), before);
    QCOMPARE(watcher.seen().size(), 1);
    QVERIFY2(watcher.seen().first().text.contains(path), qPrintable(watcher.seen().first().text));
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Untitled")));
}

void TestModelFileActions::unsavedModelAsksBeforeTheWindowCloses()
{
    MainWindow window;
    window.show();
    window.getFileActions()->markModified();
    ModalWatcher watcher;
    // The question is closed unanswered: that cancels, and the window stays.
    QVERIFY(!window.close());
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().title, QStringLiteral("Unsaved model"));
    QVERIFY(window.isVisible());
}

QTEST_MAIN(TestModelFileActions)
#include "tst_modelfileactions.moc"
