#include "dialogautofill.h"

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
    auto* directory = dialog->findChild<QLineEdit*>(QStringLiteral("DirectoryEdit"));
    auto* demands = dialog->findChild<QLineEdit*>(QStringLiteral("NbDemandsFileEdit"));
    auto* rule = dialog->findChild<QRadioButton*>(s.rightHandDrive ? QStringLiteral("RightCheck")
                                                                    : QStringLiteral("LeftCheck"));
    if (!directory || !demands || !rule)
        return false;
    if (!selectText(dialog->findChild<QComboBox*>(QStringLiteral("VersionCombo")), s.variant)
        || !selectText(dialog->findChild<QComboBox*>(QStringLiteral("UnitsCombo")), s.units))
        return false;
    directory->setText(s.directory);
    demands->setText(QString::number(s.demandFiles));
    rule->click();  // as the user would, so that the dialog's own handler runs
    return true;
}

bool DialogAutofill::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType() || watched->objectName() != QLatin1String(formName))
        return false;
    auto* dialog = static_cast<QWidget*>(watched);
    auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("buttonOk"));
    auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("buttonCancel"));
    const bool usable = fill(dialog, settings);
    if (usable)
        ++filled;
    // Pressed once the dialog's event loop runs: the dialog is still being
    // shown here. A dialog that cannot be filled is cancelled, not left open.
    if (QPushButton* button = usable ? ok : cancel)
        QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
    return false;
}
