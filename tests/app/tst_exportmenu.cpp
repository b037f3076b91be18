// File > Export: each entry asks for its file and options and writes with
// the command line's writer. The questions are answered by the test in
// place of the dialogs, so no test waits for a person; a modal window that
// shows up all the same is closed by the watcher and fails the test.

#include "modalwatcher.h"
#include "window/exportmenu.h"
#include "window/mainwindow.h"
#include "window/sumoscenariodialog.h"

#include <cvmodel.h>
#include <cvnode.h>
#include <cvsystem.h>

#include <QApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <memory>

namespace {

const QString Cancel = QStringLiteral("<cancel>");

// Answers an export's questions from a script, in order, and keeps what the
// export told the user. A question beyond the script is answered with a
// cancel and counted.
class ScriptedUser
{
public:
    explicit ScriptedUser(const QStringList& script) : answers(script) {}

    ExportMenu::Questions questions()
    {
        ExportMenu::Questions ask;
        ask.saveFile = [this](const QString&, const QString&, const QString&) { return next(); };
        ask.text = [this](const QString&, const QString&, const QString&) { return next(); };
        // "start=06:00 weight=50 ...": the initial scenario with those changed.
        ask.scenario = [this](const CVScenarioSettings& initial) -> std::optional<CVScenarioSettings> {
            const std::optional<QString> answer = next();
            if (!answer)
                return std::nullopt;
            CVScenarioSettings settings = initial;
            for (const QString& change : answer->split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QString key = change.section(QLatin1Char('='), 0, 0);
                const QString value = change.section(QLatin1Char('='), 1);
                if (key == QLatin1String("start"))
                    settings.startTime = QTime::fromString(value, QStringLiteral("hh:mm")).msecsSinceStartOfDay() / 1000.0;
                else if (key == QLatin1String("weight"))
                    settings.demandWeight = value.toDouble();
                else if (key == QLatin1String("amber"))
                    settings.amberTime = value.toDouble();
            }
            return settings;
        };
        ask.tell = [this](const QString&, const QString& message, bool failed) {
            told.append((failed ? QStringLiteral("failure: ") : QStringLiteral("warning: ")) + message);
        };
        return ask;
    }

    QStringList answers;
    QStringList told;
    int unexpected = 0;

private:
    std::optional<QString> next()
    {
        if (answers.isEmpty()) {
            ++unexpected;
            return std::nullopt;
        }
        const QString answer = answers.takeFirst();
        return answer == Cancel ? std::nullopt : std::optional<QString>(answer);
    }
};

// The value of an option in a tool's configuration file.
QString optionValue(const QString& path, const char* option)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String(option))
            return xml.attributes().value("value").toString();
    }
    return QString();
}

}  // namespace

class TestExportMenu : public QObject
{
    Q_OBJECT

private slots:
    void windowOffersTheExports();
    void exports_data();
    void exports();
    void scenarioDialogEditsTheSettings();
};

// The window's File menu holds the entries, asking through its dialogs.
void TestExportMenu::windowOffersTheExports()
{
    MainWindow window;
    const auto* menu = window.findChild<QMenu*>(QStringLiteral("exportMenu"));
    QVERIFY(menu);
    QStringList names;
    for (const QAction* action : menu->actions())
        names << action->objectName();
    QCOMPARE(names, (QStringList{"exportGisAction", "exportSumoAction", "exportPictureAction"}));
}

void TestExportMenu::exports_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("answers");  // %1 is the temporary folder
    QTest::addColumn<QString>("written");      // the file that must exist afterwards, if any
    QTest::addColumn<QString>("told");         // "", "warning" or "failure"

    // A node 10 m from UTM's origin lies outside the zone's area of use.
    QTest::newRow("GIS with a CRS") << "exportGisAction" << QStringList{"%1/net.gpkg", "EPSG:32719", ""} << "%1/net.gpkg"
                                    << "warning";
    QTest::newRow("GIS with a CRS and an origin")
        << "exportGisAction" << QStringList{"%1/net.gpkg", "EPSG:32719", "346000,6298000"} << "%1/net.gpkg" << "";
    QTest::newRow("GIS with an origin that is no number")
        << "exportGisAction" << QStringList{"%1/net.gpkg", "EPSG:32719", "east"} << "" << "failure";
    QTest::newRow("GeoJSON without a CRS warns") << "exportGisAction" << QStringList{"%1/net.geojson", ""} << "%1/net.geojson"
                                                 << "warning";
    QTest::newRow("GIS with an unknown CRS") << "exportGisAction" << QStringList{"%1/net.gpkg", "EPSG:0", ""} << ""
                                             << "failure";
    QTest::newRow("GIS cancelled at the CRS") << "exportGisAction" << QStringList{"%1/net.gpkg", Cancel} << "" << "";
    QTest::newRow("SUMO into a new folder") << "exportSumoAction" << QStringList{"%1/new/net", ""} << "%1/new/net.sumocfg" << "";
    QTest::newRow("SUMO with the scenario changed")
        << "exportSumoAction" << QStringList{"%1/net", "start=06:00 weight=50"} << "%1/net.sumocfg" << "";
    QTest::newRow("SUMO cancelled at the scenario") << "exportSumoAction" << QStringList{"%1/net", Cancel} << "" << "";
    QTest::newRow("SUMO prefix that is a folder") << "exportSumoAction" << QStringList{"%1", ""} << "" << "failure";
    QTest::newRow("picture") << "exportPictureAction" << QStringList{"%1/map.png", "320x200"} << "%1/map.png" << "";
    QTest::newRow("picture of no size") << "exportPictureAction" << QStringList{"%1/map.png", "big"} << "" << "failure";
    QTest::newRow("picture cancelled") << "exportPictureAction" << QStringList{Cancel} << "" << "";
}

void TestExportMenu::exports()
{
    QFETCH(QString, action);
    QFETCH(QStringList, answers);
    QFETCH(QString, written);
    QFETCH(QString, told);
    QTemporaryDir dir;
    for (QString& answer : answers)
        answer.replace(QLatin1String("%1"), dir.path());
    written.replace(QLatin1String("%1"), dir.path());

    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    auto* node = static_cast<CVNode*>(CVSystem::getSystem().newObject(QStringLiteral("CVNode"), model.get()));
    node->setPosition(CVPoint(10, 20));
    QWidget window;
    ScriptedUser user(answers);
    QStringList reported;
    // The writing runs as in the window: on a thread of its own.
    MainWindow host;
    QStringList writings;
    ExportMenu::Questions questions = user.questions();
    questions.write = [&](const QString& label, const std::function<void()>& writing) {
        writings << label;
        host.runLongWork(label, writing);
    };
    QMenu* menu = ExportMenu::create(
        &window, [&] { return model.get(); }, [&](const QString& message) { reported << message; }, questions);
    auto* entry = menu->findChild<QAction*>(action);
    QVERIFY(entry);

    const ModalWatcher watcher;
    entry->trigger();
    QStringList modals;
    for (const ModalWatcher::Seen& seen : watcher.seen())
        modals << seen.className + QLatin1Char(' ') + seen.title;
    QVERIFY2(modals.isEmpty(), qPrintable(modals.join(QLatin1String(", "))));
    QVERIFY2(user.answers.isEmpty() && user.unexpected == 0, "the export asked other questions than the script's");

    // What the user was told, and the status bar's line.
    QCOMPARE(user.told.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY2(user.told.first().startsWith(told + ':'), qPrintable(user.told.join('\n')));
    const bool cancelled = answers.contains(Cancel);
    QCOMPARE(reported.size(), cancelled ? 0 : 1);
    if (!cancelled)
        QCOMPARE(reported.first().startsWith(QLatin1String("Exported to")), written.size() > 0);
    if (!written.isEmpty())
        QCOMPARE(writings.size(), 1);
    if (written.isEmpty()) {
        // A failed or cancelled export leaves no file where it was asked for.
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        return;
    }
    QVERIFY2(QFileInfo::exists(written), qPrintable(written));

    if (written.endsWith(QLatin1String(".gpkg"))) {
        GDALDatasetUniquePtr dataset(GDALDataset::Open(written.toUtf8().constData(), GDAL_OF_VECTOR));
        QVERIFY(dataset && dataset->GetLayerByName("nodes"));
        QCOMPARE(dataset->GetLayerByName("nodes")->GetFeatureCount(), GIntBig(1));
        QCOMPARE(QString::fromLatin1(dataset->GetLayerByName("nodes")->GetSpatialRef()->GetAuthorityCode(nullptr)),
                 QStringLiteral("32719"));
    } else if (written.endsWith(QLatin1String(".png"))) {
        QCOMPARE(QImage(written).size(), QSize(320, 200));
    } else if (answers.last().startsWith(QLatin1String("start="))) {
        // The export runs the scenario as the user changed it.
        QCOMPARE(optionValue(written, "begin"), QStringLiteral("21600"));
        QCOMPARE(optionValue(written.chopped(int(qstrlen("sumocfg"))) + "od2trips.cfg", "scale"), QStringLiteral("0.5"));
    }
}

// The dialog starts from the model's settings and gives back what the user
// changed; an emptied time or seed is no longer given.
void TestExportMenu::scenarioDialogEditsTheSettings()
{
    CVScenarioSettings initial;
    initial.startTime = 7.5 * 3600;
    initial.duration = 3600;
    initial.demandWeight = 40;
    initial.seed = 6;
    initial.roadSide = CVRoadSide::Right;
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        const auto edit = [dialog](const char* name) { return dialog->findChild<QLineEdit*>(QLatin1String(name)); };
        for (const char* name : {"startTime", "duration", "seed"})
            shown << edit(name)->text();
        edit("startTime")->setText(QStringLiteral("06:15"));
        edit("duration")->clear();
        dialog->findChild<QDoubleSpinBox*>(QStringLiteral("demandWeight"))->setValue(55);
        dialog->accept();
    });
    const std::optional<CVScenarioSettings> result = SumoScenarioDialog::ask(nullptr, initial);
    QVERIFY(result);
    QCOMPARE(shown, (QStringList{"07:30:00", "01:00:00", "6"}));
    QCOMPARE(result->startTime, std::optional<double>(6.25 * 3600));
    QCOMPARE(result->duration, std::optional<double>());
    QCOMPARE(result->demandWeight, std::optional<double>(55));
    QCOMPARE(result->seed, std::optional<int>(6));
    QCOMPARE(result->amberTime, std::optional<double>(3));
    QCOMPARE(result->roadSide, initial.roadSide);
}

QTEST_MAIN(TestExportMenu)
#include "tst_exportmenu.moc"
