// The plug-in library as corvia uses it: loaded at run time, its factories
// resolved, and an import run through its filter and dialog.

#include "testsupport.h"

#include "dialogautofill.h"
#include "importcommand.h"
#include "importrunner.h"
#include "pluginloader.h"

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

#include <cstdio>
#include <memory>

namespace {

// The build puts the library next to the programs.
QStringList buildFolders()
{
    return {QStringLiteral(CORVIA_BIN_DIR)};
}

QString readAll(FILE* stream)
{
    std::rewind(stream);
    QByteArray text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        text.append(buffer, qsizetype(n));
    return QString::fromLocal8Bit(text);
}

}  // namespace

class TestPluginLoading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void missingLibraryIsReported();
    void brokenLibraryIsReported();
    void importThroughFilterAndDialog();
    void importWithoutUserFillsTheDialog_data();
    void importWithoutUserFillsTheDialog();
    void importCommandRunsThroughThePlugin();
    void corviaWithoutUsableLibraryExplains_data();
    void corviaWithoutUsableLibraryExplains();

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

void TestPluginLoading::missingLibraryIsReported()
{
    NetworkDir empty;
    PluginLoader missing;
    CVGui otherGui;
    QVERIFY(!missing.load(&otherGui, {empty.path()}));
    QVERIFY(!missing.getPlugin());
    QVERIFY(missing.errorString().contains(QStringLiteral("libcrvparamicsimporter6.so was not found in ") + empty.path()));
}

void TestPluginLoading::brokenLibraryIsReported()
{
    NetworkDir folder;
    folder.write(PluginLoader::libraryFileName(QStringLiteral("crvparamicsimporter6")), "not a library");
    PluginLoader broken;
    CVGui otherGui;
    QVERIFY(!broken.load(&otherGui, {folder.path(), QStringLiteral(CORVIA_BIN_DIR)}));
    QVERIFY(!broken.getPlugin());
    QVERIFY(broken.errorString().contains(QStringLiteral("cannot be loaded")));
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
    QTest::addColumn<QString>("variant");
    QTest::addColumn<int>("demandFiles");
    QTest::addColumn<bool>("configurationRead");
    QTest::addColumn<bool>("demandsRead");

    QTest::newRow("quadstone") << "Quadstone" << 1 << false << true;
    QTest::newRow("sias without demands") << "Sias" << 0 << true << false;
}

void TestPluginLoading::importWithoutUserFillsTheDialog()
{
    QFETCH(QString, variant);
    QFETCH(int, demandFiles);
    QFETCH(bool, configurationRead);
    QFETCH(bool, demandsRead);

    NetworkDir network;
    ImportSettings settings;
    settings.directory = network.path();
    settings.variant = variant;
    settings.demandFiles = demandFiles;
    settings.rightHandDrive = false;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    gui.setActiveModel(model.get());
    const ImportOutcome outcome = ImportRunner::runFilter(&gui, *filter, settings);
    gui.setActiveModel(nullptr);

    const QString notFound = QStringLiteral("File: %1/%2. File not found").arg(network.path());
    QCOMPARE(outcome.warnings.contains(notFound.arg(QStringLiteral("configuration"))), configurationRead);
    QCOMPARE(outcome.warnings.contains(notFound.arg(QStringLiteral("demands"))), demandsRead);
    QVERIFY(outcome.warnings.contains(notFound.arg(QStringLiteral("zones"))));
}

void TestPluginLoading::importCommandRunsThroughThePlugin()
{
    NetworkDir output;
    const QString saved = output.path() + QStringLiteral("/model.json");
    const auto run = [&](const QString& directory, QString& printed, QString& errors) {
        FILE* out = std::tmpfile();
        FILE* err = std::tmpfile();
        const ParsedCommandLine commandLine = CommandLine::parse(
            {QStringLiteral("corvia"), QStringLiteral("import"), directory, QStringLiteral("--save"), saved});
        const int status = ImportCommand::run(commandLine, out, err);
        printed = readAll(out);
        errors = readAll(err);
        std::fclose(out);
        std::fclose(err);
        return status;
    };
    QString printed;
    QString errors;
    // A directory without a network imports nothing and writes nothing.
    NetworkDir empty;
    QCOMPARE(run(empty.path(), printed, errors), 4);
    QVERIFY(errors.contains(QStringLiteral("File not found (17): zones")));
    QVERIFY(!QFile::exists(saved));

    QCOMPARE(run(examplesDir(QStringLiteral("quadstone")), printed, errors), 0);
    QVERIFY2(printed.contains(QStringLiteral("sections               33")), qPrintable(printed));
    QVERIFY(QFile::exists(saved));
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
    QVERIFY(QDir(install.path()).mkpath(QStringLiteral("bin")));
    const QString program = install.path() + QStringLiteral("/bin/corvia");
    QVERIFY(QFile::copy(QStringLiteral(CORVIA_BIN_DIR "/corvia"), program));
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

QTEST_MAIN(TestPluginLoading)
#include "tst_pluginloading.moc"
