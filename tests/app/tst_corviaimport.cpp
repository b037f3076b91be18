// `corvia` as a user runs it: arguments in, exit status, stdout and stderr out.

#include "testsupport.h"
#include "corviarun.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

class TestCorviaImport : public QObject
{
    Q_OBJECT

private slots:
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void usageErrorsExitWithTwo_data();
    void usageErrorsExitWithTwo();
    void importOfExampleSaysWhatItBuilt();
    void importOptionsReachTheModel_data();
    void importOptionsReachTheModel();
    void sumoRunsTheScenario_data();
    void sumoRunsTheScenario();
    void quietShowsNothingButErrors();
    void verboseShowsTimesAndHostClasses();
    void nothingImportedExitsWithFourAndWritesNothing_data();
    void nothingImportedExitsWithFourAndWritesNothing();
    void unwritableOutputExitsWithOne();
    void pngOfExampleIsDrawn();
    void docsShowTheHelp_data();
    void docsShowTheHelp();

private:
    using Result = CorviaRun;
    static Result corvia(const QStringList& arguments, const QString& program = QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        return runCorvia(arguments, program, environment);
    }
};

void TestCorviaImport::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("version") << QStringList{"--version"} << QStringLiteral("corvia " CORVIA_VERSION "\n");
    QTest::newRow("overview") << QStringList{"-h"} << QStringLiteral("  import DIR ");
    QTest::newRow("import help") << QStringList{"import", "--help"} << QStringLiteral("--demand-files N");
    QTest::newRow("help after options") << QStringList{"import", "x", "--quiet", "-h"} << QStringLiteral("Exit status:");
}

void TestCorviaImport::helpAndVersionNeedNoDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    // A platform that needs a display, and none: making a QApplication would abort.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const Result result = corvia(arguments, QStringLiteral(CORVIA_BIN_DIR "/corvia"), environment);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.contains(expected), qPrintable(result.out));
    QCOMPARE(result.err, QString());
}

void TestCorviaImport::usageErrorsExitWithTwo_data()
{
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<bool>("useMissingDirectory");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing directory") << QStringList{} << true << "is not a directory";
    QTest::newRow("bad variant") << QStringList{"--variant", "Other"} << false << "--variant must be Quadstone or Sias";
    QTest::newRow("bad units") << QStringList{"--units", "Yards"} << false << "--units";
    QTest::newRow("bad rule") << QStringList{"--rule", "middle"} << false << "--rule";
    QTest::newRow("demand files not a number") << QStringList{"--demand-files", "two"} << false << "from 0 to 999";
    QTest::newRow("negative demand files") << QStringList{"--demand-files", "-3"} << false << "from 0 to 999";
    QTest::newRow("too many demand files") << QStringList{"--demand-files", "2147483647"} << false << "from 0 to 999";
    QTest::newRow("one past the last") << QStringList{"--demand-files=1000"} << false << "from 0 to 999";
    QTest::newRow("unknown option") << QStringList{"--colour", "red"} << false << "unknown option --colour";
    QTest::newRow("value missing") << QStringList{"--save"} << false << "--save needs a value";
    QTest::newRow("empty output path") << QStringList{"--geojson", ""} << false << "needs a file name";
    QTest::newRow("bad picture size") << QStringList{"--png", "x.png", "--png-size", "big"} << false << "WIDTHxHEIGHT";
    QTest::newRow("picture too small") << QStringList{"--png-size", "15x100"} << false << "WIDTHxHEIGHT";
    QTest::newRow("option twice") << QStringList{"--quiet", "--quiet"} << false << "twice";
    QTest::newRow("two directories") << QStringList{"other"} << false << "unexpected argument other";
    QTest::newRow("no demand") << QStringList{"--sumo-scale", "0"} << false << "FACTOR must be a number above 0";
    QTest::newRow("begin not a time") << QStringList{"--sumo-begin", "noon"} << false << "TIME must be hh:mm[:ss]";
    QTest::newRow("end before begin") << QStringList{"--sumo-begin", "08:00", "--sumo-end", "07:30"} << false
                                      << "--sumo-end must come after --sumo-begin";
    QTest::newRow("end at begin") << QStringList{"--sumo-begin", "08:00", "--sumo-end", "08:00"} << false
                                  << "--sumo-end must come after --sumo-begin";
}

void TestCorviaImport::usageErrorsExitWithTwo()
{
    QFETCH(QStringList, extra);
    QFETCH(bool, useMissingDirectory);
    QFETCH(QString, message);
    NetworkDir dir;
    const QString target = useMissingDirectory ? dir.path() + QStringLiteral("/absent") : dir.path();
    const Result result = corvia(QStringList{"import", target} + extra);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.startsWith(QStringLiteral("corvia import: ")), qPrintable(result.err));
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QCOMPARE(result.err.count(QLatin1Char('\n')), 1);  // one line, nothing imported
}

void TestCorviaImport::importOfExampleSaysWhatItBuilt()
{
    const Result result = corvia({"import", examplesDir("quadstone")});
    QCOMPARE(result.exitCode, 0);
    // The summary in a modeller's words, one line each, on stdout.
    for (const char* line : {"  sections               33\n", "  nodes                  16\n", "  centroids              6\n",
                             "  bus stops              10\n", "  detectors              6\n",
                             // Market Cross is signalised, node 3 a roundabout.
                             "  turnings               58\n  signalised junctions   1\n  priority junctions     5\n"
                             "  roundabouts            1\n"})
        QVERIFY2(result.out.contains(QLatin1String(line)), qPrintable(result.out));
    QVERIFY(!result.out.contains(QStringLiteral("control plans")));
    QVERIFY(!result.out.contains(QStringLiteral("CVFolder")));
    // Warnings are plain text on stderr, one line per kind; links end at links.2.
    QVERIFY(!result.err.contains(QLatin1Char('<')));
    QVERIFY2(!result.err.contains(QStringLiteral("links.2")) || result.err.contains(QStringLiteral("end at links.2")),
             qPrintable(result.err));
    QVERIFY(!result.err.contains(QStringLiteral("step 1 of 18")));  // no progress on a pipe
}

void TestCorviaImport::importOptionsReachTheModel_data()
{
    QTest::addColumn<QString>("example");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("settings");    // the saved model's importSettings, less the directory
    QTest::addColumn<QString>("roadSide");    // the importer's location preference
    QTest::addColumn<QString>("summary");     // in the summary's first line
    QTest::addColumn<QString>("verbose");     // a line of -v
    QTest::addColumn<QString>("scenario");    // the summary's scenario line
    QTest::addColumn<bool>("ruleNote");       // the configuration's drive side is not --rule's

    QTest::newRow("defaults") << "quadstone" << QStringList()
                              << R"({"demandFiles":1,"lengthUnit":"Metric","roadSide":"right","sourceFormat":"Paramics Network","unitFactor":1,"variant":"Quadstone"})"
                              << "0" << "(Quadstone, Metric, right-hand traffic, "
                              << "Options: variant Quadstone, units Metric (1 m), rule of the road right, 1 demand file(s)\n"
                              << "  scenario: none (the network has no configuration file)\n" << false;
    QTest::newRow("every option") << "sias"
                                  << QStringList{"--rule", "left", "--units", "Feet", "--variant", "Sias", "--demand-files", "3"}
                                  << R"({"demandFiles":3,"lengthUnit":"Feet","roadSide":"left","sourceFormat":"Paramics Network","unitFactor":0.3,"variant":"Sias"})"
                                  << "1" << "(Sias, Feet, left-hand traffic, configuration read, "
                                  << "Options: variant Sias, units Feet (0.3 m), rule of the road left, 3 demand file(s)\n"
                                  << "  scenario: start 07:00:00, 02:00:00 simulated, demand weight 100 %, seed 17, amber 3 s, "
                                     "right-hand traffic\n"
                                  << true;
    // The summary tells the unit the files' own words set, not the one asked for.
    QTest::newRow("unit words over --units") << "sias" << QStringList{"--variant", "Sias"}
                                  << R"({"demandFiles":1,"lengthUnit":"Metric","roadSide":"right","sourceFormat":"Paramics Network","unitFactor":1,"variant":"Sias"})"
                                  << "0" << "(Sias, Feet, right-hand traffic, configuration read, "
                                  << "Options: variant Sias, units Metric (1 m), rule of the road right, 1 demand file(s)\n"
                                  << "  scenario: start 07:00:00, 02:00:00 simulated, demand weight 100 %, seed 17, amber 3 s, "
                                     "right-hand traffic\n"
                                  << false;
    QTest::newRow("configuration not read") << "sias" << QStringList{"--units", "Feet"}
                                  << R"({"demandFiles":1,"lengthUnit":"Feet","roadSide":"right","sourceFormat":"Paramics Network","unitFactor":0.3,"variant":"Quadstone"})"
                                  << "0" << "(Quadstone, Feet, right-hand traffic, configuration not read, "
                                  << "Options: variant Quadstone, units Feet (0.3 m), rule of the road right, 1 demand file(s)\n"
                                  << "  scenario: start 07:00:00, 02:00:00 simulated, demand weight 100 %, seed 17, amber 3 s, "
                                     "right-hand traffic\n"
                                  << false;
}

void TestCorviaImport::importOptionsReachTheModel()
{
    QFETCH(QString, example);
    QFETCH(QStringList, options);
    QFETCH(QString, settings);
    QFETCH(QString, roadSide);
    QFETCH(QString, summary);
    QFETCH(QString, verbose);
    QFETCH(QString, scenario);
    QFETCH(bool, ruleNote);
    NetworkDir dir;
    const QString path = dir.path() + QStringLiteral("/model.json");
    const QString network = examplesDir(example);
    const Result result = corvia(QStringList{"import", network, "--save", path, "-v"} + options);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.startsWith(QStringLiteral("Imported %1 %2").arg(network, summary)), qPrintable(result.out));
    QVERIFY2(result.err.contains(verbose), qPrintable(result.err));
    QVERIFY2(result.out.contains(scenario), qPrintable(result.out));
    QCOMPARE(result.err.count(QStringLiteral("the network's configuration says right-hand traffic; imported with --rule left")),
             ruleNote ? 1 : 0);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject model = QJsonDocument::fromJson(file.readAll()).object();
    QJsonObject saved = model.value(QStringLiteral("importSettings")).toObject();
    QCOMPARE(saved.take(QStringLiteral("directory")).toString(), network);
    QCOMPARE(QString::fromUtf8(QJsonDocument(saved).toJson(QJsonDocument::Compact)), settings);
    QCOMPARE(model.value(QStringLiteral("preferences")).toObject().value(QStringLiteral("CVModel::Location::RoadSide")).toString(),
             roadSide);
}

// The scenario of the network's configuration reaches the SUMO
// configurations, unless the command line says otherwise.
void TestCorviaImport::sumoRunsTheScenario_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("values");  // od2trips' scale, sumo's begin and end, the seed
    // Sias: 07:00 for two hours, weight 100 %, seed 17.
    QTest::newRow("the configuration's") << QStringList() << QStringList{"1", "25200", "33300", "17"};
    QTest::newRow("overridden") << QStringList{"--sumo-scale", "0.25", "--sumo-begin", "06:30", "--sumo-end", "36000"}
                                << QStringList{"0.25", "23400", "36000", "17"};
}

void TestCorviaImport::sumoRunsTheScenario()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, values);
    NetworkDir dir;
    const QString prefix = dir.path() + QStringLiteral("/net");
    const Result result =
        corvia(QStringList{"import", examplesDir("sias"), "--variant", "Sias", "--units", "Feet", "--sumo", prefix} + options);
    QCOMPARE(result.exitCode, 0);
    const auto value = [](const QString& path, const char* option) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        const QRegularExpression element(QStringLiteral("<%1 value=\"([^\"]*)\"").arg(QLatin1String(option)));
        return element.match(QString::fromUtf8(file.readAll())).captured(1);
    };
    QCOMPARE((QStringList{value(prefix + ".od2trips.cfg", "scale"), value(prefix + ".sumocfg", "begin"),
                          value(prefix + ".sumocfg", "end"), value(prefix + ".sumocfg", "seed")}),
             values);
}

void TestCorviaImport::quietShowsNothingButErrors()
{
    const Result result = corvia({"import", examplesDir("sias"), "--variant", "Sias", "--quiet"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QString());
    QCOMPARE(result.err, QString());
}

void TestCorviaImport::verboseShowsTimesAndHostClasses()
{
    NetworkDir dir;
    const QString log = dir.path() + QStringLiteral("/import.log");
    const Result result = corvia({"import", examplesDir("quadstone"), "--verbose", "--log", log});
    QCOMPARE(result.exitCode, 0);
    for (const char* phase : {"] reading zones", "  reading links ", "  building the network ", "  building the traffic ",
                              "  writing " , "CVSection                33"})
        QVERIFY2(result.err.contains(QLatin1String(phase)), phase);
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.startsWith(QStringLiteral("warning: ")) || text.startsWith(QStringLiteral("info: ")));
    QVERIFY(!text.contains(QStringLiteral("OBJ_REF")));
}

void TestCorviaImport::nothingImportedExitsWithFourAndWritesNothing_data()
{
    QTest::addColumn<bool>("withUnrelatedFile");
    QTest::newRow("empty directory") << false;
    QTest::newRow("directory of other files") << true;
}

void TestCorviaImport::nothingImportedExitsWithFourAndWritesNothing()
{
    QFETCH(bool, withUnrelatedFile);
    NetworkDir network;
    NetworkDir outputs;
    if (withUnrelatedFile)
        network.write(QStringLiteral("readme.txt"), "not a network\n");
    const QString prefix = outputs.path() + QStringLiteral("/net");
    const Result result = corvia({"import", network.path(), "--sumo", prefix, "--save", prefix + ".json"});
    QCOMPARE(result.exitCode, 4);
    QVERIFY2(result.err.contains(QStringLiteral("--variant")), qPrintable(result.err));
    // Missing files of one kind are one line with their count.
    QVERIFY2(result.err.contains(QStringLiteral("warning: File not found (17): zones, categories, centres, nodes, links,")),
             qPrintable(result.err));
    QCOMPARE(QDir(outputs.path()).entryList(QDir::Files), QStringList());
}

void TestCorviaImport::unwritableOutputExitsWithOne()
{
    NetworkDir dir;
    dir.write(QStringLiteral("file"), "a file, not a folder\n");
    const Result result = corvia({"import", examplesDir("quadstone"), "--save", dir.path() + "/file/m.json"});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QStringLiteral("corvia import: cannot write")) &&
                 result.err.contains(QStringLiteral("Not a directory")),
             qPrintable(result.err));
}

void TestCorviaImport::pngOfExampleIsDrawn()
{
    NetworkDir dir;
    const QString picture = dir.path() + QStringLiteral("/out.png");
    const Result result = corvia({"import", examplesDir("quadstone"), "--png", picture, "--png-size", "640x480"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.contains(picture));
    QImage image;
    QVERIFY(image.load(picture, "PNG"));
    QCOMPARE(image.size(), QSize(640, 480));
    // White background, with a network (and legend) drawn on it.
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
    int drawn = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            drawn += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    }
    QVERIFY2(drawn > 1000, qPrintable(QString::number(drawn)));
}

void TestCorviaImport::docsShowTheHelp_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("corvia") << QStringList{"--help"};
    QTest::newRow("import") << QStringList{"import", "--help"};
    QTest::newRow("open") << QStringList{"open", "--help"};
}

void TestCorviaImport::docsShowTheHelp()
{
    // docs/command-line.md shows each help text as the program prints it
    // (tools/update-help-doc.py writes them there).
    QFETCH(QStringList, arguments);
    const Result result = corvia(arguments);
    QCOMPARE(result.exitCode, 0);
    QFile page(QStringLiteral(EXAMPLES_DIR "/../docs/command-line.md"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    QString indented;
    for (const QString& line : result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        indented += QStringLiteral("    ") + line + QLatin1Char('\n');
    QString pageLines;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        pageLines += line + QLatin1Char('\n');
    QVERIFY2(pageLines.contains(indented),
             "docs/command-line.md does not show this help text: run tools/update-help-doc.py build/bin/corvia");
}

QTEST_GUILESS_MAIN(TestCorviaImport)
#include "tst_corviaimport.moc"
