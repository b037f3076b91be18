// File > Export in the window: each entry asks for its file and options
// and writes with the command line's writer.

#include "mainwindow.h"

#include <cvmodel.h>
#include <cvnode.h>
#include <cvsystem.h>

#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

namespace {

// Answers the modal dialogs that an action opens, in order: a file dialog
// with a file name, an input dialog with a text.
class DialogAnswers
{
public:
    explicit DialogAnswers(const QStringList& answers) : pending(answers)
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { answer(); });
        timer.start(20);
    }
    bool allUsed() const { return pending.isEmpty(); }

private:
    void answer()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last || pending.isEmpty())
            return;
        last = modal;
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            files->selectFile(pending.takeFirst());
            QMetaObject::invokeMethod(files, "accept");
        } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            input->setTextValue(pending.takeFirst());
            input->accept();
        } else {
            modal->close();  // a message box: the export failed
        }
    }

    QTimer timer;
    QStringList pending;
    QWidget* last = nullptr;
};

}  // namespace

class TestExportMenu : public QObject
{
    Q_OBJECT

private slots:
    void exportsFromTheWindow_data();
    void exportsFromTheWindow();
};

void TestExportMenu::exportsFromTheWindow_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("answers");  // %1 is the temporary folder
    QTest::addColumn<QString>("written");
    QTest::newRow("GIS") << "exportGisAction" << QStringList{"%1/net.gpkg", "EPSG:32719"} << "%1/net.gpkg";
    QTest::newRow("SUMO") << "exportSumoAction" << QStringList{"%1/net"} << "%1/net.sumocfg";
    QTest::newRow("picture") << "exportPictureAction" << QStringList{"%1/map.png", "320x200"} << "%1/map.png";
}

void TestExportMenu::exportsFromTheWindow()
{
    QFETCH(QString, action);
    QFETCH(QStringList, answers);
    QFETCH(QString, written);
    QTemporaryDir dir;
    for (QString& answer : answers)
        answer.replace(QLatin1String("%1"), dir.path());
    written.replace(QLatin1String("%1"), dir.path());

    MainWindow window;
    auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), window.getModel()));
    node->setPosition(CVPoint(10, 20));
    auto* entry = window.findChild<QMenu*>(QStringLiteral("exportMenu"))->findChild<QAction*>(action);
    QVERIFY(entry);
    const DialogAnswers dialogs(answers);
    entry->trigger();
    QVERIFY(dialogs.allUsed());
    QVERIFY2(QFileInfo::exists(written), qPrintable(written));

    if (action == QLatin1String("exportGisAction")) {
        GDALDatasetUniquePtr dataset(GDALDataset::Open(written.toUtf8().constData(), GDAL_OF_VECTOR));
        QVERIFY(dataset && dataset->GetLayerByName("nodes"));
        QCOMPARE(dataset->GetLayerByName("nodes")->GetFeatureCount(), GIntBig(1));
        QCOMPARE(QString::fromLatin1(dataset->GetLayerByName("nodes")->GetSpatialRef()->GetAuthorityCode(nullptr)),
                 QStringLiteral("32719"));
    } else if (action == QLatin1String("exportPictureAction")) {
        QCOMPARE(QImage(written).size(), QSize(320, 200));
    }
}

QTEST_MAIN(TestExportMenu)
#include "tst_exportmenu.moc"
