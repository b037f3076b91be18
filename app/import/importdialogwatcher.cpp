#include "import/importdialogwatcher.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMetaObject>

namespace {

bool offersOptions(const QObject* object)
{
    const QMetaObject* meta = object->metaObject();
    return meta->indexOfMethod("options()") >= 0
           && meta->indexOfMethod(QMetaObject::normalizedSignature("setOptions(ParamicsImportOptions)")) >= 0;
}

}  // namespace

ImportDialogWatcher::ImportDialogWatcher(std::optional<ParamicsImportOptions> fillWith) : fill(std::move(fillWith))
{
    qRegisterMetaType<ParamicsImportOptions>();
    qApp->installEventFilter(this);
}

ImportDialogWatcher::~ImportDialogWatcher()
{
    qApp->removeEventFilter(this);
}

bool ImportDialogWatcher::setOptions(QObject* dialog, const ParamicsImportOptions& options)
{
    return QMetaObject::invokeMethod(dialog, "setOptions", Qt::DirectConnection,
                                     Q_ARG(ParamicsImportOptions, options));
}

std::optional<ParamicsImportOptions> ImportDialogWatcher::options(QObject* dialog)
{
    ParamicsImportOptions shown;
    if (!QMetaObject::invokeMethod(dialog, "options", Qt::DirectConnection, Q_RETURN_ARG(ParamicsImportOptions, shown)))
        return std::nullopt;
    return shown;
}

bool ImportDialogWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        if (auto* dialog = qobject_cast<QDialog*>(watched))
            dialogShown(dialog);
    }
    return false;
}

void ImportDialogWatcher::dialogShown(QDialog* dialog)
{
    const bool importDialog = offersOptions(dialog);
    if (importDialog) {
        // The dialog accepts itself as OK starts the import: what it shows
        // then is what the import runs with.
        connect(dialog, &QDialog::accepted, this, [this, dialog] {
            accepted = options(dialog);
            if (accepted && onAccepted)
                onAccepted(*accepted);
        });
    }
    if (!fill)
        return;
    const bool filled = importDialog && dialog->metaObject()->indexOfMethod("buttonOk_clicked()") >= 0
                        && setOptions(dialog, *fill);
    refused = refused || !filled;
    // Pressed once the dialog's event loop runs: the dialog is still being
    // shown here. A dialog that cannot be filled is cancelled, not left open.
    QMetaObject::invokeMethod(dialog, filled ? "buttonOk_clicked" : "reject", Qt::QueuedConnection);
}
