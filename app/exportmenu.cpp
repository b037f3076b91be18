#include "exportmenu.h"

#include "gisexporter.h"
#include "mappicture.h"
#include "sumoexporter.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("ExportMenu", text);
}

// The message for the status bar; a failure is also shown to the user.
QString outcome(QWidget* window, bool written, const QString& path, const QString& error)
{
    if (written)
        return tr("Exported to %1").arg(path);
    QMessageBox::warning(window, tr("Export"), tr("Cannot write %1:\n%2").arg(path, error));
    return tr("Export failed");
}

QString exportGis(QWidget* window, const CVModel& model)
{
    const QString path = QFileDialog::getSaveFileName(
        window, tr("Export for GIS"), QString(),
        tr("GeoPackage (*.gpkg);;GeoJSON (*.geojson);;FlatGeobuf (*.fgb);;Folder of shapefiles (*.shp)"));
    if (path.isEmpty())
        return QString();
    bool ok = false;
    const QString crs = QInputDialog::getText(window, tr("Coordinate system"),
                                              tr("The network's coordinate system, e.g. EPSG:32719\n"
                                                 "(empty: the network's own plane in metres):"),
                                              QLineEdit::Normal, QString(), &ok)
                            .trimmed();
    if (!ok)
        return QString();
    QString error;
    QStringList warnings;
    const bool written = (crs.isEmpty() || GisExporter::checkCrs(crs, &error)) &&
                         GisExporter::write(model, path, crs, &warnings, &error);
    if (written && !warnings.isEmpty())
        QMessageBox::information(window, tr("Export for GIS"), warnings.join(QLatin1Char('\n')));
    return outcome(window, written, path, error);
}

QString exportSumo(QWidget* window, const CVModel& model)
{
    const QString prefix = QFileDialog::getSaveFileName(window, tr("Export for SUMO (file name prefix)"), QStringLiteral("net"));
    if (prefix.isEmpty())
        return QString();
    QString error;
    return outcome(window, SumoExporter::write(model, prefix, &error), prefix + QStringLiteral(".*"), error);
}

QString exportPicture(QWidget* window, const CVModel& model)
{
    const QString path = QFileDialog::getSaveFileName(window, tr("Export picture"), QString(), tr("PNG picture (*.png)"));
    if (path.isEmpty())
        return QString();
    bool ok = false;
    const QString text = QInputDialog::getText(
        window, tr("Picture size"),
        tr("Width x height in pixels, each from %1 to %2:").arg(MapPicture::MinimumSide).arg(MapPicture::MaximumSide),
        QLineEdit::Normal, QStringLiteral("%1x%2").arg(MapPicture::DefaultWidth).arg(MapPicture::DefaultHeight), &ok);
    if (!ok)
        return QString();
    QSize size;
    QString error = tr("the size must be WIDTHxHEIGHT");
    const bool written = MapPicture::parseSize(text, size) && MapPicture::save(&model, path, size, &error);
    return outcome(window, written, path, error);
}

}  // namespace

QMenu* ExportMenu::create(QWidget* window, std::function<const CVModel*()> currentModel,
                          std::function<void(const QString&)> report)
{
    auto* menu = new QMenu(tr("&Export"), window);
    menu->setObjectName(QStringLiteral("exportMenu"));
    const auto add = [&](const QString& text, const char* name, QString (*run)(QWidget*, const CVModel&)) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        QObject::connect(action, &QAction::triggered, window, [window, currentModel, report, run] {
            const CVModel* model = currentModel();
            const QString message = model ? run(window, *model) : QString();
            if (!message.isEmpty())
                report(message);
        });
    };
    add(tr("&GIS..."), "exportGisAction", exportGis);
    add(tr("&SUMO..."), "exportSumoAction", exportSumo);
    add(tr("&Picture..."), "exportPictureAction", exportPicture);
    return menu;
}
