// The main window: its import menu, its log panel and the map renderer.

#include "testsupport.h"

#include "import/importdialogwatcher.h"
#include "map/maprenderer.h"
#include "map/mapview.h"
#include "window/legendpanel.h"
#include "window/logpanel.h"
#include "window/mainwindow.h"
#include "window/propertiespanel.h"

#include <cvgeomodel.h>
#include <cvgeoobject.h>
#include <cvgui.h>
#include <cvlayer.h>
#include <cvlog.h>
#include <cvmappainter.h>
#include <cvmodel.h>
#include <cvregistry.h>
#include <cvsystem.h>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QMenu>
#include <QStatusBar>
#include <cvcatalog.h>
#include <QTest>

#include <memory>

namespace {

// A square of 10 m around a position, drawn filled in red: enough to see
// that the renderer places and draws what a map type asks for.
class TestBlock : public CVGeoObject
{
public:
    using CVGeoObject::CVGeoObject;
    CVPoint centre;

    CVBBox getBoundingBox() const override
    {
        CVBBox box;
        box.set(centre.x - 5.0, centre.x + 5.0, centre.y - 5.0, centre.y + 5.0);
        return box;
    }
    void draw(CVMapPainter& map) const override
    {
        map.drawBand(CVPoints{CVPoint(centre.x - 5.0, centre.y), CVPoint(centre.x + 5.0, centre.y)}, 10.0, Qt::red);
    }
};

CV_REGISTER_TYPE(TestBlock)

TestBlock* addBlock(CVModel* model, double x, double y)
{
    CVLayer* layer = model->getGeoModel()->getActiveLayer(true);
    auto* block = static_cast<TestBlock*>(CVSystem::getSystem().newObject(QStringLiteral("TestBlock"), model));
    block->centre = CVPoint(x, y);
    model->getGeoModel()->add(layer, block);
    return block;
}

QStringList actionTexts(QMenu* menu)
{
    emit menu->aboutToShow();
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text().remove(QLatin1Char('&'));
    return texts;
}

}  // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void fitTransformShowsTheBoxNorthUp_data();
    void fitTransformShowsTheBoxNorthUp();
    void dragPansTheMap();
    void objectReferenceInLogText_data();
    void objectReferenceInLogText();
    void windowWithoutPluginSaysSo();
    void linkedWarningCentresItsObject();
    void zoomPanAndFit_data();
    void zoomPanAndFit();
    void clickShowsTheObjectsProperties();
    void findByNameIdOrExternalId_data();
    void findByNameIdOrExternalId();
    void importsAgainIntoANewModel();
};

void TestMainWindow::fitTransformShowsTheBoxNorthUp_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::newRow("wide network") << 2000.0 << 100.0;
    QTest::newRow("tall network") << 50.0 << 3000.0;
    QTest::newRow("single point") << 0.0 << 0.0;
}

void TestMainWindow::fitTransformShowsTheBoxNorthUp()
{
    QFETCH(double, width);
    QFETCH(double, height);
    CVBBox box;
    box.set(1000.0, 1000.0 + width, -500.0, -500.0 + height);
    const QSizeF viewport(400, 300);
    const double margin = 20;
    const QTransform t = MapRenderer::fitTransform(box, viewport, margin);
    const QPointF southWest = t.map(QPointF(1000.0, -500.0));
    const QPointF northEast = t.map(QPointF(1000.0 + width, -500.0 + height));
    // Inside the margins, north above south, east right of west, centred.
    for (const QPointF& p : {southWest, northEast}) {
        QVERIFY(p.x() >= margin - 1e-6 && p.x() <= viewport.width() - margin + 1e-6);
        QVERIFY(p.y() >= margin - 1e-6 && p.y() <= viewport.height() - margin + 1e-6);
    }
    QVERIFY(northEast.y() <= southWest.y());
    QVERIFY(northEast.x() >= southWest.x());
    QCOMPARE((southWest + northEast) / 2.0, QPointF(200, 150));
    // The longer side fills the view between the margins.
    if (width > 0)
        QVERIFY(qFuzzyCompare(northEast.x() - southWest.x(), 360.0) || qFuzzyCompare(southWest.y() - northEast.y(), 260.0));
}

void TestMainWindow::dragPansTheMap()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    addBlock(model.get(), 0.0, 0.0);
    MapView view;
    view.resize(400, 300);
    view.setModel(model.get());
    view.show();
    const QPointF origin = view.getTransform().map(QPointF(0, 0));
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QMouseEvent move(QEvent::MouseMove, QPointF(230, 110), view.mapToGlobal(QPointF(230, 110)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(230, 110));
    QCOMPARE(view.getTransform().map(QPointF(0, 0)), origin + QPointF(30, -40));
}

void TestMainWindow::objectReferenceInLogText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("id");
    QTest::addColumn<QString>("plain");
    QTest::newRow("roundabout") << "Node: <A HREF=\"OBJ_REF://42\">42</A> is a roundabout" << 42u
                                << "Node: 42 is a roundabout";
    QTest::newRow("lower case") << "see <a href=\"OBJ_REF://7\">it</a>" << 7u << "see it";
    QTest::newRow("no link") << "File: /x/zones. File not found" << 0u << "File: /x/zones. File not found";
    QTest::newRow("no number") << "<A HREF=\"OBJ_REF://abc\">abc</A>" << 0u << "abc";
}

void TestMainWindow::objectReferenceInLogText()
{
    QFETCH(QString, text);
    QFETCH(uint, id);
    QFETCH(QString, plain);
    QCOMPARE(LogPanel::objectReference(text), id);
    QCOMPARE(LogPanel::plainText(text), plain);
}

void TestMainWindow::windowWithoutPluginSaysSo()
{
    CVSystem::getSystem().clearImportFilters();
    NetworkDir empty;
    MainWindow window;
    QVERIFY(!window.loadPlugins({empty.path()}));
    QCOMPARE(window.getLogPanel()->topLevelItemCount(), 1);
    QVERIFY(window.getLogPanel()->topLevelItem(0)->text(0).contains(QStringLiteral("crvparamicsimporter6")));
    const QList<QAction*> entries = window.getImportMenu()->actions();
    QCOMPARE(entries.size(), 1);
    QVERIFY(!entries.first()->isEnabled());
}

void TestMainWindow::linkedWarningCentresItsObject()
{
    MainWindow window;
    window.resize(800, 600);
    window.show();
    CVModel* model = window.getModel();
    addBlock(model, 0.0, 0.0);
    const TestBlock* far = addBlock(model, 5000.0, 3000.0);
    window.getMapView()->modelChanged();
    model->getLog()->addWarning(QStringLiteral("Node: <A HREF=\"OBJ_REF://%1\">%1</A> is a roundabout").arg(far->getId()));
    LogPanel* log = window.getLogPanel();
    QCOMPARE(log->topLevelItemCount(), 1);

    emit log->itemClicked(log->topLevelItem(0), 0);
    MapView* map = window.getMapView();
    const QPointF onScreen = map->getTransform().map(QPointF(5000.0, 3000.0));
    QVERIFY(qAbs(onScreen.x() - map->width() / 2.0) < 1.0);
    QVERIFY(qAbs(onScreen.y() - map->height() / 2.0) < 1.0);
}

void TestMainWindow::zoomPanAndFit_data()
{
    QTest::addColumn<int>("key");  // 0: the wheel, turned at the fixed point
    QTest::addColumn<int>("delta");
    QTest::addColumn<double>("scaleChange");
    QTest::addColumn<QPointF>("fixedPoint");   // the screen point a zoom keeps
    QTest::addColumn<QPointF>("originMoves");  // where the model origin goes on the screen, scale aside
    QTest::newRow("wheel in") << 0 << 120 << 1.25 << QPointF(100, 80) << QPointF();
    QTest::newRow("wheel out two notches") << 0 << -240 << 1.0 / (1.25 * 1.25) << QPointF(100, 80) << QPointF();
    QTest::newRow("plus zooms in") << int(Qt::Key_Plus) << 0 << 1.25 << QPointF(200, 150) << QPointF();
    QTest::newRow("minus zooms out") << int(Qt::Key_Minus) << 0 << 0.8 << QPointF(200, 150) << QPointF();
    QTest::newRow("right looks right") << int(Qt::Key_Right) << 0 << 1.0 << QPointF() << QPointF(-80, 0);
    QTest::newRow("up looks up") << int(Qt::Key_Up) << 0 << 1.0 << QPointF() << QPointF(0, 60);
}

void TestMainWindow::zoomPanAndFit()
{
    QFETCH(int, key);
    QFETCH(int, delta);
    QFETCH(double, scaleChange);
    QFETCH(QPointF, fixedPoint);
    QFETCH(QPointF, originMoves);
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    addBlock(model.get(), 0.0, 0.0);
    addBlock(model.get(), 400.0, 300.0);
    MapView view;
    view.resize(400, 300);
    view.setModel(model.get());
    const QTransform fitted = view.getTransform();
    const QPointF underFixedPoint = fitted.inverted().map(fixedPoint);
    if (key) {
        QTest::keyClick(&view, Qt::Key(key));
    } else {
        QWheelEvent wheel(fixedPoint, view.mapToGlobal(fixedPoint), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
    }
    const QTransform after = view.getTransform();
    QVERIFY(qFuzzyCompare(after.m11() / fitted.m11(), scaleChange));
    QVERIFY(after.m22() < 0);  // still north up
    if (scaleChange != 1.0)
        QVERIFY((after.map(underFixedPoint) - fixedPoint).manhattanLength() < 1e-6);
    else
        QVERIFY((after.map(QPointF(0, 0)) - fitted.map(QPointF(0, 0)) - originMoves).manhattanLength() < 1e-6);
    QTest::keyClick(&view, Qt::Key_Home);
    QCOMPARE(view.getTransform(), fitted);
}

void TestMainWindow::clickShowsTheObjectsProperties()
{
    MainWindow window;
    window.resize(900, 700);
    window.show();
    addBlock(window.getModel(), 0.0, 0.0);
    TestBlock* far = addBlock(window.getModel(), 500.0, 300.0);
    far->setName(QStringLiteral("Depot"));
    MapView* map = window.getMapView();
    map->modelChanged();
    QTest::mouseClick(map, Qt::LeftButton, Qt::NoModifier, map->getTransform().map(QPointF(500, 300)).toPoint());
    QCOMPARE(map->getSelectedId(), far->getId());
    PropertiesPanel* properties = window.getPropertiesPanel();
    QCOMPARE(properties->valueOf(QStringLiteral("Host id")), QString::number(far->getId()));
    QCOMPARE(properties->valueOf(QStringLiteral("Name")), QStringLiteral("Depot"));
    QCOMPARE(properties->valueOf(QStringLiteral("Object")), QStringLiteral("TestBlock"));
    // A click on empty map clears the selection.
    QTest::mouseClick(map, Qt::LeftButton, Qt::NoModifier, map->getTransform().map(QPointF(250, 150)).toPoint());
    QCOMPARE(map->getSelectedId(), 0u);
    QCOMPARE(properties->topLevelItemCount(), 0);
}

void TestMainWindow::findByNameIdOrExternalId_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");  // index of the block found, -1 for none
    QTest::newRow("name") << "Depot" << 1;
    QTest::newRow("name in other case") << "depot" << 1;
    QTest::newRow("external id") << "EXT-7" << 2;
    QTest::newRow("id") << "#id0" << 0;
    QTest::newRow("spaces around") << "  Depot " << 1;
    QTest::newRow("nothing") << "Nowhere" << -1;
}

void TestMainWindow::findByNameIdOrExternalId()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    MainWindow window;
    QList<TestBlock*> blocks;
    for (int i = 0; i < 3; ++i)
        blocks << addBlock(window.getModel(), 100.0 * i, 0.0);
    blocks[1]->setName(QStringLiteral("Depot"));
    blocks[2]->setExternalId(QStringLiteral("EXT-7"));
    if (text == QLatin1String("#id0"))
        text = QString::number(blocks[0]->getId());
    const CVObject* found = window.findObject(text);
    QCOMPARE(found, expected < 0 ? nullptr : static_cast<const CVObject*>(blocks[expected]));
    if (found) {
        window.getMapView()->modelChanged();
        QVERIFY(window.showObject(found->getId()));
        QCOMPARE(window.getMapView()->getSelectedId(), found->getId());
        QCOMPARE(window.getPropertiesPanel()->valueOf(QStringLiteral("Host id")), QString::number(found->getId()));
    }
}

void TestMainWindow::importsAgainIntoANewModel()
{
    CVSystem::getSystem().clearImportFilters();
    MainWindow window;
    QVERIFY(window.loadPlugins({QStringLiteral(CORVIA_BIN_DIR)}));
    QCOMPARE(actionTexts(window.getImportMenu()), QStringList{QStringLiteral("Paramics Network")});
    const QStringList help = actionTexts(window.getHelpMenu());
    for (const char* entry : {"About Paramics Importer...", "About Corvia...", "About Qt..."})
        QVERIFY2(help.contains(QLatin1String(entry)), entry);
    ParamicsImportOptions options;
    options.directory = examplesDir(QStringLiteral("quadstone"));
    for (int round = 0; round < 2; ++round) {
        if (round == 1)
            window.resetModel();
        ImportDialogWatcher user(options);
        window.importWith(0);
        QVERIFY(user.allFilled());
        QCOMPARE(user.acceptedOptions(), std::optional<ParamicsImportOptions>(options));
        // The window keeps what the import ran with in the model.
        const std::optional<CVImportSettings>& kept = window.getModel()->getImportSettings();
        QVERIFY(kept);
        QCOMPARE(kept->directory, options.directory);
        QCOMPARE(kept->variant, QStringLiteral("Quadstone"));
        const CVType* sections = window.getModel()->getType(QStringLiteral("CVSection"));
        QCOMPARE(window.getModel()->getCatalog()->size(sections), 33);
        QVERIFY2(window.getResultText().contains(QStringLiteral("sections 33")), qPrintable(window.getResultText()));
        const QStringList legend = window.getLegendPanel()->entryTexts();
        for (const char* kind : {"Section", "Node", "Centroid", "Centroid connection", "Bus stop", "Detector"})
            QVERIFY2(legend.contains(QLatin1String(kind)), kind);
    }
    // A menu's status tip does not wipe the result out.
    window.statusBar()->showMessage(QStringLiteral("tip"));
    QVERIFY(window.getResultText().contains(QStringLiteral("sections 33")));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
