#include "corviarun.h"
#include "testsupport.h"

#include "map/maprenderer.h"
#include "map/mapview.h"
#include "window/legendpanel.h"
#include "window/mainwindow.h"
#include "window/objectfinder.h"
#include "window/propertiespanel.h"

#include <cvcatalog.h>
#include <cvgeoreference.h>
#include <cvmapstyle.h>
#include <cvmodel.h>
#include <cvmodelreader.h>
#include <cvobject.h>

#include <QTemporaryDir>
#include <QTreeWidgetItem>
#include <QtTest>

// Finding and reading objects in the window as a Paramics modeller names
// them, on the real network.
class TestObjectFinder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void find_data();
    void find();
    void propertiesLinkToWhatTheyName();
    void signalisedNodeShowsItsPhases();
    void screenshotForTheDocs();
    void searchesReplaceTheSelection();
    void cursorShowsPlaneAndEarth();
    void legendSwitchesKindsOffTheMap_data();
    void legendSwitchesKindsOffTheMap();

private:
    QTemporaryDir dir;
    QString modelPath;
    std::unique_ptr<MainWindow> openWindow() const
    {
        auto window = std::make_unique<MainWindow>();
        QString error;
        std::unique_ptr<CVModel> model = CVModelReader::load(modelPath, &error);
        if (model)
            window->replaceModel(std::move(model));
        return window;
    }
};

void TestObjectFinder::initTestCase()
{
    const QString network = qEnvironmentVariable("SHARED_NETWORKS_DIR", QStringLiteral(SHARED_NETWORKS_DIR)) + "/escenario2";
    REQUIRE_SHARED_NETWORK(network);
    modelPath = dir.filePath(QStringLiteral("escenario2.json"));
    QCOMPARE(corviaImport(network, {QStringLiteral("--quiet")}, modelPath), 0);
}

void TestObjectFinder::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("first");  // the first matches, described
    QTest::newRow("link") << "101:100" << QStringList{"Link 101:100"};
    QTest::newRow("link with a space") << " 101 100 " << QStringList{"Link 101:100"};
    QTest::newRow("node before zone, line and host id") << "3" << QStringList{"Node 3", "Zone 3", "Bus line 3"};
    QTest::newRow("route name, quotes aside") << "21" << QStringList{"Node 21", "Zone 21", "Bus line 21"};
    QTest::newRow("detector") << "Detector-1" << QStringList{"Detector Detector-1"};
    QTest::newRow("a link that is not there") << "101:999" << QStringList{};
}

void TestObjectFinder::find()
{
    QFETCH(QString, text);
    QFETCH(QStringList, first);
    QString error;
    const std::unique_ptr<CVModel> model = CVModelReader::load(modelPath, &error);
    QVERIFY2(model, qPrintable(error));
    QStringList described;
    for (const CVObject* object : ObjectFinder::find(*model, text))
        described << ObjectFinder::describe(*object);
    QCOMPARE(described.mid(0, first.size()), first);
    // A host id is the last resort: node 20 comes before the object whose id is 20.
    if (text == QLatin1String("3")) {
        const int hostIdAt = described.indexOf(QRegularExpression(QStringLiteral(".*#3$")));
        QVERIFY(hostIdAt < 0 || hostIdAt >= first.size());
    }
}

// A section's rows speak Paramics, with units, and its nodes are links.
void TestObjectFinder::propertiesLinkToWhatTheyName()
{
    const auto window = openWindow();
    QCOMPARE(window->search(QStringLiteral("101:100")), 1);
    PropertiesPanel* properties = window->getPropertiesPanel();
    QCOMPARE(properties->valueOf(QStringLiteral("Object")), QStringLiteral("Link 101:100"));
    QVERIFY(properties->valueOf(QStringLiteral("Speed")).endsWith(QLatin1String(" km/h")));
    QVERIFY(properties->valueOf(QStringLiteral("Length")).endsWith(QLatin1String(" m")));
    QCOMPARE(properties->valueOf(QStringLiteral("From")), QStringLiteral("Node 101"));
    QTreeWidgetItem* from = properties->findItems(QStringLiteral("From"), Qt::MatchExactly, 0).value(0);
    QVERIFY(from);
    emit properties->itemClicked(from, 1);
    QCOMPARE(properties->valueOf(QStringLiteral("Object")), QStringLiteral("Node 101"));
    const CVObject* node = window->getModel()->getCatalog()->find(window->getMapView()->getSelectedId());
    QVERIFY(node);
    QCOMPARE(node->getName(), QStringLiteral("101"));
}

// A signalised node lists its phases and the movements green in each.
void TestObjectFinder::signalisedNodeShowsItsPhases()
{
    const auto window = openWindow();
    PropertiesPanel* properties = window->getPropertiesPanel();
    int signalised = 0;
    for (const CVObject* object : window->getModel()->getCatalog()->allObjects()) {
        if (object->getTypeName() != QLatin1String("CVNode"))
            continue;
        window->showObject(object->getId());
        if (!properties->valueOf(QStringLiteral("Control")).startsWith(QLatin1String("signalised")))
            continue;
        ++signalised;
        QTreeWidgetItem* phases = properties->findItems(QStringLiteral("Phases"), Qt::MatchExactly, 0).value(0);
        QVERIFY(phases && phases->childCount() > 0);
        int green = 0;
        for (int i = 0; i < phases->childCount(); ++i)
            green += phases->child(i)->childCount();
        QVERIFY2(green > 0, qPrintable(object->getName()));
        QVERIFY(phases->child(0)->child(0) == nullptr
                || phases->child(0)->child(0)->text(1).contains(QStringLiteral(" → ")));
    }
    QVERIFY(signalised > 20);
}

// With CORVIA_SCREENSHOTS=DIR the window is photographed for docs/window.md:
// a signalised node found by its number, its phases unfolded.
void TestObjectFinder::screenshotForTheDocs()
{
    const QString folder = qEnvironmentVariable("CORVIA_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("CORVIA_SCREENSHOTS is not set");
    const auto window = openWindow();
    window->resize(1400, 900);
    window->show();
    window->getMapView()->fitToModel();
    QVERIFY(window->search(QStringLiteral("31")) > 0);
    window->getMapView()->zoomBy(6.0);
    PropertiesPanel* properties = window->getPropertiesPanel();
    if (QTreeWidgetItem* phases = properties->findItems(QStringLiteral("Phases"), Qt::MatchExactly, 0).value(0)) {
        phases->setExpanded(true);
        if (phases->childCount() > 0)
            phases->child(0)->setExpanded(true);
    }
    QTest::qWait(200);
    QVERIFY(window->grab().save(folder + QStringLiteral("/window-find-node.png")));
}

void TestObjectFinder::searchesReplaceTheSelection()
{
    const auto window = openWindow();
    const int matches = window->search(QStringLiteral("3"));
    QVERIFY(matches >= 3);
    const unsigned int first = window->getMapView()->getSelectedId();
    window->findNext();
    QVERIFY(window->getMapView()->getSelectedId() != first);
    QVERIFY(window->getResultText().contains(QStringLiteral("2 of %1").arg(matches)));
    for (int i = 1; i < matches; ++i)
        window->findNext();
    QCOMPARE(window->getMapView()->getSelectedId(), first);  // round again
    QCOMPARE(window->search(QStringLiteral("no such thing")), 0);
    QCOMPARE(window->getMapView()->getSelectedId(), 0u);
    QCOMPARE(window->getPropertiesPanel()->topLevelItemCount(), 0);
}

void TestObjectFinder::cursorShowsPlaneAndEarth()
{
    const auto window = openWindow();
    window->resize(800, 600);
    MapView* map = window->getMapView();
    map->fitToModel();
    const QPointF plane(-69256.52, -731307.94);  // node 101
    const QPoint at = map->getTransform().map(plane).toPoint();
    QTest::mouseMove(map, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), map->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(map, &move);
    QVERIFY2(window->getCursorText().startsWith(QLatin1String("x -692")), qPrintable(window->getCursorText()));
    QVERIFY(!window->getCursorText().contains(QLatin1String("°")));

    CVGeoReference where;
    where.crs = QStringLiteral("EPSG:32719");
    where.originEasting = 416000;
    where.originNorthing = 7030000;
    window->getModel()->setGeoReference(where);
    QApplication::sendEvent(map, &move);
    QVERIFY2(window->getCursorText().contains(QLatin1String("(-33.4")), qPrintable(window->getCursorText()));
}

void TestObjectFinder::legendSwitchesKindsOffTheMap_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("sections") << QStringList{"Section"} << CVMapStyle::road();
    QTest::newRow("bus stops") << QStringList{"Bus stop"} << CVMapStyle::busStop();
    // Centroids draw their connections in their own colour.
    QTest::newRow("centroids and connections") << QStringList{"Centroid", "Centroid connection"} << CVMapStyle::centroid();
}

// Pixels of that colour in a picture of the whole network.
int pixelsOf(const MapRenderer& renderer, const QColor& colour)
{
    const QImage image = renderer.renderImage(QSize(800, 600));
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y).rgb() == colour.rgb();
    }
    return count;
}

void TestObjectFinder::legendSwitchesKindsOffTheMap()
{
    QFETCH(QStringList, entries);
    QFETCH(QColor, colour);
    const auto window = openWindow();
    LegendPanel* legend = window->getLegendPanel();
    const MapRenderer& renderer = window->getMapView()->getRenderer();
    const int shown = pixelsOf(renderer, colour);
    QVERIFY2(shown > 20, qPrintable(QStringLiteral("%1 pixels of %2").arg(shown).arg(entries.join(", "))));
    for (const QString& entry : entries)
        QVERIFY(legend->toggle(entry));
    QCOMPARE(pixelsOf(renderer, colour), 0);
    for (const QString& entry : entries)
        QVERIFY(legend->toggle(entry));
    QCOMPARE(pixelsOf(renderer, colour), shown);
}

QTEST_MAIN(TestObjectFinder)
#include "tst_objectfinder.moc"
