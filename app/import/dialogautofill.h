#pragma once

#include "import/importsettings.h"

#include <QObject>

class QWidget;

// Fills in the Paramics import dialog from settings and presses its OK
// button, for imports without a user (`corvia import`, tests). While it
// exists it watches every widget that is shown and acts on the dialog's
// form, found by its object name; the widgets are found by the object
// names of the form, shared with the plug-in in plugin/importdialognames.h.
class DialogAutofill : public QObject
{
    Q_OBJECT
public:
    explicit DialogAutofill(const ImportSettings& settings);
    ~DialogAutofill() override;

    // Puts the settings into the dialog's widgets; false when the dialog
    // lacks one of them or offers no such variant or unit.
    static bool fill(QWidget* dialog, const ImportSettings& settings);

    int dialogsFilled() const { return filled; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ImportSettings settings;
    int filled = 0;
};
