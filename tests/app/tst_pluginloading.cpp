// The plug-in library as corvia uses it: loaded at run time, its factories
// resolved, and an import run through its filter and dialog. And corvia
// without a usable plug-in or GIS module.

#include "testsupport.h"

#include "import/importrunner.h"
#include "import/pluginloader.h"

#include <cvcatalog.h>
#include <cvgui.h>
#include <cvmodel.h>
#include <cvplugin.h>
#include <cvsystem.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// The build puts the library next to the programs.
QStringList buildFolders()
{
    return {QStringLiteral(CORVIA_BIN_DIR)};
}

// A copy of corvia in install/bin, with nothing beside it; its path, or
// nothing when it cannot be made.
QString installCorvia(const NetworkDir& install)
{
    const QString program = install.path() + QStringLiteral("/bin/corvia");
    if (!QDir(install.path()).mkpath(QStringLiteral("bin")) || !QFile::copy(QStringLiteral(CORVIA_BIN_DIR "/corvia"), program))
        return QString();
    return program;
}

}  // namespace

class TestPluginLoading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void importThroughFilterAndDialog();
    void importWithoutUserFillsTheDialog_data();
    void importWithoutUserFillsTheDialog();
    void corviaWithoutUsableLibraryExplains_data();
    void corviaWithoutUsableLibraryExplains();
    void corviaWithoutGisModule_data();
    void corviaWithoutGisModule();

private:
    CVGui gui;
    PluginLoader loader;
    const CVFilterDescription* filter = nullptr;
};

void TestPluginLoading::initTestCase()
{
    CVSystem::getSystem().clearImportFilters();
    QVERIFY2(loader.load(&gui, buildFolders()), qPrintable(loader.errorString()));
    QVERIFY(loader.getPlugin());
    QCOMPARE(loader.getPlugin()->getName(), QStringLiteral("Paramics Importer"));
    QCOMPARE(loader.getPlugin()->metaObject()->className(), "ParamicsImporterPlugin");
    filter = ImportRunner::findImportFilter(loader.getFilterFactory());
    QVERIFY2(filter, "the plug-in registered no filter made by ParamicsFilterFactory");
    QCOMPARE(filter->getDescription(), QStringLiteral("Paramics Network"));
}

void TestPluginLoading::importThroughFilterAndDialog()
{
    NetworkDir network;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    gui.setActiveModel(model.get());
    bool dialogSeen = false;
    // The user: types the directory into the open dialog and presses OK.
    QTimer::singleShot(50, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != QLatin1String("CVQTParamicsImporterDlg"))
            return;
        dialogSeen = true;
        dialog->findChild<QLineEdit*>(QStringLiteral("DirectoryEdit"))->setText(network.path());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("buttonOk")), Qt::LeftButton);
    });
    const ImportOutcome outcome = ImportRunner::runFilter(&gui, *filter);
    gui.setActiveModel(nullptr);

    QVERIFY(dialogSeen);
    QVERIFY(outcome.warnings.contains(QStringLiteral("File: %1/zones. File not found").arg(network.path())));
    QVERIFY(model->getCatalog()->find(QStringLiteral("Paramics Configuration")));
    QCOMPARE(outcome.added.value(QStringLiteral("CVCentroidConfiguration")), 1);
    QCOMPARE(outcome.added.value(QStringLiteral("CVLayer")), 1);
}

void TestPluginLoading::importWithoutUserFillsTheDialog_data()
{
    QTest::addColumn<ParamicsVariant>("variant");
    QTest::addColumn<ParamicsLengthUnit>("units");
    QTest::addColumn<RoadRule>("rule");
    QTest::addColumn<int>("demandFiles");
    QTest::addColumn<bool>("configurationRead");
    QTest::addColumn<bool>("demandsRead");

    QTest::newRow("quadstone") << ParamicsVariant::Quadstone << ParamicsLengthUnit::Metric << RoadRule::KeepRight << 1
                               << false << true;
    QTest::newRow("sias without demands") << ParamicsVariant::Sias << ParamicsLengthUnit::Feet << RoadRule::KeepLeft
                                          << 0 << true << false;
}

void TestPluginLoading::importWithoutUserFillsTheDialog()
{
    QFETCH(ParamicsVariant, variant);
    QFETCH(ParamicsLengthUnit, units);
    QFETCH(RoadRule, rule);
    QFETCH(int, demandFiles);
    QFETCH(bool, configurationRead);
    QFETCH(bool, demandsRead);

    NetworkDir network;
    ParamicsImportOptions options;
    options.directory = network.path();
    options.variant = variant;
    options.units = units;
    options.rule = rule;
    options.demandFiles = demandFiles;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    gui.setActiveModel(model.get());
    const ImportOutcome outcome = ImportRunner::runFilter(&gui, *filter, options);
    gui.setActiveModel(nullptr);

    // The options went into the dialog of the library loaded at run time and
    // came back out of it through its meta-object.
    QVERIFY(outcome.dialogFilled);
    QCOMPARE(outcome.options, std::optional<ParamicsImportOptions>(options));
    const QString notFound = QStringLiteral("File: %1/%2. File not found").arg(network.path());
    QCOMPARE(outcome.warnings.contains(notFound.arg(QStringLiteral("configuration"))), configurationRead);
    QCOMPARE(outcome.warnings.contains(notFound.arg(QStringLiteral("demands"))), demandsRead);
    QVERIFY(outcome.warnings.contains(notFound.arg(QStringLiteral("zones"))));
    // Nothing was built, so nothing is recorded as the model's import.
    QVERIFY(!model->getImportSettings());
}

void TestPluginLoading::corviaWithoutUsableLibraryExplains_data()
{
    QTest::addColumn<QByteArray>("libraryContent");  // empty: no library at all
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << "was not found";
    QTest::newRow("broken") << QByteArray("not a library") << "cannot be loaded";
}

void TestPluginLoading::corviaWithoutUsableLibraryExplains()
{
    QFETCH(QByteArray, libraryContent);
    QFETCH(QString, reason);

    // An installation of corvia without a usable plug-in library beside it.
    NetworkDir install;
    const QString program = installCorvia(install);
    QVERIFY(!program.isEmpty());
    if (!libraryContent.isEmpty())
        install.write(QStringLiteral("bin/") + PluginLoader::libraryFileName(QStringLiteral("crvparamicsimporter6")),
                      libraryContent);

    NetworkDir network;
    QProcess process;
    process.start(program, {QStringLiteral("import"), network.path()});
    QVERIFY(process.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 3);
    QVERIFY2(errors.contains(QStringLiteral("crvparamicsimporter6")) && errors.contains(reason), qPrintable(errors));
}

void TestPluginLoading::corviaWithoutGisModule_data()
{
    QTest::addColumn<QByteArray>("moduleContent");  // empty: no module at all
    // After "corvia COMMAND NETWORK", run in an empty folder.
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("reason");   // of the one line; empty: the command works
    QTest::addColumn<QString>("written");  // when it works

    const QString import = QStringLiteral("import");
    const QString check = QStringLiteral("check");
    const QString notFound = QStringLiteral("was not found");
    QTest::newRow("gis export") << QByteArray() << import << QStringList{QStringLiteral("--gis"), QStringLiteral("net.gpkg")}
                                << notFound << QString();
    QTest::newRow("broken module") << QByteArray("not a library") << import
                                   << QStringList{QStringLiteral("--geojson"), QStringLiteral("net.json")}
                                   << QStringLiteral("cannot be loaded") << QString();
    QTest::newRow("coordinate system")
        << QByteArray() << import
        << QStringList{QStringLiteral("--crs"), QStringLiteral("EPSG:32719"), QStringLiteral("--save"), QStringLiteral("m.json")}
        << notFound << QString();
    QTest::newRow("problems file") << QByteArray() << check << QStringList{QStringLiteral("--problems"), QStringLiteral("p.gpkg")}
                                   << notFound << QString();
    QTest::newRow("model and picture")
        << QByteArray() << import
        << QStringList{QStringLiteral("--save"), QStringLiteral("m.json"), QStringLiteral("--png"), QStringLiteral("m.png")}
        << QString() << QStringLiteral("m.png");
    QTest::newRow("problems as CSV") << QByteArray() << check << QStringList{QStringLiteral("--problems"), QStringLiteral("p.csv")}
                                     << QString() << QStringLiteral("p.csv");
}

// Everything but the GIS outputs works without the GIS module; those fail
// before the import with one line that names the module and the reason.
void TestPluginLoading::corviaWithoutGisModule()
{
    QFETCH(QByteArray, moduleContent);
    QFETCH(QString, command);
    QFETCH(QStringList, options);
    QFETCH(QString, reason);
    QFETCH(QString, written);

    // An installation of corvia and the plug-in, without a usable module.
    NetworkDir install;
    const QString program = installCorvia(install);
    QVERIFY(!program.isEmpty());
    const QString plugin = PluginLoader::libraryFileName(QStringLiteral("crvparamicsimporter6"));
    QVERIFY(QFile::link(QStringLiteral(CORVIA_BIN_DIR "/") + plugin, install.path() + QStringLiteral("/bin/") + plugin));
    const QString module = PluginLoader::libraryFileName(QStringLiteral("corviagis"));
    if (!moduleContent.isEmpty())
        install.write(QStringLiteral("bin/") + module, moduleContent);

    // A failure must come before the import: that of an empty network
    // would end with status 4 (nothing imported).
    NetworkDir empty;
    const QString network = reason.isEmpty() ? examplesDir(QStringLiteral("quadstone")) : empty.path();
    NetworkDir output;
    QProcess process;
    process.setWorkingDirectory(output.path());
    process.start(program, QStringList{command, network} + options);
    QVERIFY(process.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    if (!reason.isEmpty()) {
        QVERIFY2(process.exitCode() == 1, qPrintable(errors));
        QVERIFY2(!errors.contains(QLatin1Char('\n')) && errors.contains(module) && errors.contains(reason), qPrintable(errors));
        QVERIFY(QDir(output.path()).isEmpty());
    } else {
        // The example's check finds errors (status 5).
        QVERIFY2(process.exitCode() == (command == QLatin1String("check") ? 5 : 0), qPrintable(errors));
        QVERIFY2(!errors.contains(QStringLiteral("corviagis")), qPrintable(errors));
        QVERIFY(QFileInfo::exists(output.path() + QLatin1Char('/') + written));
    }
}

QTEST_MAIN(TestPluginLoading)
#include "tst_pluginloading.moc"
