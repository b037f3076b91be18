#pragma once

#include <QString>

#include <functional>

class CVModel;
class QMenu;
class QWidget;

// File > Export in the window: GIS..., SUMO... and Picture.... Each asks for
// the file and the options of its command-line counterpart (--gis with
// --crs, --sumo, --png with --png-size) and writes with the same writer;
// the outcome goes to report (status bar), a failure also to a message box.
namespace ExportMenu {

QMenu* create(QWidget* window, std::function<const CVModel*()> currentModel, std::function<void(const QString&)> report);

}  // namespace ExportMenu
