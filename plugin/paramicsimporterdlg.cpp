#include "plugin/paramicsimporterdlg.h"

#include "importer/paramicsimporter.h"
#include "importer/paramicsimportersetup.h"

#include <cvcatalog.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QFileDialog>
#include <QMessageBox>

namespace {

// The combo boxes' entries in the form's order. Their texts may be
// translated; their positions are not.
constexpr ParamicsVariant VariantChoices[] = {ParamicsVariant::Quadstone, ParamicsVariant::Sias};
constexpr ParamicsLengthUnit UnitChoices[] = {ParamicsLengthUnit::Metric, ParamicsLengthUnit::Feet};

template <typename Choice, std::size_t N>
Choice choiceAt(const Choice (&choices)[N], int index)
{
    return choices[std::size_t(qBound(0, index, int(N) - 1))];
}

template <typename Choice, std::size_t N>
int choiceIndex(const Choice (&choices)[N], Choice wanted)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (choices[i] == wanted)
            return int(i);
    }
    return 0;
}

}  // namespace

ParamicsImporterDlg::ParamicsImporterDlg(QWidget* parent, Qt::WindowFlags flags) : CVEditor(parent, flags)
{
    setupUi(this);
}

ParamicsImporterDlg::~ParamicsImporterDlg() = default;

void ParamicsImporterDlg::setModel(CVModel* targetModel)
{
    model = targetModel;
    const CVType* sectionType = model ? model->getType(QStringLiteral("CVSection")) : nullptr;
    modelHasSections = sectionType && model->getCatalog()->size(sectionType) > 0;
    if (!modelHasSections)
        return;
    // A network is there already: only a matrix can be added to it.
    MatrixFileEdit->setEnabled(true);
    MatrixBrowser->setEnabled(true);
    DirectoryEdit->setEnabled(false);
    DirectoryBrowser->setEnabled(false);
}

ParamicsImportOptions ParamicsImporterDlg::options() const
{
    ParamicsImportOptions shown;
    shown.directory = DirectoryEdit->text();
    shown.variant = choiceAt(VariantChoices, VersionCombo->currentIndex());
    shown.units = choiceAt(UnitChoices, UnitsCombo->currentIndex());
    shown.rule = RightCheck->isChecked() ? RoadRule::KeepRight : RoadRule::KeepLeft;
    shown.demandFiles = NbDemandsFileEdit->text().toInt(nullptr, 10);  // 0 when not a number
    return shown;
}

void ParamicsImporterDlg::setOptions(const ParamicsImportOptions& shown)
{
    DirectoryEdit->setText(shown.directory);
    VersionCombo->setCurrentIndex(choiceIndex(VariantChoices, shown.variant));
    UnitsCombo->setCurrentIndex(choiceIndex(UnitChoices, shown.units));
    if (shown.rule == RoadRule::KeepRight)
        RightCheck_clicked();
    else
        LeftCheck_clicked();
    NbDemandsFileEdit->setText(QString::number(shown.demandFiles));
}

void ParamicsImporterDlg::DirectoryBrowser_clicked()
{
    CVSystem& system = CVSystem::getSystem();
    directory = QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Choose a Directory"),
                                                  system.getLastUsedFolder(), QFileDialog::ShowDirsOnly);
    if (directory.isEmpty())
        return;  // cancelled: the field keeps what it showed
    system.registerLastUsedFolder(directory);
    DirectoryEdit->setText(directory);
}

void ParamicsImporterDlg::MatrixBrowser_clicked()
{
    CVSystem& system = CVSystem::getSystem();
    matrixFile = QFileDialog::getOpenFileName(this, tr("Choose a matrix file to open"), system.getLastUsedFolder(),
                                              tr("Paramics Matrix File (*.*)"));
    if (matrixFile.isEmpty())
        return;
    system.registerLastUsedFile(matrixFile);
    MatrixFileEdit->setText(matrixFile);
}

void ParamicsImporterDlg::buttonOk_clicked()
{
    if (modelHasSections)
        return;
    if (any_directory_error())
        return;
    // The import reads the directory the user sees, whether browsed or typed.
    directory = DirectoryEdit->text();
    QDialog::accept();

    ParamicsImporter importer;
    configureImporter(importer, model, options());
    try {
        importer.netImport(directory);
    } catch (...) {
        failure = std::current_exception();
        return;
    }

    CVEditor::accept();
}

void ParamicsImporterDlg::buttonCancel_clicked()
{
    CVEditor::reject();
}

void ParamicsImporterDlg::RightCheck_clicked()
{
    RightCheck->setChecked(true);
    LeftCheck->setChecked(false);
}

void ParamicsImporterDlg::LeftCheck_clicked()
{
    LeftCheck->setChecked(true);
    RightCheck->setChecked(false);
}

bool ParamicsImporterDlg::any_directory_error()
{
    if (!DirectoryEdit->text().isEmpty())
        return false;
    QMessageBox::critical(nullptr, QStringLiteral("Directory Error"), QStringLiteral("Choose a directory"),
                          QMessageBox::Ok, QMessageBox::NoButton);
    return true;
}

bool ParamicsImporterDlg::any_matrix_error()
{
    if (!MatrixFileEdit->text().isEmpty())
        return false;
    QMessageBox::critical(nullptr, QStringLiteral("Matrix File Error"), QStringLiteral("Choose a matrix file to open"),
                          QMessageBox::Ok, QMessageBox::NoButton);
    return true;
}
