#include "window/exportmenu.h"

#include "export/gisformat.h"
#include "export/gismodule.h"
#include "export/sumo/sumoexporter.h"
#include "map/mappicture.h"
#include "window/sumoscenariodialog.h"

#include <cvgeoreference.h>
#include <cvmodel.h>

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>

namespace {

using ExportMenu::Questions;

QString tr(const char* text)
{
    return QCoreApplication::translate("ExportMenu", text);
}

// The message for the status bar; a failure is also told to the user.
QString outcome(const Questions& ask, bool written, const QString& path, const QString& error)
{
    if (written)
        return tr("Exported to %1").arg(path);
    ask.tell(tr("Export"), tr("Cannot write %1:\n%2").arg(path, error), true);
    return tr("Export failed");
}

// Writing an export reads the model and nothing else.
void write(const Questions& ask, const QString& label, const std::function<void()>& work)
{
    if (ask.write)
        ask.write(label, work);
    else
        work();
}

struct Placement
{
    CVGeoReference where;
    QString problem;  // why the answers cannot place the model
};

// Where the model lies on earth, starting from what the model keeps.
std::optional<Placement> askPlacement(const Questions& ask, const CVModel& model)
{
    const CVGeoReference known = model.getGeoReference().value_or(CVGeoReference());
    const std::optional<QString> crs = ask.text(tr("Coordinate system"),
                                                tr("The network's coordinate system, e.g. EPSG:32719\n"
                                                   "(empty: the network's own plane in metres):"),
                                                known.crs);
    if (!crs)
        return std::nullopt;
    Placement placement;
    CVGeoReference& where = placement.where;
    where.crs = crs->trimmed();
    if (where.crs.isEmpty())
        return placement;
    const std::optional<QString> origin =
        ask.text(tr("Origin of the plane"),
                 tr("Where the plane's origin lies in %1: EASTING,NORTHING or EASTING,NORTHING,ROTATION\n"
                    "(empty: the plane's coordinates are already those of %1):")
                     .arg(where.crs),
                 known.hasOrigin() ? known.originText() : QString());
    if (!origin)
        return std::nullopt;
    if (!origin->trimmed().isEmpty() && !where.setOrigin(origin->trimmed(), &placement.problem))
        placement.problem = tr("the origin %1").arg(placement.problem);
    const GisModule* gis = placement.problem.isEmpty() ? GisModule::load(&placement.problem) : nullptr;
    if (gis)
        placement.problem = gis->placementRefusal(where);
    return placement;
}

QString exportGis(const Questions& ask, CVModel& model)
{
    const std::optional<QString> path = ask.saveFile(
        tr("Export for GIS"), QString(),
        tr("GeoPackage (*.gpkg);;GeoJSON (*.geojson);;FlatGeobuf (*.fgb);;Folder of shapefiles (*.shp)"));
    if (!path || path->isEmpty())
        return QString();
    const std::optional<Placement> placement = askPlacement(ask, model);
    if (!placement)
        return QString();
    QString error = placement->problem;
    QStringList warnings;
    bool written = false;
    const GisModule* gis = error.isEmpty() ? GisModule::load(&error) : nullptr;
    if (gis) {
        write(ask, tr("Writing %1").arg(*path), [&] {
            written = gis->write(model, *path, GisFormats::of(*path), placement->where, &warnings, &error);
        });
    }
    // Kept, so that a later export and the saved model place it alike.
    if (written && !placement->where.crs.isEmpty())
        model.setGeoReference(placement->where);
    if (written && !warnings.isEmpty())
        ask.tell(tr("Export for GIS"), warnings.join(QLatin1Char('\n')), false);
    return outcome(ask, written, *path, error);
}

QString exportSumo(const Questions& ask, CVModel& model)
{
    const std::optional<QString> prefix = ask.saveFile(tr("Export for SUMO (file name prefix)"), QStringLiteral("net"), QString());
    if (!prefix || prefix->isEmpty())
        return QString();
    SumoOverrides overrides;
    overrides.scenario = ask.scenario(model.getScenarioSettings().value_or(CVScenarioSettings()));
    if (!overrides.scenario)
        return QString();
    QString error;
    QStringList notes;
    bool written = false;
    write(ask, tr("Writing %1.*").arg(*prefix), [&] { written = SumoExporter::write(model, *prefix, overrides, &notes, &error); });
    if (written && !notes.isEmpty())
        ask.tell(tr("Export for SUMO"), notes.join(QLatin1Char('\n')), false);
    return outcome(ask, written, *prefix + QStringLiteral(".*"), error);
}

QString exportPicture(const Questions& ask, CVModel& model)
{
    const std::optional<QString> path = ask.saveFile(tr("Export picture"), QString(), tr("PNG picture (*.png)"));
    if (!path || path->isEmpty())
        return QString();
    const std::optional<QString> text = ask.text(
        tr("Picture size"),
        tr("Width x height in pixels, each from %1 to %2:").arg(MapPicture::MinimumSide).arg(MapPicture::MaximumSide),
        QStringLiteral("%1x%2").arg(MapPicture::DefaultWidth).arg(MapPicture::DefaultHeight));
    if (!text)
        return QString();
    QSize size;
    QString error = tr("the size must be WIDTHxHEIGHT");
    bool written = false;
    if (MapPicture::parseSize(*text, size))
        write(ask, tr("Drawing %1").arg(*path), [&] { written = MapPicture::save(&model, *path, size, &error); });
    return outcome(ask, written, *path, error);
}

}  // namespace

ExportMenu::Questions ExportMenu::dialogs(QWidget* window)
{
    Questions ask;
    ask.saveFile = [window](const QString& title, const QString& suggested, const QString& filter) -> std::optional<QString> {
        const QString path = QFileDialog::getSaveFileName(window, title, suggested, filter);
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    };
    ask.text = [window](const QString& title, const QString& label, const QString& initial) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(window, title, label, QLineEdit::Normal, initial, &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    ask.scenario = [window](const CVScenarioSettings& initial) { return SumoScenarioDialog::ask(window, initial); };
    ask.tell = [window](const QString& title, const QString& message, bool failed) {
        if (failed)
            QMessageBox::warning(window, title, message);
        else
            QMessageBox::information(window, title, message);
    };
    return ask;
}

QMenu* ExportMenu::create(QWidget* window, std::function<CVModel*()> currentModel,
                          std::function<void(const QString&)> report, const Questions& questions)
{
    auto* menu = new QMenu(tr("&Export"), window);
    menu->setObjectName(QStringLiteral("exportMenu"));
    const auto add = [&](const QString& text, const char* name, QString (*run)(const Questions&, CVModel&)) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        QObject::connect(action, &QAction::triggered, menu, [currentModel, report, questions, run] {
            CVModel* model = currentModel();
            const QString message = model ? run(questions, *model) : QString();
            if (!message.isEmpty())
                report(message);
        });
    };
    add(tr("&GIS..."), "exportGisAction", exportGis);
    add(tr("&SUMO..."), "exportSumoAction", exportSumo);
    add(tr("&Picture..."), "exportPictureAction", exportPicture);
    return menu;
}
