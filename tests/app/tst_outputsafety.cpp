// Outputs on a hostile machine: a full disk, paths taken by links, pipes
// and folders, names of folders that do not exist. corvia runs as a user
// runs it; what it leaves in the folder is listed afterwards.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// corvia import of the example network with the given outputs, in folder;
// fileSizeLimit > 0 makes every write past that many bytes fail as on a
// full disk (the signal such a write raises is ignored, so it fails with
// EFBIG).
Run importExample(const QString& folder, const QStringList& outputs, rlim_t fileSizeLimit = 0)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setChildProcessModifier([fileSizeLimit] {
        if (fileSizeLimit > 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
    });
    process.start(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                  QStringList{QStringLiteral("import"), QStringLiteral(EXAMPLES_DIR "/quadstone"), QStringLiteral("-q")} +
                      outputs);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Every entry under folder, hidden ones included, relative to it.
QStringList listing(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(folder).relativeFilePath(it.next()));
    names.sort();
    return names;
}

int lineCount(const QString& text)
{
    return int(text.count(QLatin1Char('\n')));
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}


// The same import on a tmpfs of one page mounted over folder in a mount
// namespace of its own: "full" when a file already fills it, "read-only"
// when it is mounted so. What corvia leaves there is listed before the
// mount goes with the namespace. False when the machine allows no such
// namespace.
bool importOnSmallDisk(const QString& folder, const QString& state, const QStringList& outputs, Run* run,
                       QStringList* left)
{
    static const QString script = QStringLiteral(
        "mount -t tmpfs -o size=4k tmpfs \"$1\" || exit 99\n"
        "if [ \"$2\" = full ]; then head -c 4096 /dev/zero >\"$1/filler\" || exit 99; fi\n"
        "if [ \"$2\" = read-only ]; then mount -o remount,ro \"$1\" || exit 99; fi\n"
        "folder=$1 listing=$3; shift 3; cd \"$folder\" && \"$@\"; code=$?\n"
        "find . -mindepth 1 ! -name filler | sort >\"$listing\"; exit $code\n");
    QTemporaryDir elsewhere;
    const QString listingFile = elsewhere.filePath(QStringLiteral("listing"));
    QProcess process;
    process.start(QStringLiteral("unshare"),
                  QStringList{QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                              QStringLiteral("sh"), folder, state, listingFile, QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                              QStringLiteral("import"), QStringLiteral(EXAMPLES_DIR "/quadstone"), QStringLiteral("-q")} +
                      outputs);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() == 99)
        return false;
    run->exitCode = process.exitCode();
    run->out = QString::fromUtf8(process.readAllStandardOutput());
    run->err = QString::fromUtf8(process.readAllStandardError());
    left->clear();
    for (const QByteArray& line : contents(listingFile).split('\n')) {
        if (!line.isEmpty())
            left->append(QString::fromUtf8(line.mid(2)));  // without "./"
    }
    return true;
}

}  // namespace

class TestOutputSafety : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskLeavesNothing_data();
    void fullDiskLeavesNothing();
    void smallDiskLeavesNothing_data();
    void smallDiskLeavesNothing();
    void pathsThatCannotTakeTheOutputAreRefusedFirst_data();
    void pathsThatCannotTakeTheOutputAreRefusedFirst();
    void sumoNameTakenLaterLeavesNoSet();
    void symbolicLinksAreReplacedNotFollowed_data();
    void symbolicLinksAreReplacedNotFollowed();
    void parentOfMissingFolderCreatesNothingOnTheWay();
};

// Each output option, with the files it makes (relative to the run's folder).
void addOutputRows()
{
    QTest::addColumn<QStringList>("option");
    QTest::addColumn<QStringList>("made");
    QTest::newRow("model") << QStringList{"--save", "out/m.json"} << QStringList{"out/m.json"};
    QTest::newRow("picture") << QStringList{"--png", "out/m.png"} << QStringList{"out/m.png"};
    QTest::newRow("geopackage") << QStringList{"--gis", "out/m.gpkg"} << QStringList{"out/m.gpkg"};
    QTest::newRow("flatgeobuf") << QStringList{"--gis", "out/m.fgb"} << QStringList{"out/m.fgb"};
    QTest::newRow("geojson") << QStringList{"--geojson", "out/m.geojson"} << QStringList{"out/m.geojson"};
    QTest::newRow("shapefiles") << QStringList{"--gis", "out/m.shp"} << QStringList{"out/m.shp/sections.shp"};
    QTest::newRow("sumo") << QStringList{"--sumo", "out/net"} << QStringList{"out/net.nod.xml", "out/net.sumocfg"};
    QTest::newRow("log") << QStringList{"--log", "out/m.log"} << QStringList{"out/m.log"};
}

void TestOutputSafety::fullDiskLeavesNothing_data()
{
    addOutputRows();
}

void TestOutputSafety::fullDiskLeavesNothing()
{
    QFETCH(QStringList, option);
    QFETCH(QStringList, made);
    QTemporaryDir folder;
    // The control: with room, the output is made.
    const Run fine = importExample(folder.path(), option);
    QCOMPARE(fine.exitCode, 0);
    for (const QString& file : made)
        QVERIFY2(QFileInfo(folder.filePath(file)).isFile(), qPrintable(file));
    QVERIFY(QDir(folder.filePath(QStringLiteral("out"))).removeRecursively());

    const Run full = importExample(folder.path(), option, 64);
    QCOMPARE(full.exitCode, 1);
    QVERIFY2(lineCount(full.err) == 1, qPrintable(full.err));
    QVERIFY2(full.err.contains(option.last()) && full.err.contains(QStringLiteral("File too large")), qPrintable(full.err));
    // Nothing half-written, no temporary file, not even the folder made for it.
    QCOMPARE(listing(folder.path()), QStringList());
}

// A real full disk and a read-only one, for every output: one line with the
// file and the system's reason, nothing left behind.
void TestOutputSafety::smallDiskLeavesNothing_data()
{
    QTest::addColumn<QStringList>("option");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("reason");
    const QList<QStringList> options{{"--save", "out/m.json"}, {"--png", "out/m.png"},   {"--gis", "out/m.gpkg"},
                                     {"--gis", "out/m.fgb"},   {"--gis", "out/m.shp"},   {"--geojson", "out/m.geojson"},
                                     {"--sumo", "out/net"},    {"--log", "out/m.log"}};
    for (const QStringList& option : options) {
        QTest::addRow("full %s", qPrintable(option.last())) << option << "full" << "No space left on device";
        QTest::addRow("read-only %s", qPrintable(option.last())) << option << "read-only" << "Read-only file system";
    }
}

void TestOutputSafety::smallDiskLeavesNothing()
{
    QFETCH(QStringList, option);
    QFETCH(QString, state);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    Run run;
    QStringList left;
    if (!importOnSmallDisk(folder.path(), state, option, &run, &left))
        QSKIP("no mount namespace with a tmpfs on this machine");
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(lineCount(run.err) == 1 && run.err.contains(QStringLiteral("cannot write ") + option.last()) &&
                 run.err.contains(reason),
             qPrintable(run.err));
    QCOMPARE(left, QStringList());
}

void TestOutputSafety::pathsThatCannotTakeTheOutputAreRefusedFirst_data()
{
    QTest::addColumn<QStringList>("option");
    QTest::addColumn<QString>("occupied");  // made a pipe when it names one, else a folder
    QTest::addColumn<QString>("reason");
    const QString pipe = QStringLiteral("not a regular file");
    const QString folder = QStringLiteral("a directory");
    QTest::newRow("pipe at the model") << QStringList{"--save", "m.json"} << "pipe m.json" << pipe;
    QTest::newRow("pipe at the picture") << QStringList{"--png", "m.png"} << "pipe m.png" << pipe;
    QTest::newRow("pipe at the log") << QStringList{"--log", "m.log"} << "pipe m.log" << pipe;
    QTest::newRow("pipe at a geopackage") << QStringList{"--gis", "m.gpkg"} << "pipe m.gpkg" << pipe;
    QTest::newRow("pipe at a geojson") << QStringList{"--geojson", "m.geojson"} << "pipe m.geojson" << pipe;
    QTest::newRow("pipe at a flatgeobuf") << QStringList{"--gis", "m.fgb"} << "pipe m.fgb" << pipe;
    QTest::newRow("pipe at the shapefile folder") << QStringList{"--gis", "m.shp"} << "pipe m.shp" << "not a folder";
    QTest::newRow("pipe at the last sumo file") << QStringList{"--sumo", "net"} << "pipe net.sumocfg" << pipe;
    QTest::newRow("folder at the picture") << QStringList{"--png", "m.png"} << "m.png" << folder;
    QTest::newRow("folder at the log") << QStringList{"--log", "m.log"} << "m.log" << folder;
    QTest::newRow("folder at a geopackage") << QStringList{"--gis", "m.gpkg"} << "m.gpkg" << folder;
    QTest::newRow("folder at a sumo file") << QStringList{"--sumo", "net"} << "net.rou.xml" << folder;
    QTest::newRow("comma in the sumo prefix") << QStringList{"--sumo", "a,b"} << QString() << "commas";
    QTest::newRow("space in the sumo prefix") << QStringList{"--sumo", "a b"} << QString() << "spaces";
    QTest::newRow("sumo prefix is a folder") << QStringList{"--sumo", "sub/"} << "sub" << "is a folder";
    QTest::newRow("file where a folder goes") << QStringList{"--save", "m.json/m.json"} << "pipe m.json"
                                              << "Not a directory";
}

void TestOutputSafety::pathsThatCannotTakeTheOutputAreRefusedFirst()
{
    QFETCH(QStringList, option);
    QFETCH(QString, occupied);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    if (occupied.startsWith(QLatin1String("pipe ")))
        QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(occupied.mid(5))).constData(), 0600), 0);
    else if (!occupied.isEmpty())
        QVERIFY(QDir(folder.path()).mkdir(occupied));
    const QStringList before = listing(folder.path());

    const Run run = importExample(folder.path(), option);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(lineCount(run.err) == 1 && run.err.contains(reason), qPrintable(run.err));
    QVERIFY2(!run.out.contains(QLatin1String("Imported")), qPrintable(run.out));
    QCOMPARE(listing(folder.path()), before);
}

// The OD matrices are named by the model, so a pipe at one of them shows
// only once the set is written: then none of the set is left.
void TestOutputSafety::sumoNameTakenLaterLeavesNoSet()
{
    QTemporaryDir folder;
    QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("net.od02.txt"))).constData(), 0600), 0);
    const Run run = importExample(folder.path(), {QStringLiteral("--sumo"), QStringLiteral("net")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(lineCount(run.err) == 1 && run.err.contains(QLatin1String("net.od02.txt")), qPrintable(run.err));
    QCOMPARE(listing(folder.path()), QStringList{QStringLiteral("net.od02.txt")});
}

void TestOutputSafety::symbolicLinksAreReplacedNotFollowed_data()
{
    addOutputRows();
}

void TestOutputSafety::symbolicLinksAreReplacedNotFollowed()
{
    QFETCH(QStringList, option);
    QFETCH(QStringList, made);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("out/m.shp")));
    QFile precious(folder.filePath(QStringLiteral("precious")));
    QVERIFY(precious.open(QIODevice::WriteOnly) && precious.write("keep me") == 7);
    precious.close();
    // A link to that file, then a dangling one, at every path the output makes.
    for (const QString& target : {QStringLiteral("precious"), QStringLiteral("nowhere")}) {
        for (const QString& file : made) {
            QFile::remove(folder.filePath(file));
            QVERIFY(QFile::link(folder.filePath(target), folder.filePath(file)));
        }
        const Run run = importExample(folder.path(), option);
        QCOMPARE(run.exitCode, 0);
        for (const QString& file : made) {
            const QFileInfo written(folder.filePath(file));
            QVERIFY2(written.isFile() && !written.isSymLink(), qPrintable(file));
        }
        QCOMPARE(contents(precious.fileName()), QByteArray("keep me"));
        QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("nowhere"))));
    }
}

void TestOutputSafety::parentOfMissingFolderCreatesNothingOnTheWay()
{
    QTemporaryDir folder;
    const Run run = importExample(folder.path(), {QStringLiteral("--save"), QStringLiteral("missing/../m.json"),
                                                  QStringLiteral("--sumo"), QStringLiteral("gone/../sumo/net"),
                                                  QStringLiteral("--gis"), QStringLiteral("away/../m.gpkg")});
    QCOMPARE(run.exitCode, 0);
    const QStringList made = listing(folder.path());
    QVERIFY2(made.contains(QLatin1String("m.json")) && made.contains(QLatin1String("m.gpkg")) &&
                 made.contains(QLatin1String("sumo/net.sumocfg")),
             qPrintable(made.join(QLatin1Char(' '))));
    for (const char* missing : {"missing", "gone", "away"})
        QVERIFY2(!made.contains(QLatin1String(missing)), missing);
}

QTEST_GUILESS_MAIN(TestOutputSafety)
#include "tst_outputsafety.moc"
