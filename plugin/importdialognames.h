#pragma once

// Object names of the import options dialog's widgets. The dialog's form
// gives its widgets these names; the application fills the dialog in by
// them for imports without a user. A test checks that the form has every
// one of them with the expected widget class.
namespace ImportDialogNames {

constexpr const char* form = "CVQTParamicsImporterDlg";
constexpr const char* directory = "DirectoryEdit";            // QLineEdit
constexpr const char* demandFiles = "NbDemandsFileEdit";      // QLineEdit
constexpr const char* rightHandDrive = "RightCheck";          // QRadioButton
constexpr const char* leftHandDrive = "LeftCheck";            // QRadioButton
constexpr const char* variant = "VersionCombo";               // QComboBox
constexpr const char* units = "UnitsCombo";                   // QComboBox
constexpr const char* ok = "buttonOk";                        // QPushButton
constexpr const char* cancel = "buttonCancel";                // QPushButton

}  // namespace ImportDialogNames
