#pragma once

#include <cvscenariosettings.h>

#include <QString>

#include <functional>
#include <optional>

class CVModel;
class QMenu;
class QWidget;

// File > Export in the window: GIS..., SUMO... and Picture.... Each asks for
// the file and the options of its command-line counterpart (--gis with
// --crs, --sumo with the scenario that --sumo-scale, --sumo-begin and
// --sumo-end change, --png with --png-size) and writes with the same writer;
// the outcome goes to report (status bar), a failure also to the user.
namespace ExportMenu {

// What an export asks the user and tells them. The window asks through
// modal dialogs; a test answers in their place, so nothing waits for a
// person.
struct Questions
{
    // The file to write; nothing when the user cancels.
    std::function<std::optional<QString>(const QString& title, const QString& suggested, const QString& filter)> saveFile;
    // A line of text (which may be empty); nothing when the user cancels.
    std::function<std::optional<QString>(const QString& title, const QString& label, const QString& initial)> text;
    // The scenario a SUMO export runs, from the model's; nothing when the
    // user cancels.
    std::function<std::optional<CVScenarioSettings>(const CVScenarioSettings& initial)> scenario;
    // A message; a warning when the export failed.
    std::function<void(const QString& title, const QString& message, bool failed)> tell;
    // Runs the writing, which reads the model only (the window: on a thread
    // of its own, with progress); unset, it runs right here.
    std::function<void(const QString& label, const std::function<void()>& work)> write;
};

// The file, input and message dialogs of the window.
Questions dialogs(QWidget* window);

QMenu* create(QWidget* window, std::function<CVModel*()> currentModel, std::function<void(const QString&)> report,
              const Questions& questions);

}  // namespace ExportMenu
