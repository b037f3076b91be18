#pragma once

#include "importer/paramicsimportoptions.h"

#include <QObject>

#include <functional>
#include <optional>

class QDialog;

// Watches, while it exists, for the import plug-in's options dialog: a
// dialog whose meta-object offers `options()` and `setOptions()` with
// ParamicsImportOptions. It keeps the options the dialog held when OK was
// pressed (so that what was imported with can be recorded), and, given
// options to fill in, puts them into the dialog and presses OK for imports
// without a user (`corvia import`, tests). The plug-in is loaded at run
// time, so the dialog is reached through its meta-object only.
class ImportDialogWatcher : public QObject
{
    Q_OBJECT
public:
    explicit ImportDialogWatcher(std::optional<ParamicsImportOptions> fillWith = std::nullopt);
    ~ImportDialogWatcher() override;

    // Called with the options of a dialog as it is accepted, before the
    // import it starts.
    std::function<void(const ParamicsImportOptions&)> onAccepted;

    // The options of the last dialog accepted while watching.
    const std::optional<ParamicsImportOptions>& acceptedOptions() const { return accepted; }
    // With options to fill in: false when a dialog was shown that could not
    // take them (it was cancelled, as no user can answer it).
    bool allFilled() const { return !refused; }

    // Through the dialog's meta-object; false or nothing when it lacks the call.
    static bool setOptions(QObject* dialog, const ParamicsImportOptions& options);
    static std::optional<ParamicsImportOptions> options(QObject* dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dialogShown(QDialog* dialog);

    std::optional<ParamicsImportOptions> fill;
    std::optional<ParamicsImportOptions> accepted;
    bool refused = false;
};
