#pragma once

#include "importer/paramicsimportoptions.h"
#include "ui_cvqtparamicsimporterdlg.h"

#include <cveditor.h>

#include <QString>

#include <exception>

class CVModel;

// The form is part of the dialog's meta-object: qt_metacast answers the
// dialog's form part for the form's class name.
Q_DECLARE_INTERFACE(Ui::CVQTParamicsImporterDlg, "Ui::CVQTParamicsImporterDlg")

// The import options dialog: the Paramics directory, the file variant, the
// length units, the rule of the road and the number of demands files. OK
// runs the whole import before the dialog closes. The matrix file row is
// for models that already hold a network; in that state OK does nothing.
class ParamicsImporterDlg : public CVEditor, private Ui::CVQTParamicsImporterDlg
{
    Q_OBJECT
    Q_INTERFACES(Ui::CVQTParamicsImporterDlg)
public:
    ParamicsImporterDlg(QWidget* parent, Qt::WindowFlags flags);
    ~ParamicsImporterDlg() override;

    void setModel(CVModel* model);

    // The options as the widgets show them, and the widgets set to show
    // options: what OK imports with. Invokable so that the application,
    // which loads the plug-in at run time and does not link it, reaches
    // them through the meta-object.
    Q_INVOKABLE ParamicsImportOptions options() const;
    Q_INVOKABLE void setOptions(const ParamicsImportOptions& options);
    // What ended the import run by OK, if anything did (an input that
    // cannot be read to the end, the memory running out). Kept so that it
    // is thrown again after the dialog's event loop, never through it.
    std::exception_ptr importFailure() const { return failure; }

public slots:
    void DirectoryBrowser_clicked();
    void MatrixBrowser_clicked();
    void buttonOk_clicked();
    void buttonCancel_clicked();
    void RightCheck_clicked();
    void LeftCheck_clicked();
    bool any_directory_error();
    bool any_matrix_error();

private:
    CVModel* model = nullptr;
    std::exception_ptr failure;
    QString directory;   // what the path field shows when OK is pressed
    QString matrixFile;  // chosen and shown, not yet used by an import
    bool modelHasSections = false;
};
