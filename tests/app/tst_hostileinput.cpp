// Damaged, extreme and hostile network directories imported end to end by
// `corvia import`: each run must end by itself within its time limit, with
// exit status 0, a model file that parses as JSON and a map that loads as a
// PNG, and (where the system reports it) a peak memory within 60 times the
// bytes of the files plus 200 MB (plus an allowance per host object where
// the input makes one per word or two).

#include "childprocess.h"
#include "testsupport.h"

#include <cvmodelreader.h>

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <sys/stat.h>

namespace {

constexpr qsizetype SmallFloodBytes = 2 * 1024 * 1024;
#ifdef CORVIA_SANITIZED
// The sanitizers multiply time and memory; floods are smaller there, the
// cases run with one variant only and memory is not measured.
constexpr qsizetype FloodBytes = SmallFloodBytes;
constexpr bool BothVariants = false;
constexpr bool MeasureMemory = false;
constexpr int TimeLimitMs = 240000;
constexpr qint64 FloodTimeLimitMs = TimeLimitMs;
#else
constexpr qsizetype FloodBytes = 20 * 1024 * 1024;
constexpr bool BothVariants = true;
constexpr bool MeasureMemory = true;
constexpr int TimeLimitMs = 300000;
constexpr qint64 FloodTimeLimitMs = 30000;
#endif

// Peak memory allowed: 60 times the bytes of the files plus 200 MB.
constexpr qint64 BytesPerFile = 60;
constexpr qint64 FixedBytes = 200LL * 1024 * 1024;

using Transform = std::function<QByteArray(const QString& name, const QByteArray& text)>;

// Copies an example network into dir, each file through the transform.
void copyExample(const QString& dir, const QString& variant, const Transform& transform = nullptr)
{
    QDir().mkpath(dir);
    const QDir source(QStringLiteral(EXAMPLES_DIR "/") + variant);
    for (const QString& name : source.entryList(QDir::Files)) {
        QFile in(source.filePath(name));
        QFile out(dir + QLatin1Char('/') + name);
        if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
            const QByteArray text = in.readAll();
            out.write(transform ? transform(name, text) : text);
        }
    }
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray repeated(const QByteArray& unit, qsizetype bytes)
{
    return unit.repeated(int(bytes / unit.size()));
}

// Every number written with a decimal point (coordinates, lengths, widths,
// speeds, times) replaced by the value.
Transform decimalsAs(const char* value)
{
    return [value](const QString&, const QByteArray& text) {
        static const QRegularExpression decimal(QStringLiteral("-?\\d+\\.\\d+"));
        return QString::fromUtf8(text).replace(decimal, QLatin1String(value)).toUtf8();
    };
}

Transform lanesAs(const char* value)
{
    return [value](const QString&, const QByteArray& text) {
        static const QRegularExpression lanes(QStringLiteral("lanes(:?)\\s+\\d+"));
        return QString::fromUtf8(text).replace(lanes, QStringLiteral("lanes\\1 ") + QLatin1String(value)).toUtf8();
    };
}

QByteArray encoded(const QByteArray& utf8, QStringConverter::Encoding encoding, bool bom)
{
    QStringEncoder encoder(encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(QString::fromUtf8(utf8));
}

// Files cut at points chosen by the seed.
Transform truncatedWithSeed(quint32 seed)
{
    auto random = std::make_shared<QRandomGenerator>(seed);
    return [random](const QString&, const QByteArray& text) { return text.left(random->bounded(int(text.size()) + 1)); };
}

// A hub node with many entering links and two leaving links, each of those
// written many times: duplicate turnings at a busy node.
void writeBusyNode(const QString& dir, int entering, int copies)
{
    QDir().mkpath(dir);
    QByteArray nodes = "node 1 at 0.0 m, 0.0 m, 0.0 m junction\n"
                       "node 2 at 100.0 m, 0.0 m, 0.0 m junction\n"
                       "node 3 at 0.0 m, 100.0 m, 0.0 m junction\n";
    QByteArray links;
    for (int i = 0; i < entering; ++i) {
        constexpr double pi = 3.14159265358979323846;
        const double angle = pi / 2 + pi * (i + 1) / (entering + 1);
        nodes += QStringLiteral("node %1 at %2 m, %3 m, 0.0 m junction\n")
                     .arg(10 + i).arg(500.0 * std::cos(angle), 0, 'f', 2).arg(500.0 * std::sin(angle), 0, 'f', 2).toUtf8();
        links += QStringLiteral("link %1 1 lanes 2\n").arg(10 + i).toUtf8();
    }
    for (int c = 0; c < copies; ++c)
        links += "link 1 2 lanes 2\nlink 1 3 lanes 2\n";
    writeFile(dir + QStringLiteral("/nodes"), nodes);
    writeFile(dir + QStringLiteral("/links"), links);
}

struct HostileCase
{
    using Build = std::function<void(const QString& dir)>;
    HostileCase(const QByteArray& caseName, Build builder, bool same = false, const QString& missing = QString())
        : name(caseName), build(std::move(builder)), sameAsExample(same), missingFile(missing)
    {
    }
    // Not imported: exit status 1 and one line holding this, no output.
    QByteArray refusal;
    // A file of one word repeated: done within FloodTimeLimitMs.
    bool flood = false;

    QByteArray name;
    Build build;
    bool sameAsExample;   // imports exactly what the plain example does
    QString missingFile;  // warned about as "File not found"
};

// The file of each reader and a keyword that starts its records.
const QVector<QPair<QString, QByteArray>>& readerKeywords()
{
    static const QVector<QPair<QString, QByteArray>> keywords{
        {"configuration", "stop "}, {"zones", "zone "},       {"categories", "category "}, {"centres", "at "},
        {"nodes", "node "},         {"links.0", "link "},       {"nextlanes", "lane "},      {"junctions", "junction "},
        {"priorities", "phase "},   {"demands", "matrix "},   {"profile", "period "},      {"matrix", "from "},
        {"busstops", "zone "},      {"busroutes", "number "}, {"vehicles", "type "},       {"detectors", "loop "},
        {"beacons", "vms "},        {"annotation", "text "},
    };
    return keywords;
}

QVector<HostileCase> hostileCases()
{
    QVector<HostileCase> cases;
    const QString q = QStringLiteral("quadstone");
    auto example = [q](Transform t) { return [q, t](const QString& dir) { copyExample(dir, q, t); }; };

    cases.append({"random bytes", [](const QString& dir) {
        QRandomGenerator random(16);
        copyExample(dir, QStringLiteral("quadstone"), [&random](const QString&, const QByteArray& text) {
            QByteArray bytes(text.size(), Qt::Uninitialized);
            for (char& byte : bytes)
                byte = char(random.bounded(256));
            return bytes;
        });
    }});
    cases.append({"NUL bytes", example([](const QString&, QByteArray text) {
        for (qsizetype i = 7; i < text.size(); i += 97)
            text[i] = '\0';
        return text;
    })});
    cases.append({"2 MB line", example([](const QString& name, const QByteArray& text) {
        return name == QLatin1String("nodes") ? text + repeated("12.5 m, ", 2 * 1024 * 1024) : text;
    })});
    cases.append({"2 MB word", example([](const QString& name, const QByteArray& text) {
        return name == QLatin1String("links.0") ? QByteArray(2 * 1024 * 1024, '7') + " " + text : text;
    })});
    // Each reader's file in the example replaced by one keyword repeated.
    // Every "zone" is a zone header (the number after it is the next
    // "zone", which reads as 0) and every "text" a label: more than any
    // real network holds, so those imports stop with one line.
    for (const auto& [file, keyword] : readerKeywords()) {
        const QByteArray label = "flood of " + keyword.trimmed() + " in " + file.toUtf8();
        const QString fileName = file;
        const QByteArray word = keyword;
        cases.append({label, [fileName, word](const QString& dir) {
            copyExample(dir, QStringLiteral("quadstone"));
            writeFile(dir + QLatin1Char('/') + fileName, repeated(word, FloodBytes));
        }});
        cases.last().flood = true;
        if (word == "zone " && fileName == QLatin1String("zones"))
            cases.last().refusal = "more than 100000 zones";
        // The sanitizers' smaller floods hold fewer labels than the cap.
        else if (word == "text " && FloodBytes / word.size() > 500000)
            cases.last().refusal = "more than 500000 labels";
    }
    cases.append({"64000 zone lines", [](const QString& dir) {
        QDir().mkpath(dir);
        writeFile(dir + QStringLiteral("/zones"), QByteArray("zone 0 0\n").repeated(64000));
    }});
    for (quint32 seed : {1u, 2u, 3u})
        cases.append({QStringLiteral("truncated, seed %1").arg(seed).toUtf8(), example(truncatedWithSeed(seed))});
    cases.append({"empty files", example([](const QString&, const QByteArray&) { return QByteArray(); })});
    for (const char* value : {"1e308", "-1e308", "inf", "nan", "-0"})
        cases.append({QStringLiteral("decimals %1").arg(value).toUtf8(), example(decimalsAs(value))});
    for (const char* value : {"0", "-1", "99999", "2147483647"})
        cases.append({QStringLiteral("lanes %1").arg(value).toUtf8(), example(lanesAs(value))});
    cases.append({"categories of 0 lanes and 0 width", example([](const QString& name, const QByteArray& text) {
        if (name != QLatin1String("categories"))
            return text;
        return lanesAs("0")(name, decimalsAs("0")(name, text));
    })});
    for (const char* removed : {"nodes", "categories", "centres", "links.0"}) {
        const QString file = QLatin1String(removed);
        cases.append({QStringLiteral("no %1 file").arg(file).toUtf8(), [file](const QString& dir) {
            copyExample(dir, QStringLiteral("quadstone"));
            QFile::remove(dir + QLatin1Char('/') + file);
        }});
    }
    cases.append({"every file twice", example([](const QString&, const QByteArray& text) { return text + "\n" + text; })});
    cases.append({"busy node with duplicate turnings", [](const QString& dir) { writeBusyNode(dir, 100, 100); }});
    cases.append({"link with two exits written 8000 times", [](const QString& dir) { writeBusyNode(dir, 1, 8000); }});
    cases.append({"counts far above contents", example([](const QString&, const QByteArray& text) {
        static const QRegularExpression count(QStringLiteral("(?i)(count|to)\\s+\\d+"));
        return QString::fromUtf8(text).replace(count, QStringLiteral("\\1 2000000000")).toUtf8();
    })});
    for (const char* interval : {"0", "-15", "40000000", "2147483647"}) {
        const QByteArray value = interval;
        cases.append({QStringLiteral("profile interval %1").arg(interval).toUtf8(),
                      example([value](const QString& name, const QByteArray& text) {
                          return name == QLatin1String("profile") ? QByteArray(text).replace("Interval 15", "Interval " + value) : text;
                      })});
    }
    HostileCase utf8Bom{"UTF-8 with a byte-order mark", example([](const QString&, const QByteArray& text) {
        return encoded(text, QStringConverter::Utf8, true);
    }), true};
    cases.append(utf8Bom);
    cases.append({"UTF-16 with a byte-order mark", example([](const QString&, const QByteArray& text) {
        return encoded(text, QStringConverter::Utf16LE, true);
    }), true});
    cases.append({"UTF-16 big-endian with a byte-order mark", example([](const QString&, const QByteArray& text) {
        return encoded(text, QStringConverter::Utf16BE, true);
    }), true});
    cases.append({"Latin-1", example([](const QString&, const QByteArray& text) {
        return encoded(text, QStringConverter::Latin1, false).replace("Market", "M\xe4rket");
    }), true});
    cases.append({"CRLF line ends", example([](const QString&, QByteArray text) { return text.replace("\n", "\r\n"); }), true});
    cases.append({"CR line ends", example([](const QString&, QByteArray text) { return text.replace('\n', '\r'); }), true});
    cases.append({"nodes is a named pipe", [](const QString& dir) {
        copyExample(dir, QStringLiteral("quadstone"));
        QFile::remove(dir + QStringLiteral("/nodes"));
        mkfifo(QFile::encodeName(dir + QStringLiteral("/nodes")).constData(), 0644);
    }, false, QStringLiteral("nodes")});
    cases.append({"zones is a directory", [](const QString& dir) {
        copyExample(dir, QStringLiteral("quadstone"));
        QFile::remove(dir + QStringLiteral("/zones"));
        QDir().mkpath(dir + QStringLiteral("/zones"));
    }, false, QStringLiteral("zones")});
    cases.append({"nodes is a file that never ends", [](const QString& dir) {
        copyExample(dir, QStringLiteral("quadstone"));
        QFile::remove(dir + QStringLiteral("/nodes"));
        QFile::link(QStringLiteral("/dev/zero"), dir + QStringLiteral("/nodes"));
    }, false, QStringLiteral("nodes")});
    return cases;
}

qint64 bytesIn(const QString& dir)
{
    qint64 total = 0;
    QDirIterator it(dir, QDir::Files | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

// Full lanes and all lanes of the sections of a saved model.
QPair<int, int> laneTotals(const QString& modelPath)
{
    QFile file(modelPath);
    if (!file.open(QIODevice::ReadOnly))
        return {-1, -1};
    QPair<int, int> totals{0, 0};
    for (const QJsonValue& value : QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("objects")).toArray()) {
        const QJsonObject object = value.toObject();
        if (object.value(QStringLiteral("type")).toString() != QLatin1String("CVSection"))
            continue;
        totals.first += object.value(QStringLiteral("nbFullLanes")).toInt();
        totals.second += object.value(QStringLiteral("nbLanes")).toInt();
    }
    return totals;
}

// The host objects created, by class, that --verbose lists on stderr.
QByteArray createdObjects(const QByteArray& err)
{
    const qsizetype at = err.indexOf("Host objects created, by class:");
    if (at < 0)
        return QByteArray();
    QByteArray block;
    for (const QByteArray& line : err.mid(at).split('\n').mid(1)) {
        if (!line.startsWith("  "))
            break;
        block += line + '\n';
    }
    return block;
}

}  // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void importSurvives_data();
    void importSurvives();
    void percentSignsInDirectoryName();
    void entranceRampOfNoLengthAddsNoLane_data();
    void entranceRampOfNoLengthAddsNoLane();

private:
    ChildRun import(const QString& networkDir, const QStringList& extra = {});
    QTemporaryDir scratch;
    QByteArray exampleObjects;
    QPair<int, int> exampleLanes;
};

ChildRun TestHostileInput::import(const QString& networkDir, const QStringList& extra)
{
    const QString log = scratch.path() + QStringLiteral("/import.log");
    QFile::remove(log);
    const QStringList arguments{QStringLiteral("import"), networkDir, QStringLiteral("--verbose"), QStringLiteral("--log"), log};
    ChildRun run = runChild(QStringLiteral(CORVIA_BIN_DIR "/corvia"), arguments + extra, scratch.path(), TimeLimitMs);
    QFile file(log);
    if (file.open(QIODevice::ReadOnly))
        run.log = file.readAll();
    return run;
}

void TestHostileInput::initTestCase()
{
    QVERIFY(scratch.isValid());
    const QString model = scratch.path() + QStringLiteral("/example.json");
    const ChildRun reference = import(QStringLiteral(EXAMPLES_DIR "/quadstone"), {"--save", model});
    QCOMPARE(reference.exitCode, 0);
    exampleObjects = createdObjects(reference.err);
    QVERIFY(exampleObjects.contains("CVSection"));
    exampleLanes = laneTotals(model);
    QVERIFY(exampleLanes.first > 0 && exampleLanes.second > exampleLanes.first);  // the ramp's side lane
}

void TestHostileInput::importSurvives_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("rule");
    const QVector<HostileCase> cases = hostileCases();
    for (int i = 0; i < cases.size(); ++i) {
        QTest::addRow("%s, Quadstone, right", cases.at(i).name.constData()) << i << QStringLiteral("Quadstone") << QStringLiteral("right");
        if (!cases.at(i).sameAsExample && BothVariants)
            QTest::addRow("%s, Sias, left", cases.at(i).name.constData()) << i << QStringLiteral("Sias") << QStringLiteral("left");
    }
}

void TestHostileInput::importSurvives()
{
    QFETCH(int, index);
    QFETCH(QString, variant);
    QFETCH(QString, rule);
    const HostileCase hostile = hostileCases().at(index);
    QTemporaryDir work;
    const QString networkDir = work.path() + QStringLiteral("/net");
    hostile.build(networkDir);
    const QString model = work.path() + QStringLiteral("/model.json");
    const QString picture = work.path() + QStringLiteral("/map.png");

    const ChildRun run = import(networkDir, {"--variant", variant, "--rule", rule, "--save", model, "--png", picture,
                                             "--png-size", "320x240"});
    qInfo("%lld bytes read, %lld ms, peak memory %ld KiB", bytesIn(networkDir), run.elapsedMs, run.peakKiB);
    QVERIFY2(!run.timedOut, "the import did not end within its time limit");
    if (hostile.flood)
        QVERIFY2(run.elapsedMs <= FloodTimeLimitMs, qPrintable(QStringLiteral("%1 ms").arg(run.elapsedMs)));
    if (MeasureMemory && run.peakKiB > 0) {
        const qint64 boundKiB = (BytesPerFile * bytesIn(networkDir) + FixedBytes) / 1024;
        QVERIFY2(run.peakKiB <= boundKiB,
                 qPrintable(QStringLiteral("peak %1 KiB above the bound of %2 KiB").arg(run.peakKiB).arg(boundKiB)));
    }
    if (!hostile.refusal.isEmpty()) {
        QVERIFY2(run.exitedNormally && run.exitCode == 1, run.err.right(4000).constData());
        // After the progress lines of --verbose, one line says why.
        const QList<QByteArray> lines = run.err.trimmed().split('\n');
        QVERIFY2(lines.last().startsWith("corvia import: ") && lines.last().contains(hostile.refusal), run.err.constData());
        QCOMPARE(run.err.count("corvia import: "), 1);
        QVERIFY(!QFile::exists(model) && !QFile::exists(picture));
        return;
    }
    // Status 4: nothing was imported (no section and no node), and then
    // no output at all is written.
    QVERIFY2(run.exitedNormally && (run.exitCode == 0 || (run.exitCode == 4 && !hostile.sameAsExample)),
             run.err.right(4000).constData());
    if (run.exitCode == 4) {
        QVERIFY(!QFile::exists(model) && !QFile::exists(picture));
    } else {
        QString jsonError;
        QVERIFY2(CVModelReader::checkSyntax(model, &jsonError), qPrintable(jsonError));
        QImage image;
        QVERIFY(image.load(picture, "PNG"));
        QCOMPARE(image.size(), QSize(320, 240));
    }

    if (hostile.sameAsExample)
        QCOMPARE(createdObjects(run.err), exampleObjects);
    if (!hostile.missingFile.isEmpty())
    {
        // The log file is an output too: after status 4 only stderr has the
        // warnings, grouped by kind.
        const bool warned = run.exitCode == 4
                                ? run.err.contains("File not found") && run.err.contains(hostile.missingFile.toUtf8())
                                : run.log.contains(QString(QStringLiteral("/net/") + hostile.missingFile
                                                           + QStringLiteral(". File not found")).toUtf8());
        QVERIFY2(warned, (run.log + run.err).left(4000).constData());
    }
}

// The links files are found however the directory is named.
void TestHostileInput::percentSignsInDirectoryName()
{
    QTemporaryDir work;
    const QString networkDir = work.path() + QStringLiteral("/net %1%2 %L1 100%");
    copyExample(networkDir, QStringLiteral("quadstone"));
    const ChildRun run = import(networkDir);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.log.contains("100%/links.") && !run.log.contains("links.0. File not found"),
             run.log.left(4000).constData());
    QCOMPARE(createdObjects(run.err), exampleObjects);
}

void TestHostileInput::entranceRampOfNoLengthAddsNoLane_data()
{
    QTest::addColumn<QByteArray>("length");
    QTest::newRow("0") << QByteArray("0");
    QTest::newRow("negative") << QByteArray("-5.0");
    QTest::newRow("not a number") << QByteArray("nan");
}

// The example's one ramp joins its section near the start, as a side lane
// of the ramp's length; without a length it adds no lane at all, and
// certainly no full one.
void TestHostileInput::entranceRampOfNoLengthAddsNoLane()
{
    QFETCH(QByteArray, length);
    QTemporaryDir work;
    const QString networkDir = work.path() + QStringLiteral("/net");
    copyExample(networkDir, QStringLiteral("quadstone"), [length](const QString& name, QByteArray text) {
        return name == QLatin1String("links.1") ? text.replace("length 120.0 m", "length " + length + " m") : text;
    });
    const QString model = work.path() + QStringLiteral("/model.json");
    const ChildRun run = import(networkDir, {"--save", model});
    QCOMPARE(run.exitCode, 0);
    const QPair<int, int> lanes = laneTotals(model);
    QCOMPARE(lanes.first, exampleLanes.first);
    QCOMPARE(lanes.second, exampleLanes.second - 1);
}

QTEST_GUILESS_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
