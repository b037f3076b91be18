// The import dialog's form and the application agree on the widgets' object names.

#include "import/dialogautofill.h"
#include "import/importsettings.h"
#include "plugin/importdialognames.h"
#include "plugin/paramicsimporterdlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

class TestDialogNames : public QObject
{
    Q_OBJECT

private slots:
    void settingsReachTheWidgets();
    void missingChoiceIsNotFilled();
};

void TestDialogNames::settingsReachTheWidgets()
{
    ParamicsImporterDlg dialog(nullptr, Qt::WindowFlags());
    QCOMPARE(dialog.objectName(), QString::fromLatin1(ImportDialogNames::form));
    ImportSettings settings;
    settings.directory = QStringLiteral("/some/net");
    settings.variant = QStringLiteral("Sias");
    settings.units = QStringLiteral("Feet");
    settings.rightHandDrive = false;
    settings.demandFiles = 3;
    QVERIFY(DialogAutofill::fill(&dialog, settings));
    QCOMPARE(dialog.findChild<QLineEdit*>(ImportDialogNames::directory)->text(), settings.directory);
    QCOMPARE(dialog.findChild<QLineEdit*>(ImportDialogNames::demandFiles)->text(), QStringLiteral("3"));
    QCOMPARE(dialog.findChild<QComboBox*>(ImportDialogNames::variant)->currentText(), settings.variant);
    QCOMPARE(dialog.findChild<QComboBox*>(ImportDialogNames::units)->currentText(), settings.units);
    QVERIFY(dialog.findChild<QRadioButton*>(ImportDialogNames::leftHandDrive)->isChecked());
    QVERIFY(!dialog.findChild<QRadioButton*>(ImportDialogNames::rightHandDrive)->isChecked());
}

void TestDialogNames::missingChoiceIsNotFilled()
{
    // A variant the form does not offer: the dialog is not filled (corvia import exits with 3).
    ParamicsImporterDlg dialog(nullptr, Qt::WindowFlags());
    ImportSettings settings;
    settings.directory = QStringLiteral("/some/net");
    settings.variant = QStringLiteral("Other");
    QVERIFY(!DialogAutofill::fill(&dialog, settings));
}

QTEST_MAIN(TestDialogNames)
#include "tst_dialognames.moc"
