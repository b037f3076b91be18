// The SUMO export checked by the simulator itself: the bundled examples and
// the real user network are exported with `corvia import --sumo`, and the
// three commands a user runs build, route and simulate the whole demand
// window, which must move its traffic. Also what a user can count by hand
// in the real network's files against what its import built.

#include "corviarun.h"
#include "importerprobe.h"
#include "testsupport.h"

#include "export/sumo/sumoexporter.h"

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvsection.h>
#include <cvturning.h>
#include <cvcontrolplan.h>
#include <cvmodel.h>
#include <cvmodelreader.h>
#include <cvodmatrix.h>
#include <cvsystem.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QPointF>
#include <QRegularExpression>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString output;  // stdout and stderr
    // Lines that hold the text, leaving out the tools' notes about a missing
    // SUMO_HOME (they then use their built-in type maps).
    int count(const QString& text) const
    {
        int n = 0;
        for (const QString& line : output.split(QLatin1Char('\n')))
            n += line.contains(text) && !line.contains(QLatin1String("SUMO_HOME")) ? 1 : 0;
        return n;
    }
};

ToolRun runTool(const QString& program, const QStringList& arguments, const QString& folder = QString())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(600000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromLocal8Bit(process.readAll());
    return run;
}

QString tool(const char* name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// Calls visit with the attributes of every element of that name in a file.
template <typename Visit>
bool forEachElement(const QString& path, const QString& name, Visit visit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == name)
            visit(xml.attributes());
    }
    return !xml.hasError();
}

// "from_lane>to_lane" of every connection between two normal edges of a
// plain connection file or a built network (internal edges start with ':').
QSet<QString> connectionsIn(const QString& path)
{
    QSet<QString> connections;
    forEachElement(path, QStringLiteral("connection"), [&](const QXmlStreamAttributes& a) {
        if (!a.value("from").startsWith(QLatin1Char(':')) && a.hasAttribute("to"))
            connections.insert(QStringLiteral("%1_%2>%3_%4").arg(a.value("from"), a.value("fromLane"), a.value("to"), a.value("toLane")));
    });
    return connections;
}

// What sumo's statistic output says about the vehicles of the run.
struct Statistics
{
    int loaded = -1;
    int inserted = -1;
    int waiting = -1;
    int running = -1;
    int teleports = -1;
    // Loaded but never inserted nor waiting: sumo found no route for them.
    int withoutRoute() const { return loaded - inserted - waiting; }
    // By the end (teleported vehicles arrive too).
    int arrived() const { return inserted - running; }
};

Statistics readStatistics(const QString& path)
{
    Statistics s;
    const auto number = [](const QXmlStreamAttributes& a, const char* name) { return a.value(QLatin1String(name)).toInt(); };
    forEachElement(path, QStringLiteral("vehicles"), [&](const QXmlStreamAttributes& a) {
        s.loaded = number(a, "loaded");
        s.inserted = number(a, "inserted");
        s.waiting = number(a, "waiting");
        s.running = number(a, "running");
    });
    forEachElement(path, QStringLiteral("teleports"), [&](const QXmlStreamAttributes& a) { s.teleports = number(a, "total"); });
    return s;
}

// What a built network says about its rule of the road.
struct BuiltNetwork
{
    struct Edge
    {
        QString from, to;
        QVector<QPointF> shape;  // of its first lane
        double speed = 0.0;
    };
    struct Link
    {
        QString from, to, direction;
    };
    struct Junction
    {
        QVector<Link> links;              // in link index order
        QStringList response, foes;       // per link index, bit k of link k at the string's end
    };
    bool leftHand = false;
    QMap<QString, Edge> edges;
    QMap<QString, Junction> junctions;
};

QVector<QPointF> points(QStringView shape)
{
    QVector<QPointF> result;
    for (const auto& point : shape.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto xy = point.split(QLatin1Char(','));
        result.append(QPointF(xy[0].toDouble(), xy[1].toDouble()));
    }
    return result;
}

BuiltNetwork readNetwork(const QString& path)
{
    BuiltNetwork net;
    QMap<QString, QStringList> incomingLanes;  // by junction
    QMultiMap<QString, BuiltNetwork::Link> linksOfLane;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return net;
    QXmlStreamReader xml(&file);
    QString edge, junction;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("net")) {
            net.leftHand = a.value("lefthand") == QLatin1String("true");
        } else if (xml.name() == QLatin1String("edge")) {
            edge = a.value("function") == QLatin1String("internal") ? QString() : a.value("id").toString();
            if (!edge.isEmpty())
                net.edges[edge] = {a.value("from").toString(), a.value("to").toString(), {}, 0.0};
        } else if (xml.name() == QLatin1String("lane") && !edge.isEmpty() && net.edges[edge].shape.isEmpty()) {
            net.edges[edge].shape = points(a.value("shape"));
            net.edges[edge].speed = a.value("speed").toDouble();
        } else if (xml.name() == QLatin1String("junction") && a.value("type") != QLatin1String("internal")) {
            junction = a.value("id").toString();
            incomingLanes[junction] = a.value("incLanes").toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        } else if (xml.name() == QLatin1String("request")) {
            net.junctions[junction].response.append(a.value("response").toString());
            net.junctions[junction].foes.append(a.value("foes").toString());
        } else if (xml.name() == QLatin1String("connection") && !a.value("from").startsWith(QLatin1Char(':'))) {
            const QString lane = a.value("from").toString() + QLatin1Char('_') + a.value("fromLane").toString();
            linksOfLane.insert(lane, {a.value("from").toString(), a.value("to").toString(), a.value("dir").toString()});
        }
    }
    // A junction's link indices run over its incoming lanes in order, and
    // over each lane's connections in the file's order.
    for (auto it = incomingLanes.cbegin(); it != incomingLanes.cend(); ++it) {
        for (const QString& lane : it.value()) {
            QList<BuiltNetwork::Link> links = linksOfLane.values(lane);
            std::reverse(links.begin(), links.end());  // a multi map gives the last inserted first
            net.junctions[it.key()].links += QVector<BuiltNetwork::Link>(links.cbegin(), links.cend());
        }
    }
    return net;
}

QPointF middle(const QVector<QPointF>& shape)
{
    QPointF sum;
    for (const QPointF& p : shape)
        sum += p;
    return shape.isEmpty() ? sum : sum / shape.size();
}

// On which side of each direction of a two-way road the other one lies.
struct RoadSides
{
    int left = 0;
    int right = 0;
};

RoadSides oncomingSides(const BuiltNetwork& net)
{
    RoadSides sides;
    for (auto a = net.edges.cbegin(); a != net.edges.cend(); ++a) {
        for (auto b = net.edges.cbegin(); b != net.edges.cend(); ++b) {
            if (b.value().from != a.value().to || b.value().to != a.value().from || a.value().shape.size() < 2)
                continue;
            const QPointF direction = a.value().shape.last() - a.value().shape.first();
            const QPointF across = middle(b.value().shape) - middle(a.value().shape);
            (direction.x() * across.y() - direction.y() * across.x() > 0.0 ? sides.left : sides.right) += 1;
        }
    }
    return sides;
}

// Turns across the oncoming traffic (left in right-hand traffic, right in
// left-hand traffic) against the oncoming straight movement that they
// cross, where both approaches are of one speed (else the faster road has
// the way): the turn must yield and the straight movement must not.
struct TurnsAcross
{
    int checked = 0;
    QStringList wrong;
};

TurnsAcross turnsAcrossOncoming(const BuiltNetwork& net)
{
    TurnsAcross result;
    const QString across = net.leftHand ? QStringLiteral("r") : QStringLiteral("l");
    for (auto j = net.junctions.cbegin(); j != net.junctions.cend(); ++j) {
        const BuiltNetwork::Junction& junction = j.value();
        if (junction.response.size() != junction.links.size())
            continue;
        const int n = int(junction.links.size());
        const auto bit = [n](const QString& bits, int k) { return bits.size() == n && bits[n - 1 - k] == QLatin1Char('1'); };
        for (int t = 0; t < n; ++t) {
            const BuiltNetwork::Link& turn = junction.links[t];
            if (turn.direction != across)
                continue;
            for (int s = 0; s < n; ++s) {
                const BuiltNetwork::Link& straight = junction.links[s];
                // Oncoming: it heads for where the turning vehicle came from.
                if (straight.direction != QLatin1String("s") || !bit(junction.foes[t], s) ||
                    net.edges[straight.to].to != net.edges[turn.from].from ||
                    net.edges[straight.from].speed != net.edges[turn.from].speed)
                    continue;
                ++result.checked;
                if (!bit(junction.response[t], s) || bit(junction.response[s], t))
                    result.wrong << QStringLiteral("%1:%2->%3/%4->%5").arg(j.key(), turn.from, turn.to, straight.from, straight.to);
            }
        }
    }
    return result;
}

// Edges from which a turn towards the kerb leaves from a lane further from
// the kerb than a turn across the oncoming traffic: a sign of lanes counted
// from the wrong side. SUMO counts from the kerb (lane 0) in both rules.
QStringList crossedTurnLanes(const QString& path)
{
    const BuiltNetwork net = readNetwork(path);
    const QString kerb = net.leftHand ? QStringLiteral("l") : QStringLiteral("r");
    const QString across = net.leftHand ? QStringLiteral("r") : QStringLiteral("l");
    QMap<QString, int> kerbLane;    // highest lane of a kerb turn, per edge
    QMap<QString, int> acrossLane;  // lowest lane of a turn across
    forEachElement(path, QStringLiteral("connection"), [&](const QXmlStreamAttributes& a) {
        const QString from = a.value("from").toString();
        const int lane = a.value("fromLane").toInt();
        if (a.value("dir") == kerb)
            kerbLane[from] = std::max(kerbLane.value(from, lane), lane);
        else if (a.value("dir") == across)
            acrossLane[from] = std::min(acrossLane.value(from, lane), lane);
    });
    QStringList crossed;
    for (auto it = kerbLane.cbegin(); it != kerbLane.cend(); ++it) {
        if (acrossLane.contains(it.key()) && it.value() > acrossLane.value(it.key()))
            crossed << it.key();
    }
    return crossed;
}

// Trips of the OD files that od2trips reads, text and XML forms alike.
double tripsInOdFiles(const QString& folder)
{
    double trips = 0.0;
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("net.od*.txt")})) {
        QFile text(file.filePath());
        if (!text.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : text.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() == 3 && words[0].startsWith('c'))
                trips += words[2].toDouble();
        }
    }
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("net.od*.xml")}))
        forEachElement(file.filePath(), QStringLiteral("odPair"),
                       [&](const QXmlStreamAttributes& a) { trips += a.value("amount").toDouble(); });
    return trips;
}

// The OD slices' first start and last end, in seconds.
QPair<double, double> odPeriod(const QString& folder)
{
    double first = std::numeric_limits<double>::max();
    double last = 0.0;
    const auto clock = [](const QString& hoursMinutes) {
        const QStringList parts = hoursMinutes.split(QLatin1Char('.'));
        return parts.value(0).toDouble() * 3600.0 + parts.value(1).toDouble() * 60.0;
    };
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("net.od*.txt")})) {
        QFile text(file.filePath());
        if (!text.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = QString::fromUtf8(text.readAll()).split(QLatin1Char('\n'));
        const int at = int(lines.indexOf(QStringLiteral("* from to (hours.minutes)")));
        const QStringList period = lines.value(at + 1).split(QLatin1Char(' '));
        if (at >= 0 && period.size() == 2) {
            first = std::min(first, clock(period[0]));
            last = std::max(last, clock(period[1]));
        }
    }
    return {first, last};
}

// The trips the export's notes say it left out.
double tripsInNotes(const QString& output)
{
    static const QRegularExpression note(QStringLiteral("note: SUMO export: zone .*: ([0-9.e+-]+) trips left out"));
    double trips = 0.0;
    for (auto it = note.globalMatch(output); it.hasNext();)
        trips += it.next().captured(1).toDouble();
    return trips;
}

double tripsInModel(const QString& path)
{
    const std::unique_ptr<CVModel> model = CVModelReader::load(path);
    if (!model)
        return -1.0;
    double trips = 0.0;
    const auto* matrices = model->getCatalog()->getObjectsByType(model->getType(QStringLiteral("CVODMatrix")));
    for (const CVObject* object : matrices ? matrices->values() : QList<CVObject*>())
        static_cast<const CVODMatrix*>(object)->forEachPair([&](unsigned int, unsigned int, double t) { trips += t > 0.0 ? t : 0.0; });
    return trips;
}

QString sharedNetwork(const QString& name)
{
    return qEnvironmentVariable("SHARED_NETWORKS_DIR", QStringLiteral(SHARED_NETWORKS_DIR)) + QLatin1Char('/') + name;
}

// In CI the real network must be there: a missing one fails the test.
bool networkMissing(const QString& directory)
{
    return !QFileInfo(directory).isDir() && qEnvironmentVariable("CI") != QLatin1String("true");
}

// A network drawn for right-hand traffic turned into one for left-hand
// traffic: mirrored east to west (node and arc centre positions, zone
// outlines, the bounding box; arcs bend the other way), so that every turn
// keeps its lanes counted from the kerb and becomes the turn of the other
// hand, and its configuration says left-hand drive.
bool writeMirrored(const QString& source, const QString& target)
{
    static const QRegularExpression position(QStringLiteral("(\\bat\\s+)(-?[0-9.]+)(?= m)"));
    static const QRegularExpression point(QStringLiteral("^(\\s*)(-?[0-9.]+)( m\\s+-?[0-9.]+ m\\s*)$"));
    static const QRegularExpression centroid(QStringLiteral("^(\\s*centroid\\s+)(-?[0-9.]+)"));
    static const QRegularExpression corner(QStringLiteral("^\\s*(max|min)\\s+(-?[0-9.]+) m\\s+(-?[0-9.]+) m"));
    static const QRegularExpression box(QStringLiteral("^Bounding Box (-?[0-9.]+) m (-?[0-9.]+) m (-?[0-9.]+) m (-?[0-9.]+) m"));
    static const QRegularExpression arcLeft(QStringLiteral("\\sleft\\s*$"));
    const auto negated = [](const QString& number) { return number.startsWith('-') ? number.mid(1) : '-' + number; };
    const auto negateGroup = [&](QString line, const QRegularExpression& pattern) {
        const QRegularExpressionMatch m = pattern.match(line);
        return m.hasMatch() ? line.replace(m.capturedStart(2), m.capturedLength(2), negated(m.captured(2))) : line;
    };
    if (!QDir().mkpath(target))
        return false;
    for (const QFileInfo& info : QDir(source).entryInfoList(QDir::Files)) {
        QFile in(info.filePath());
        QFile out(QDir(target).filePath(info.fileName()));
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            return false;
        const QString name = info.fileName();
        QStringList lines;
        QString maxX, maxY;
        for (QString line : QString::fromLatin1(in.readAll()).split(QLatin1Char('\n'))) {
            if (!line.startsWith(QLatin1String("##"))) {
                if (name.startsWith(QLatin1String("nodes")) || name == QLatin1String("centres"))
                    line = negateGroup(line, position);
                if (const auto m = box.match(line); m.hasMatch())
                    line = QStringLiteral("Bounding Box %1 m %2 m %3 m %4 m")
                               .arg(negated(m.captured(3)), m.captured(2), negated(m.captured(1)), m.captured(4));
                if (name.startsWith(QLatin1String("zones"))) {
                    line = negateGroup(negateGroup(line, point), centroid);
                    // The outline's box: its corners trade their x.
                    if (const auto m = corner.match(line); m.hasMatch()) {
                        if (m.captured(1) == QLatin1String("max")) {
                            maxX = m.captured(2);
                            maxY = m.captured(3);
                            continue;  // written with the min line that follows
                        }
                        lines << QStringLiteral("max %1 m %2 m").arg(negated(m.captured(2)), maxY);
                        line = QStringLiteral("min %1 m %2 m").arg(negated(maxX), m.captured(3));
                    }
                }
                if (name.startsWith(QLatin1String("links")) && line.contains(QLatin1String("arc centre")))
                    line = arcLeft.match(line).hasMatch() ? line.remove(arcLeft) + ' ' : line.trimmed() + QStringLiteral(" left ");
                if (name == QLatin1String("configuration"))
                    line.replace(QLatin1String("right hand drive"), QLatin1String("left hand drive"));
            }
            lines << line;
        }
        out.write(lines.join(QLatin1Char('\n')).toLatin1());
    }
    return true;
}

}  // namespace

class TestExportChain : public QObject
{
    Q_OBJECT

private:
    void checkTripTypes(const QString& folder);
    void checkBuses(const QString& folder);

private slots:
    void sumoChain_data();
    void sumoChain();
    void degenerateCrossingRunsToTheEnd();
    void realNetworkCounts();
    void unwritableExportsStopWithOneLine_data();
    void unwritableExportsStopWithOneLine();
};

void TestExportChain::sumoChain_data()
{
    QTest::addColumn<QString>("directory");  // empty: the generated small network
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("leftHand");
    // The networks are drawn for right-hand traffic; mirrored (see
    // writeMirrored), they are left-hand networks.
    QTest::addColumn<bool>("mirrored");
    const QStringList left{"--variant", "Quadstone", "--rule", "left"};
    QTest::newRow("quadstone example") << examplesDir("quadstone") << QStringList{"--variant", "Quadstone"} << false << false;
    QTest::newRow("quadstone example, mirrored, left-hand") << examplesDir("quadstone") << left << true << true;
    QTest::newRow("sias example") << examplesDir("sias") << QStringList{"--variant", "Sias", "--units", "Feet"} << false << false;
    QTest::newRow("escenario2") << sharedNetwork("escenario2") << QStringList{"--variant", "Quadstone"} << false << false;
    QTest::newRow("escenario2, mirrored, left-hand") << sharedNetwork("escenario2") << left << true << true;
    QTest::newRow("generated small") << QString() << QStringList{"--variant", "Quadstone"} << false << false;
}

// The README's three commands, run in the output folder, and what the
// built network and the simulation show of the scenario.
void TestExportChain::sumoChain()
{
    QFETCH(QString, directory);
    QFETCH(QStringList, options);
    QFETCH(bool, leftHand);
    QFETCH(bool, mirrored);
    QTemporaryDir dir;
    if (directory.isEmpty()) {
        directory = dir.filePath(QStringLiteral("small"));
        QCOMPARE(generateNetwork(QStringLiteral("small"), QStringLiteral("quadstone"), directory), 0);
    }
    if (networkMissing(directory))
        QSKIP("the network is not here");
    QVERIFY2(QFileInfo(directory).isDir(), qPrintable(directory + " is missing"));
    QVERIFY2(!tool("netconvert").isEmpty() && !tool("od2trips").isEmpty() && !tool("sumo").isEmpty(), "SUMO is not installed");
    if (mirrored) {
        QVERIFY(writeMirrored(directory, dir.filePath(QStringLiteral("mirrored"))));
        directory = dir.filePath(QStringLiteral("mirrored"));
    }

    const QString folder = dir.filePath(QStringLiteral("out"));  // the export creates it
    const QString model = dir.filePath(QStringLiteral("model.json"));
    const ToolRun import = runTool(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                                   QStringList{"import", directory, "--sumo", folder + "/net", "--save", model} + options);
    QVERIFY2(import.exitCode == 0, qPrintable(import.output));
    const auto inFolder = [&](const char* name) { return QDir(folder).filePath(QLatin1String(name)); };

    const ToolRun build = runTool(tool("netconvert"), {"-c", "net.netccfg"}, folder);
    QVERIFY2(build.exitCode == 0 && build.count("Error") == 0, qPrintable(build.output));
    const QSet<QString> exported = connectionsIn(inFolder("net.con.xml"));
    QStringList lost = QSet<QString>(exported).subtract(connectionsIn(inFolder("net.net.xml"))).values();
    lost.sort();
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("%1 of %2 lost: %3").arg(lost.size()).arg(exported.size()).arg(lost.mid(0, 10).join(' '))));

    const BuiltNetwork net = readNetwork(inFolder("net.net.xml"));
    QCOMPARE(net.leftHand, leftHand);
    const RoadSides sides = oncomingSides(net);
    QVERIFY(sides.left + sides.right > 0);
    QCOMPARE(leftHand ? sides.left : sides.right, 0);  // oncoming traffic lies on the far side
    const TurnsAcross turns = turnsAcrossOncoming(net);
    QVERIFY2(turns.wrong.isEmpty(), qPrintable(turns.wrong.join(' ')));
    const QStringList crossed = crossedTurnLanes(inFolder("net.net.xml"));
    QVERIFY2(crossed.isEmpty(), qPrintable(crossed.join(' ')));

    // Every trip of the model is in the OD files or in the export's notes.
    const double placed = tripsInOdFiles(folder);
    const double noted = tripsInNotes(import.output);
    const double total = tripsInModel(model);
    QVERIFY2(std::abs(placed + noted - total) <= 1e-6 * std::max(1.0, total),
             qPrintable(QStringLiteral("%1 placed + %2 noted, %3 in the model").arg(placed).arg(noted).arg(total)));

    const ToolRun trips = runTool(tool("od2trips"), QStringList{"-c", "net.od2trips.cfg"}, folder);
    QVERIFY2(trips.exitCode == 0 && trips.count("Error") == 0, qPrintable(trips.output));

    QElapsedTimer clock;
    clock.start();
    const ToolRun simulation = runTool(tool("sumo"),
                                       {"-c", "net.sumocfg", "--tripinfo-output", "trips.out.xml",
                                        "--tripinfo-output.write-unfinished"},
                                       folder);
    const qint64 simulated = clock.elapsed();
    QVERIFY2(simulation.exitCode == 0 && simulation.count("Error") == 0, qPrintable(simulation.output.right(3000)));
    for (const char* missing : {"Missing yellow phase", "Missing green phase"})
        QVERIFY2(build.count(missing) + simulation.count(missing) == 0, missing);

    const Statistics s = readStatistics(inFolder("net.stats.xml"));
    qInfo("%s: loaded %d, inserted %d, arrived %d, teleported %d, without route %d, %.1f s of sumo; %d two-way roads, "
          "%d turns across oncoming traffic; %.1f of %.1f trips noted as left out",
          QTest::currentDataTag(), s.loaded, s.inserted, s.arrived(), s.teleports, s.withoutRoute(), simulated / 1000.0,
          sides.left + sides.right, turns.checked, noted, total);
    QVERIFY(s.inserted > 0);
    QCOMPARE(s.withoutRoute(), 0);
    QVERIFY2(s.teleports * 100 <= s.inserted * 3, "more than 3 % of the vehicles teleported");
    QVERIFY2(s.arrived() * 10 >= s.loaded * 9, "fewer than 90 % of the vehicles arrived");

    checkTripTypes(folder);
    checkBuses(folder);
}

// The OD trips drive as their matrices' vehicle types: od2trips gives a
// trip its type's number, which a distribution in the routes file turns
// into the named type.
void TestExportChain::checkTripTypes(const QString& folder)
{
    const auto inFolder = [&](const char* name) { return QDir(folder).filePath(QLatin1String(name)); };
    QMap<QString, QString> typeOfNumber;
    forEachElement(inFolder("net.rou.xml"), QStringLiteral("vTypeDistribution"), [&](const QXmlStreamAttributes& a) {
        typeOfNumber.insert(a.value("id").toString(), a.value("vTypes").toString());
    });
    QVERIFY(!typeOfNumber.isEmpty());
    QMap<QString, QString> tripType;
    forEachElement(inFolder("net.trips.xml"), QStringLiteral("trip"), [&](const QXmlStreamAttributes& a) {
        tripType.insert(a.value("id").toString(), typeOfNumber.value(a.value("type").toString(), QStringLiteral("?")));
    });
    QStringList wrongType;
    int typedTrips = 0;
    forEachElement(inFolder("trips.out.xml"), QStringLiteral("tripinfo"), [&](const QXmlStreamAttributes& a) {
        const auto trip = tripType.constFind(a.value("id").toString());
        if (trip == tripType.constEnd())
            return;  // a bus
        ++typedTrips;
        if (a.value("vType") != *trip && wrongType.size() < 10)
            wrongType << QStringLiteral("%1:%2 for %3").arg(a.value("id"), a.value("vType"), *trip);
    });
    QVERIFY(typedTrips > 0);
    QVERIFY2(wrongType.isEmpty(), qPrintable(wrongType.join(' ')));
}

// Every scheduled bus is inserted, and the buses run in the demand's
// period: on the clock of the OD slices.
void TestExportChain::checkBuses(const QString& folder)
{
    const auto inFolder = [&](const char* name) { return QDir(folder).filePath(QLatin1String(name)); };
    QSet<QString> buses;
    forEachElement(inFolder("net.rou.xml"), QStringLiteral("vehicle"),
                   [&](const QXmlStreamAttributes& a) { buses.insert(a.value("id").toString()); });
    if (buses.isEmpty())
        return;
    double first = std::numeric_limits<double>::max();
    double last = 0.0;
    forEachElement(inFolder("trips.out.xml"), QStringLiteral("tripinfo"), [&](const QXmlStreamAttributes& a) {
        const double depart = a.value("depart").toDouble();
        if (depart >= 0.0 && buses.remove(a.value("id").toString())) {
            first = std::min(first, depart);
            last = std::max(last, depart);
        }
    });
    QVERIFY2(buses.isEmpty(), qPrintable(QStringList(buses.values()).join(' ')));
    const QPair<double, double> demand = odPeriod(folder);
    QVERIFY2(first <= demand.second && last >= demand.first,
             qPrintable(QStringLiteral("buses %1 to %2 s, OD slices %3 to %4 s").arg(first).arg(last).arg(demand.first).arg(demand.second)));
}

namespace {

// A road of two 200 m sections each way, joined at a crossing that the
// model draws as a 0.2 m section of six half-metre lanes at 5 km/h, with
// trips from one end to the other and back.
std::unique_ptr<CVModel> crossingModel()
{
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    const auto make = [&](const char* type) { return CVSystem::getSystem().newObject(QLatin1String(type), model.get()); };
    const auto node = [&](double x) {
        auto* n = static_cast<CVNode*>(make("CVNode"));
        n->setPosition(CVPoint(x, 0));
        return n;
    };
    const auto section = [&](CVNode* from, CVNode* to, double y, int lanes, double width, double speed) {
        auto* s = static_cast<CVSection*>(make("CVSection"));
        s->setDataValue(CVSection::nbLanesColumn(), lanes);
        s->setDataValue(CVSection::laneWidthColumn(), width);
        s->setDataValue(CVSection::speedColumn(), speed);
        s->setFromSegment(CVPoint(from->getPosition().x, y), CVPoint(to->getPosition().x, y), CVBezierCurve::Segment);
        s->setOrigin(from);
        s->setDestination(to);
        return s;
    };
    const auto turning = [&](CVNode* at, CVSection* from, CVSection* to) {
        auto* t = static_cast<CVTurning*>(make("CVTurning"));
        t->setNode(at);
        t->setSections(from, to);
        t->setOriginLanes(0, from->getNbLanes() - 1);
        t->setDestinationLanes(0, to->getNbLanes() - 1);
        at->addTurning(t, false, false);
    };
    const auto centroid = [&](CVSection* source, CVSection* sink) {
        auto* c = static_cast<CVCentroid*>(make("CVCentroid"));
        for (auto [s, type] : {std::pair<CVSection*, int>{source, CVCentroid::eFrom}, {sink, CVCentroid::eTo}}) {
            auto* connection = static_cast<CVObjectConnection*>(make("CVCenConnection"));
            connection->setConnectionObject(s);
            connection->setConnectionType(type);
            c->addConnection(connection);
        }
        return c;
    };
    CVNode* west = node(0);
    CVNode* x = node(200);
    CVNode* y = node(200.2);
    CVNode* east = node(400.2);
    // Eastbound south of the line, westbound north of it (right-hand traffic).
    CVSection* a = section(west, x, -3.5, 2, 3.5, 50);
    CVSection* crossingEast = section(x, y, -1.5, 6, 0.5, 5);
    CVSection* b = section(y, east, -3.5, 2, 3.5, 50);
    CVSection* c = section(east, y, 3.5, 2, 3.5, 50);
    CVSection* crossingWest = section(y, x, 1.5, 6, 0.5, 5);
    CVSection* d = section(x, west, 3.5, 2, 3.5, 50);
    turning(x, a, crossingEast);
    turning(y, crossingEast, b);
    turning(y, c, crossingWest);
    turning(x, crossingWest, d);
    CVCentroid* westZone = centroid(a, d);
    CVCentroid* eastZone = centroid(c, b);
    auto* matrix = static_cast<CVODMatrix*>(make("CVODMatrix"));
    matrix->setInterval(QTime(8, 0), CVTimeDuration(3600.0));
    matrix->setTrips(westZone, eastZone, 600);
    matrix->setTrips(eastZone, westZone, 600);
    return model;
}

}  // namespace

// Sections of a few decimetres and lanes of half a metre, as a crossing is
// drawn in some networks: sumo runs the demand through to the end.
void TestExportChain::degenerateCrossingRunsToTheEnd()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("out"));
    QVERIFY(SumoExporter::write(*crossingModel(), folder + QStringLiteral("/net"), nullptr));
    for (const QStringList& command : {QStringList{"netconvert", "-c", "net.netccfg"}, QStringList{"od2trips", "-c", "net.od2trips.cfg"},
                                       QStringList{"sumo", "-c", "net.sumocfg"}}) {
        const ToolRun run = runTool(tool(qPrintable(command[0])), command.mid(1), folder);
        QVERIFY2(run.exitCode == 0 && run.count("Error") == 0, qPrintable(command[0] + ": " + run.output.right(2000)));
    }
    const Statistics s = readStatistics(QDir(folder).filePath(QStringLiteral("net.stats.xml")));
    qInfo("loaded %d, inserted %d, arrived %d, teleported %d", s.loaded, s.inserted, s.arrived(), s.teleports);
    QVERIFY(s.loaded > 1000);
    QCOMPARE(s.arrived(), s.loaded);
}

void TestExportChain::realNetworkCounts()
{
    const QString directory = sharedNetwork("escenario2");
    if (networkMissing(directory))
        QSKIP("the network is not here");
    QVERIFY2(QFileInfo(directory).isDir(), qPrintable(directory + " is missing"));
    std::unique_ptr<CVModel> model(CVSystem::getSystem().createModel());
    ParamicsImporter importer;
    configureLikeTheDialog(importer, model.get());
    importer.netImport(directory);

    const CVCatalog* catalog = model->getCatalog();
    const auto count = [&](const char* type) { return catalog->size(model->getType(QLatin1String(type))); };
    // Counted in the files: 376 "link" lines of which 137 are barred; 145
    // "node" lines, one of them a ramp node, which is no junction of its own.
    QCOMPARE(count("CVSection"), 376 - 137);
    QCOMPARE(count("CVNode"), 145 - 1);
    // One centroid per zone, one line per bus route, and one control
    // junction per node that has signal phases in the priorities file.
    QCOMPARE(count("CVCentroid"), 28);
    QCOMPARE(count("CVPublicLine"), 21);
    const auto* plans = catalog->getObjectsByType(model->getType(QStringLiteral("CVControlPlan")));
    QVERIFY(plans && plans->size() == 1);
    QCOMPARE(static_cast<const CVControlPlan*>(plans->first())->junctionCount(), 34);
}

void TestExportChain::unwritableExportsStopWithOneLine_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    // "file" is a regular file, so nothing can be created below it.
    QTest::newRow("SUMO files below a file") << QStringList{"--sumo", "file/out/net"} << 1;
    QTest::newRow("SUMO prefix that is a folder") << QStringList{"--sumo", "."} << 1;
    QTest::newRow("GeoPackage below a file") << QStringList{"--gis", "file/net.gpkg"} << 1;
    QTest::newRow("GIS format not known") << QStringList{"--gis", "net.kml"} << 2;
    QTest::newRow("CRS not known") << QStringList{"--gis", "net.gpkg", "--crs", "EPSG:0"} << 2;
}

void TestExportChain::unwritableExportsStopWithOneLine()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ToolRun run = runTool(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                                QStringList{"import", examplesDir("quadstone")} + options, dir.path());
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.count("corvia import:") == 1 && run.count("QXmlStreamWriter") == 0, qPrintable(run.output));
}

QTEST_GUILESS_MAIN(TestExportChain)
#include "tst_exportchain.moc"
