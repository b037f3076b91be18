#include "import/dialogautofill.h"

#include "plugin/importdialognames.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

bool selectText(QComboBox* combo, const QString& text)
{
    const int index = combo ? combo->findText(text) : -1;
    if (index < 0)
        return false;
    combo->setCurrentIndex(index);
    return true;
}

}  // namespace

DialogAutofill::DialogAutofill(const ImportSettings& importSettings) : settings(importSettings)
{
    qApp->installEventFilter(this);
}

DialogAutofill::~DialogAutofill()
{
    qApp->removeEventFilter(this);
}

bool DialogAutofill::fill(QWidget* dialog, const ImportSettings& s)
{
    auto* directory = dialog->findChild<QLineEdit*>(ImportDialogNames::directory);
    auto* demands = dialog->findChild<QLineEdit*>(ImportDialogNames::demandFiles);
    auto* rule = dialog->findChild<QRadioButton*>(s.rightHandDrive ? ImportDialogNames::rightHandDrive
                                                                    : ImportDialogNames::leftHandDrive);
    if (!directory || !demands || !rule)
        return false;
    if (!selectText(dialog->findChild<QComboBox*>(ImportDialogNames::variant), s.variant)
        || !selectText(dialog->findChild<QComboBox*>(ImportDialogNames::units), s.units))
        return false;
    directory->setText(s.directory);
    demands->setText(QString::number(s.demandFiles));
    rule->click();  // as the user would, so that the dialog's own handler runs
    return true;
}

bool DialogAutofill::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType() || watched->objectName() != QLatin1String(ImportDialogNames::form))
        return false;
    auto* dialog = static_cast<QWidget*>(watched);
    auto* ok = dialog->findChild<QPushButton*>(ImportDialogNames::ok);
    auto* cancel = dialog->findChild<QPushButton*>(ImportDialogNames::cancel);
    const bool usable = fill(dialog, settings);
    if (usable)
        ++filled;
    // Pressed once the dialog's event loop runs: the dialog is still being
    // shown here. A dialog that cannot be filled is cancelled, not left open.
    if (QPushButton* button = usable ? ok : cancel)
        QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
    return false;
}
