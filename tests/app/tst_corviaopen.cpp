// `corvia open` on files that are not good models, and every command's
// output paths that must not be written.

#include "testsupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run corvia(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(CORVIA_BIN_DIR "/corvia"), arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// A small good model: a node, a centroid connected to it by a connection
// object, a folder and an OD matrix with one row of trips.
const char* const goodModel =
    "{\"format\":\"corvia-model\",\"version\":2,\n"
    "\"preferences\":{},\n"
    "\"log\":[],\n"
    "\"model\":{\"activeCentroidConfiguration\":null,\"activeLayer\":null,\"lastId\":5,\"layers\":[],\"rootFolder\":3},\n"
    "\"objects\":[\n"
    "{\"id\":1,\"type\":\"CVNode\",\"name\":\"a\",\"externalId\":\"\",\"status\":0,\"position\":[0,0,0],\"signals\":[],\"turnings\":[],\"userDefinedPriorities\":false,\"yellowBox\":false},\n"
    "{\"id\":2,\"type\":\"CVCentroid\",\"name\":\"z\",\"externalId\":\"\",\"status\":0,\"connections\":[4],\"consPercentages\":0,\"position\":[1,1,0],\"useBestEntrance\":false},\n"
    "{\"id\":3,\"type\":\"CVFolder\",\"name\":\"Root\",\"externalId\":\"\",\"status\":0,\"members\":[1]},\n"
    "{\"id\":4,\"type\":\"CVCenConnection\",\"name\":\"\",\"externalId\":\"\",\"status\":0,\"connectionType\":1,\"object\":1},\n"
    "{\"id\":5,\"type\":\"CVODMatrix\",\"name\":\"m\",\"externalId\":\"\",\"status\":0,\"centroidConfiguration\":null,\"duration\":900,\"start\":\"08:00:00\",\"vehicle\":null,\"trips\":[[2,[2],[1.5]]]}\n"
    "]}\n";

QByteArray changed(const char* from, const char* to)
{
    QByteArray text(goodModel);
    return text.replace(from, to);
}

// A small network: two nodes, a section each way between them, a turning,
// a bus stop, a label, a centroid and an OD matrix of car trips.
const char* const networkModel =
    "{\"format\":\"corvia-model\",\"version\":2,\n"
    "\"preferences\":{},\n"
    "\"log\":[],\n"
    "\"model\":{\"activeCentroidConfiguration\":null,\"activeLayer\":null,\"lastId\":13,\"layers\":[],\"rootFolder\":3},\n"
    "\"objects\":[\n"
    "{\"id\":1,\"type\":\"CVNode\",\"name\":\"a\",\"externalId\":\"\",\"status\":0,\"position\":[0,0,0],\"signals\":[],\"turnings\":[],\"userDefinedPriorities\":false,\"yellowBox\":false},\n"
    "{\"id\":2,\"type\":\"CVNode\",\"name\":\"b\",\"externalId\":\"\",\"status\":0,\"position\":[100,0,0],\"signals\":[],\"turnings\":[],\"userDefinedPriorities\":false,\"yellowBox\":false},\n"
    "{\"id\":3,\"type\":\"CVFolder\",\"name\":\"Root\",\"externalId\":\"\",\"status\":0,\"members\":[1]},\n"
    "{\"id\":4,\"type\":\"CVSection\",\"name\":\"ab\",\"externalId\":\"\",\"status\":0,\"curveType\":0,\"destination\":2,\"laneWidth\":3.5,"
    "\"lanes\":[{\"finalOffset\":0,\"initialOffset\":0},{\"finalOffset\":0,\"initialOffset\":0}],\"nbFullLanes\":2,\"nbLanes\":2,\"origin\":1,"
    "\"points\":[[0,0,0],[100,0,0]],\"roadType\":null,\"sideLanes\":[],\"speed\":50},\n"
    "{\"id\":5,\"type\":\"CVSection\",\"name\":\"ba\",\"externalId\":\"\",\"status\":0,\"curveType\":0,\"destination\":1,\"laneWidth\":3.5,"
    "\"lanes\":[{\"finalOffset\":0,\"initialOffset\":0}],\"nbFullLanes\":1,\"nbLanes\":1,\"origin\":2,"
    "\"points\":[[100,5,0],[0,5,0]],\"roadType\":null,\"sideLanes\":[],\"speed\":50},\n"
    "{\"id\":6,\"type\":\"CVTurning\",\"name\":\"\",\"externalId\":\"\",\"status\":0,\"autoSpeed\":true,\"destination\":5,\"destinationLanes\":[0,0],"
    "\"node\":2,\"origin\":4,\"originLanes\":[0,1],\"path\":[[100,0,0],[100,5,0]]},\n"
    "{\"id\":7,\"type\":\"CVBusStop\",\"name\":\"s\",\"externalId\":\"\",\"status\":0,\"lanes\":[1,1],\"length\":20,\"position\":60,\"section\":4},\n"
    "{\"id\":8,\"type\":\"CVText\",\"name\":\"\",\"externalId\":\"\",\"status\":0,\"angle\":0,\"height\":25,\"position\":[50,25,0],\"text\":\"t\"},\n"
    "{\"id\":9,\"type\":\"CVVehicle\",\"name\":\"car\",\"externalId\":\"\",\"status\":0,\"attributes\":{}},\n"
    "{\"id\":11,\"type\":\"CVCentroid\",\"name\":\"z\",\"externalId\":\"\",\"status\":0,\"connections\":[12],\"consPercentages\":0,\"position\":[1,1,0],\"useBestEntrance\":false},\n"
    "{\"id\":12,\"type\":\"CVCenConnection\",\"name\":\"\",\"externalId\":\"\",\"status\":0,\"connectionType\":1,\"object\":4},\n"
    "{\"id\":13,\"type\":\"CVODMatrix\",\"name\":\"m\",\"externalId\":\"\",\"status\":0,\"centroidConfiguration\":null,\"duration\":900,\"start\":\"08:00:00\",\"vehicle\":9,\"trips\":[[11,[11],[1.5]]]}\n"
    "]}\n";

QByteArray network(const char* from, const char* to)
{
    QByteArray text(networkModel);
    return text.replace(from, to);
}

}  // namespace

class TestCorviaOpen : public QObject
{
    Q_OBJECT

private slots:
    void goodModelOpensAndSavesAgain_data();
    void goodModelOpensAndSavesAgain();
    void badModelFilesGiveOneError_data();
    void badModelFilesGiveOneError();
    void unusableObjectsGiveOneError_data();
    void unusableObjectsGiveOneError();
    void outputsThatAreNotFilesAreRefused_data();
    void outputsThatAreNotFilesAreRefused();
    void emptyOutputPathIsAUsageError_data();
    void emptyOutputPathIsAUsageError();
};

void TestCorviaOpen::goodModelOpensAndSavesAgain_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("said");
    QTest::newRow("no import settings") << QByteArray(goodModel) << "5 objects\n";
    const char* const imported =
        "\"importSettings\":{\"demandFiles\":3,\"directory\":\"/nets/a\",\"lengthUnit\":\"Feet\",\"roadSide\":\"left\","
        "\"sourceFormat\":\"Paramics Network\",\"unitFactor\":0.3,\"variant\":\"Sias\"},\n\"objects\":[";
    QTest::newRow("import settings") << changed("\"objects\":[", imported)
                                     << "5 objects; imported as Paramics Network (Sias, Feet, left-hand traffic)\n";
}

void TestCorviaOpen::goodModelOpensAndSavesAgain()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, said);
    NetworkDir dir;
    const QString path = dir.write("model.json", text);
    const Run run = corvia({"open", path, "--save", dir.path() + "/again.json"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(said), qPrintable(run.out));
    QFile again(dir.path() + "/again.json");
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), text);
}

void TestCorviaOpen::badModelFilesGiveOneError_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("newer version") << changed("\"version\":2", "\"version\":3") << "newer than this corvia reads";
    QTest::newRow("older version") << changed("\"version\":2", "\"version\":1") << "version 1";
    QTest::newRow("other format") << changed("corvia-model", "road-model") << "not a corvia model file";
    QTest::newRow("not an object") << QByteArray("[1, 2]") << "not a model file";
    QTest::newRow("empty file") << QByteArray() << "truncated";
    QTest::newRow("truncated") << QByteArray(goodModel).left(600) << "truncated";
    const QByteArray good(goodModel);
    for (const char* end : {"[[2,[2", "[[2,[2],[1.", "[[2,[2],[1.5]"})
        QTest::newRow(qPrintable(QStringLiteral("truncated after %1").arg(end))) << good.left(good.indexOf(end) + qsizetype(strlen(end))) << "truncated";
    QTest::newRow("invalid JSON") << changed("\"members\":[1]", "\"members\":[1,,]") << "line 8: invalid JSON";
    QTest::newRow("unknown type") << changed("\"CVFolder\"", "\"CVShed\"") << "line 8: object 3 has the unknown type \"CVShed\"";
    QTest::newRow("duplicate id") << changed("{\"id\":3,", "{\"id\":1,") << "line 8: holds two objects with id 1";
    QTest::newRow("dangling reference") << changed("\"members\":[1]", "\"members\":[9]")
                                        << "line 8: object 3 refers to object 9, which the file does not hold";
    QTest::newRow("reference of a wrong type") << changed("\"connections\":[4]", "\"connections\":[3]")
                                               << "object 2 refers to object 3 of an unexpected type";
    QTest::newRow("dangling trips") << changed("[[2,[2],[1.5]]]", "[[2,[7],[1.5]]]") << "trips of centroid 7";
    QTest::newRow("uneven trips") << changed("[[2,[2],[1.5]]]", "[[2,[2],[1.5,2]]]") << "not rows of";
    QTest::newRow("unknown data column") << changed("\"name\":\"a\",", "\"name\":\"a\",\"data\":{\"colour\":1},")
                                         << "unknown attribute \"colour\"";
}

void TestCorviaOpen::badModelFilesGiveOneError()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    NetworkDir dir;
    const QString path = dir.write("model.json", text);
    const QString saved = dir.path() + "/saved.json";
    const Run run = corvia({"open", path, "--save", saved});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(path) && run.err.contains(expected), qPrintable(run.err));
    QCOMPARE(run.err.count(QStringLiteral("corvia open:")), 1);
    QVERIFY(!run.out.contains(QStringLiteral("Opened")));
    QVERIFY(!QFileInfo::exists(saved));
}

// Files that parse and hold only known objects, but objects that no
// exporter could use: each refused with its file, line and object.
void TestCorviaOpen::unusableObjectsGiveOneError_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("good") << QByteArray(networkModel) << QString();
    QTest::newRow("origin a node") << network("\"node\":2,\"origin\":4", "\"node\":2,\"origin\":1")
                                   << "line 11: object 6 refers to object 1 of an unexpected type";
    QTest::newRow("turning node a section") << network("\"node\":2,", "\"node\":5,") << "line 11: object 6 refers to object 5";
    QTest::newRow("stop on a node") << network("\"section\":4}", "\"section\":2}") << "line 12: object 7 refers to object 2";
    QTest::newRow("connection to a folder") << network("\"object\":4}", "\"object\":3}") << "line 16: object 12 refers to object 3";
    QTest::newRow("vehicle a node") << network("\"vehicle\":9", "\"vehicle\":1") << "line 17: object 13 refers to object 1";
    QTest::newRow("trips of a node") << network("[[11,[11]", "[[1,[11]") << "trips of centroid 1";
    QTest::newRow("origin lanes to 1e9") << network("\"originLanes\":[0,1]", "\"originLanes\":[0,1000000000]")
                                         << "line 11: object 6 has origin lanes [0, 1000000000] outside its section's 2";
    QTest::newRow("destination lane -1") << network("\"destinationLanes\":[0,0]", "\"destinationLanes\":[-1,0]")
                                         << "object 6 has destination lanes [-1, 0]";
    QTest::newRow("lanes reversed") << network("\"originLanes\":[0,1]", "\"originLanes\":[1,0]") << "object 6 has origin lanes [1, 0]";
    QTest::newRow("stop beyond its lanes") << network("\"lanes\":[1,1]", "\"lanes\":[1,2]") << "line 12: object 7 covers lanes [1, 2]";
    QTest::newRow("stop far along") << network("\"position\":60,", "\"position\":1e300,") << "object 7 has a position or length";
    QByteArray manyLanes = QByteArray("{\"finalOffset\":0,\"initialOffset\":0},").repeated(65);
    manyLanes.chop(1);
    QTest::newRow("65 lanes") << network("\"lanes\":[{\"finalOffset\":0,\"initialOffset\":0}]", "\"lanes\":[" + manyLanes + "]")
                              << "object 5 has 65 lanes, more than 64";
    QTest::newRow("node off the earth") << network("\"position\":[100,0,0]", "\"position\":[1e300,0,0]")
                                        << "line 7: object 2 has a position (1e+300, 0, 0) off the earth";
    QTest::newRow("node half placed") << network("\"position\":[100,0,0]", "\"position\":[100,null,0]") << "object 2 has a position";
    QTest::newRow("section point off") << network("[[0,0,0],[100,0,0]]", "[[0,0,0],[100,-1e9,0]]") << "object 4 has a position";
    QTest::newRow("path point off") << network("[[100,0,0],[100,5,0]]", "[[100,0,0],[1e99,5,0]]") << "object 6 has a position";
    QTest::newRow("label off") << network("\"position\":[50,25,0]", "\"position\":[50,2.5e8,0]") << "object 8 has a position";
    QTest::newRow("negative duration") << network("\"duration\":900", "\"duration\":-900") << "line 17: object 13 lasts -900 s";
    QTest::newRow("century long") << network("\"duration\":900", "\"duration\":3.2e9") << "object 13 lasts";
    QTest::newRow("id past the last id") << network("\"lastId\":13", "\"lastId\":12") << "object 13 has an id beyond the model's last id 12";
    QTest::newRow("second object list") << network("\n]}\n", "\n],\"objects\":[]}\n") << "has a second object list";
    QTest::newRow("text after the end") << network("\n]}\n", "\n]}\n{}") << "has text after the model's end";
}

void TestCorviaOpen::unusableObjectsGiveOneError()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    NetworkDir dir;
    const QString path = dir.write("model.json", text);
    const QString saved = dir.path() + "/again.json";
    const Run run = corvia({"open", path, "--save", saved, "--sumo", dir.path() + "/sumo"});
    if (expected.isEmpty()) {
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(QFile::exists(saved));
        return;
    }
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(run.err.contains(path) && run.err.contains(expected), qPrintable(run.err));
    QVERIFY(!QFile::exists(saved));
}

void TestCorviaOpen::outputsThatAreNotFilesAreRefused_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("kind");
    for (const char* command : {"import", "open"}) {
        for (const char* option : {"--save", "--png", "--geojson", "--sumo"}) {
            for (const char* kind : {"directory", "pipe", "device"}) {
                if (qstrcmp(option, "--sumo") == 0 && qstrcmp(kind, "device") == 0)
                    continue;  // a prefix cannot name a device
                QTest::addRow("%s %s %s", command, option, kind)
                    << QString::fromLatin1(command) << QString::fromLatin1(option) << QString::fromLatin1(kind);
            }
        }
    }
}

void TestCorviaOpen::outputsThatAreNotFilesAreRefused()
{
    QFETCH(QString, command);
    QFETCH(QString, option);
    QFETCH(QString, kind);
    NetworkDir dir;
    const QString input = command == QLatin1String("import") ? examplesDir("quadstone") : dir.write("model.json", goodModel);
    // The SUMO files take their names from a prefix: its first file is the one in the way.
    const QString target = dir.path() + (option == QLatin1String("--sumo") ? "/net.nod.xml" : "/out");
    const QString argument = option == QLatin1String("--sumo") ? dir.path() + "/net" : target;
    QString inTheWay = target;
    if (kind == QLatin1String("directory"))
        QVERIFY(QDir().mkpath(target));
    else if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    else
        inTheWay = QStringLiteral("/dev/null");
    const QString given = kind == QLatin1String("device") && option != QLatin1String("--sumo") ? inTheWay : argument;

    const Run run = corvia({command, input, option, given});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(inTheWay) && run.err.contains(QStringLiteral("left as it is")), qPrintable(run.err));
    // Refused before any work: nothing was imported or opened.
    QVERIFY2(!run.out.contains(QStringLiteral("Created objects")) && !run.out.contains(QStringLiteral("Opened")),
             qPrintable(run.out));
    const QFileInfo after(inTheWay);
    QVERIFY(after.exists() && !after.isFile());
}

void TestCorviaOpen::emptyOutputPathIsAUsageError_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("option");
    for (const char* command : {"import", "open"}) {
        for (const char* option : {"--save", "--png", "--geojson", "--sumo"})
            QTest::addRow("%s %s", command, option) << QString::fromLatin1(command) << QString::fromLatin1(option);
    }
}

void TestCorviaOpen::emptyOutputPathIsAUsageError()
{
    QFETCH(QString, command);
    QFETCH(QString, option);
    NetworkDir dir;
    const QString input = command == QLatin1String("import") ? examplesDir("quadstone") : dir.write("model.json", goodModel);
    const Run run = corvia({command, input, option, QString()});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(option + QStringLiteral(" needs a file name")), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestCorviaOpen)
#include "tst_corviaopen.moc"
