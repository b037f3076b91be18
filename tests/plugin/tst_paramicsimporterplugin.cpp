// The plug-in object and the import filter as the host sees them.

#include "modalwatcher.h"

#include "plugin/paramicsfactories.h"
#include "plugin/paramicsfilter.h"
#include "plugin/paramicsimporterplugin.h"

#include <cvcatalog.h>
#include <cvfilterdescription.h>
#include <cvgui.h>
#include <cvmodel.h>
#include <cvpoint.h>
#include <cvsystem.h>

#include <QTest>

#include <memory>

class TestParamicsImporterPlugin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void initGuiRegistersTheNetworkFilter();
    void aboutShowsTheVersionLine();
    void startImportOpensTheDialogOnTheActiveModel();
    void nothingOpensWithoutGuiModelOrInstall();

private:
    QWidget window;
};

void TestParamicsImporterPlugin::init()
{
    ParamicsFilter::plugin = nullptr;
    CVSystem::getSystem().clearImportFilters();
}

void TestParamicsImporterPlugin::initGuiRegistersTheNetworkFilter()
{
    std::unique_ptr<CVPlugin> plugin(ParamicsImporterPluginFactory());
    CVGui gui;
    plugin->install();
    plugin->initGui(&gui);
    const QList<CVFilterDescription>& filters = CVSystem::getSystem().getImportFilters();
    QCOMPARE(filters.size(), 1);
    QCOMPARE(filters.first().getPatterns(), QStringList{QStringLiteral("*.*")});
    QCOMPARE(filters.first().getDescription(), QStringLiteral("Paramics Network"));
    QVERIFY(filters.first().getFactory() == &ParamicsFilterFactory);
    QVERIFY(ParamicsFilter::plugin == plugin.get());
}

void TestParamicsImporterPlugin::aboutShowsTheVersionLine()
{
    std::unique_ptr<CVPlugin> plugin(ParamicsImporterPluginFactory());
    CVGui gui(&window);
    ModalWatcher watcher;
    plugin->about(&gui);
    QCOMPARE(watcher.seen().size(), 1);
    const ModalWatcher::Seen& box = watcher.seen().first();
    QCOMPARE(box.title, QStringLiteral("Paramics Importer"));
    QVERIFY(box.parent == &window);
    const QStringList lines = box.text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0), QStringLiteral("Paramics Importer v1.1"));
    QVERIFY(!lines.at(1).isEmpty());
    QVERIFY(lines.at(2).isEmpty());
    QCOMPARE(lines.at(3), QStringLiteral("For Corvia Version: 6.1.1 (R4318) "));
}

void TestParamicsImporterPlugin::startImportOpensTheDialogOnTheActiveModel()
{
    std::unique_ptr<CVPlugin> plugin(ParamicsImporterPluginFactory());
    plugin->install();
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVGui gui(&window);
    gui.setActiveModel(model.get());
    std::unique_ptr<CVFilter> filter(ParamicsFilterFactory(&gui, model.get()));
    QVERIFY(filter->getGui() == &gui && filter->getModel() == model.get());

    ModalWatcher watcher;
    QVERIFY(filter->startImport(CVFilterDescription(), nullptr, CVPoint()));
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().className, QStringLiteral("ParamicsImporterDlg"));
    QCOMPARE(watcher.seen().first().objectName, QStringLiteral("CVQTParamicsImporterDlg"));
    QVERIFY(watcher.seen().first().parent == &window);
    // Closed without OK: nothing was imported.
    QVERIFY(!model->getCatalog()->find(QStringLiteral("Paramics Configuration")));
}

// About without a window, an import before install() and importParamics
// without an active model or without a window each open nothing.
void TestParamicsImporterPlugin::nothingOpensWithoutGuiModelOrInstall()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    CVGui gui(&window);
    gui.setActiveModel(model.get());
    std::unique_ptr<CVFilter> filter(ParamicsFilterFactory(&gui, model.get()));
    std::unique_ptr<CVPlugin> plugin(ParamicsImporterPluginFactory());
    CVGui noModel(&window);
    ModalWatcher watcher;
    plugin->about(nullptr);
    QVERIFY(filter->startImport(CVFilterDescription(), nullptr, CVPoint()));
    QVERIFY(QMetaObject::invokeMethod(plugin.get(), "importParamics", Q_ARG(CVGui*, &noModel)));
    QVERIFY(QMetaObject::invokeMethod(plugin.get(), "importParamics", Q_ARG(CVGui*, nullptr)));
    QTest::qWait(60);
    QVERIFY(watcher.seen().isEmpty());
}

QTEST_MAIN(TestParamicsImporterPlugin)
#include "tst_paramicsimporterplugin.moc"
