// The import options dialog: its buttons and the import that OK runs.

#include "modalwatcher.h"
#include "testsupport.h"

#include "plugin/paramicsimporterdlg.h"

#include <cvcatalog.h>
#include <cvlog.h>
#include <cvmodel.h>
#include <cvpreferencesvalues.h>
#include <cvsystem.h>
#include <cvtext.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

template <typename T>
T* widget(QWidget& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("the dialog has no %s", name);
    return found;
}

QStringList triedFiles(const CVModel& model)
{
    QStringList files;
    for (const QString& warning : model.getLog()->warnings()) {
        const QString prefix = QStringLiteral("File: ");
        const QString suffix = QStringLiteral(". File not found");
        if (warning.startsWith(prefix) && warning.endsWith(suffix))
            files << warning.mid(prefix.size(), warning.size() - prefix.size() - suffix.size()).section(QLatin1Char('/'), -1);
    }
    return files;
}

}  // namespace

class TestParamicsImporterDlg : public QObject
{
    Q_OBJECT

private slots:
    void okImportsWithTheChosenOptions_data();
    void okImportsWithTheChosenOptions();
    void okImportsThePathAsTyped();
    void unitsAndRuleReachTheImport_data();
    void unitsAndRuleReachTheImport();
    void optionsShowAndReadBack_data();
    void optionsShowAndReadBack();
    void emptyDirectoryKeepsTheDialogOpen();
    void modelWithSectionsOffersOnlyTheMatrix();
};

void TestParamicsImporterDlg::okImportsWithTheChosenOptions_data()
{
    QTest::addColumn<QString>("demands");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("demandFilesTried");
    QTest::addColumn<bool>("configurationTried");

    QTest::newRow("defaults") << "1" << "Quadstone" << QStringList{"demands"} << false;
    QTest::newRow("three files") << "3" << "Quadstone" << QStringList{"demands.1", "demands.2", "demands.3"} << false;
    QTest::newRow("not a number") << "two" << "Quadstone" << QStringList() << false;
    QTest::newRow("sias") << "1" << "Sias" << QStringList{"demands"} << true;
}

void TestParamicsImporterDlg::okImportsWithTheChosenOptions()
{
    QFETCH(QString, demands);
    QFETCH(QString, version);
    QFETCH(QStringList, demandFilesTried);
    QFETCH(bool, configurationTried);

    NetworkDir network;
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporterDlg dialog(nullptr, Qt::WindowFlags());
    dialog.setModel(model.get());
    dialog.show();
    widget<QLineEdit>(dialog, "DirectoryEdit")->setText(network.path());
    widget<QLineEdit>(dialog, "NbDemandsFileEdit")->setText(demands);
    widget<QComboBox>(dialog, "VersionCombo")->setCurrentText(version);
    QTest::mouseClick(widget<QPushButton>(dialog, "buttonOk"), Qt::LeftButton);

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    const QStringList tried = triedFiles(*model);
    QStringList demandsTried;
    for (const QString& file : tried) {
        if (file.startsWith(QLatin1String("demands")))
            demandsTried << file;
    }
    QCOMPARE(demandsTried, demandFilesTried);
    QCOMPARE(tried.contains(QStringLiteral("configuration")), configurationTried);
    QVERIFY(tried.contains(QStringLiteral("zones")));
    // The importer was configured before it ran.
    QVERIFY(model->getCatalog()->find(QStringLiteral("Paramics Configuration")));
    QVERIFY(model->getCatalog()->find(QStringLiteral("Network")));
}

void TestParamicsImporterDlg::unitsAndRuleReachTheImport_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<bool>("left");
    QTest::addColumn<double>("labelX");    // a label written at x = 100 without a unit
    QTest::addColumn<QString>("roadSide");  // the model's rule of the road

    QTest::newRow("metres, right") << "Metric" << false << 100.0 << "0";
    QTest::newRow("metres, left") << "Metric" << true << 100.0 << "1";
    QTest::newRow("feet, right") << "Feet" << false << 30.0 << "0";
    QTest::newRow("feet, left") << "Feet" << true << 30.0 << "1";
}

void TestParamicsImporterDlg::unitsAndRuleReachTheImport()
{
    QFETCH(QString, units);
    QFETCH(bool, left);
    QFETCH(double, labelX);
    QFETCH(QString, roadSide);

    NetworkDir network;
    network.write(QStringLiteral("annotation"), "text colour 7 (100 ,200 ,0) \"Label\"\n");
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporterDlg dialog(nullptr, Qt::WindowFlags());
    dialog.setModel(model.get());
    dialog.show();
    widget<QLineEdit>(dialog, "DirectoryEdit")->setText(network.path());
    widget<QComboBox>(dialog, "UnitsCombo")->setCurrentText(units);
    QTest::mouseClick(widget<QRadioButton>(dialog, left ? "LeftCheck" : "RightCheck"), Qt::LeftButton);
    QTest::mouseClick(widget<QPushButton>(dialog, "buttonOk"), Qt::LeftButton);

    const CVCatalog::ObjectsById* labels = model->getCatalog()->getObjectsByType(model->getType("CVText"));
    QVERIFY(labels && labels->size() == 1);
    const auto* label = dynamic_cast<const CVText*>(labels->first());
    QVERIFY(label);
    QCOMPARE(label->getPosition().x, labelX);
    QCOMPARE(model->getPreferences()->getValue(QStringLiteral("CVModel::Location::RoadSide")).toString(), roadSide);
}

void TestParamicsImporterDlg::okImportsThePathAsTyped()
{
    // What the field shows is what is read, even after a cancelled browse
    // would have left the chosen directory empty.
    NetworkDir network;
    const QString typed = network.path() + QStringLiteral("/sub dir");
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporterDlg dialog(nullptr, Qt::WindowFlags());
    dialog.setModel(model.get());
    widget<QLineEdit>(dialog, "DirectoryEdit")->setText(typed);
    widget<QPushButton>(dialog, "buttonOk")->click();
    QVERIFY(model->getLog()->warnings().contains(QStringLiteral("File: %1/zones. File not found").arg(typed)));
}

void TestParamicsImporterDlg::optionsShowAndReadBack_data()
{
    QTest::addColumn<ParamicsImportOptions>("options");
    // Every variant, unit and rule, each shown after the opposite choice.
    for (ParamicsVariant variant : {ParamicsVariant::Quadstone, ParamicsVariant::Sias}) {
        for (ParamicsLengthUnit units : {ParamicsLengthUnit::Metric, ParamicsLengthUnit::Feet}) {
            for (RoadRule rule : {RoadRule::KeepRight, RoadRule::KeepLeft}) {
                ParamicsImportOptions options;
                options.directory = QStringLiteral("/net/%1").arg(variantName(variant));
                options.variant = variant;
                options.units = units;
                options.rule = rule;
                options.demandFiles = units == ParamicsLengthUnit::Feet ? 3 : 0;
                QTest::addRow("%s %s %s", qPrintable(variantName(variant)), qPrintable(lengthUnitName(units)),
                              qPrintable(roadRuleName(rule)))
                    << options;
            }
        }
    }
}

void TestParamicsImporterDlg::optionsShowAndReadBack()
{
    QFETCH(ParamicsImportOptions, options);
    ParamicsImporterDlg dialog(nullptr, Qt::WindowFlags());
    ParamicsImportOptions opposite;
    opposite.variant = options.variant == ParamicsVariant::Sias ? ParamicsVariant::Quadstone : ParamicsVariant::Sias;
    opposite.units = options.units == ParamicsLengthUnit::Feet ? ParamicsLengthUnit::Metric : ParamicsLengthUnit::Feet;
    opposite.rule = options.rule == RoadRule::KeepLeft ? RoadRule::KeepRight : RoadRule::KeepLeft;
    dialog.setOptions(opposite);
    dialog.setOptions(options);

    QVERIFY(dialog.options() == options);
    // What the user sees: the combo boxes name the choices as the importer does.
    QCOMPARE(widget<QLineEdit>(dialog, "DirectoryEdit")->text(), options.directory);
    QCOMPARE(widget<QComboBox>(dialog, "VersionCombo")->currentText(), variantName(options.variant));
    QCOMPARE(widget<QComboBox>(dialog, "UnitsCombo")->currentText(), lengthUnitName(options.units));
    QCOMPARE(widget<QRadioButton>(dialog, "LeftCheck")->isChecked(), options.rule == RoadRule::KeepLeft);
    QCOMPARE(widget<QRadioButton>(dialog, "RightCheck")->isChecked(), options.rule == RoadRule::KeepRight);
    QCOMPARE(widget<QLineEdit>(dialog, "NbDemandsFileEdit")->text(), QString::number(options.demandFiles));
}

void TestParamicsImporterDlg::emptyDirectoryKeepsTheDialogOpen()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const int objectsBefore = model->getCatalog()->size();
    ParamicsImporterDlg dialog(nullptr, Qt::WindowFlags());
    dialog.setModel(model.get());
    dialog.show();
    ModalWatcher watcher;
    QTest::mouseClick(widget<QPushButton>(dialog, "buttonOk"), Qt::LeftButton);

    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().title, QStringLiteral("Directory Error"));
    QCOMPARE(watcher.seen().first().text, QStringLiteral("Choose a directory"));
    QVERIFY(dialog.isVisible());
    QVERIFY(model->getLog()->getEntries().isEmpty());
    QCOMPARE(model->getCatalog()->size(), objectsBefore);
}

void TestParamicsImporterDlg::modelWithSectionsOffersOnlyTheMatrix()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    QVERIFY(CVSystem::getSystem().newObject(QStringLiteral("CVSection"), model.get(), -1, true));
    const int objectsBefore = model->getCatalog()->size();

    NetworkDir network;
    ParamicsImporterDlg dialog(nullptr, Qt::WindowFlags());
    dialog.setModel(model.get());
    dialog.show();
    QVERIFY(widget<QLineEdit>(dialog, "MatrixFileEdit")->isEnabled());
    QVERIFY(widget<QToolButton>(dialog, "MatrixBrowser")->isEnabled());
    QVERIFY(!widget<QLineEdit>(dialog, "DirectoryEdit")->isEnabled());
    QVERIFY(!widget<QToolButton>(dialog, "DirectoryBrowser")->isEnabled());

    widget<QLineEdit>(dialog, "DirectoryEdit")->setText(network.path());
    ModalWatcher watcher;
    widget<QPushButton>(dialog, "buttonOk")->click();
    QVERIFY(watcher.seen().isEmpty());
    QVERIFY(dialog.isVisible());
    QVERIFY(model->getLog()->getEntries().isEmpty());
    QCOMPARE(model->getCatalog()->size(), objectsBefore);

    widget<QPushButton>(dialog, "buttonCancel")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestParamicsImporterDlg)
#include "tst_paramicsimporterdlg.moc"
