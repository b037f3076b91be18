#include "importerprobe.h"
#include "testsupport.h"

#include <QtTest>

// The bus stops and bus routes files.
class TransitReadersTest : public QObject
{
    Q_OBJECT

private slots:
    void readsBusStops_data();
    void readsBusStops();
    void readsBusRoutes_data();
    void readsBusRoutes();
};

namespace {

// "<number> <link> <position> <name>" per stop, in number order.
QString describe(const QMap<int, ParamicsBusStop*>& stops)
{
    QStringList parts;
    for (const ParamicsBusStop* s : stops) {
        parts << QStringLiteral("%1 %2 %3 %4").arg(s->number).arg(s->link).arg(s->position).arg(s->name);
        if (s->stopId != -1)
            parts.last() += QStringLiteral(" id %1").arg(s->stopId);
    }
    return parts.join(QStringLiteral("; "));
}

// "<name> nodes[..] stops[..] releases[..]" per route, in name order.
QString describe(const QMap<QString, ParamicsBusRoute*>& routes)
{
    QStringList parts;
    for (const ParamicsBusRoute* r : routes) {
        QStringList stops, releases;
        for (const ParamicsRouteStop& s : r->stops) {
            stops << QString::number(s.stop) + (s.time.isNull() ? QString() : QStringLiteral("@time"));
        }
        for (const QTime& t : r->releases)
            releases << (t.isNull() ? QStringLiteral("null") : t.toString(QStringLiteral("HH:mm:ss")));
        parts << QStringLiteral("%1 nodes[%2] stops[%3] releases[%4]")
                     .arg(r->name, r->routeNodes.join(QLatin1Char(',')), stops.join(QLatin1Char(',')),
                          releases.join(QLatin1Char(',')));
    }
    return parts.join(QStringLiteral("; "));
}

}  // namespace

void TransitReadersTest::readsBusStops_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("feet at 0.33, one-word name") << QByteArray("busstops\n3 10:11 150 ft \"Main\"\n")
                                                 << "3 10:11 49.5 \"Main\"";
    QTest::newRow("ft, with a comma; metres and other units unchanged")
        << QByteArray("1 1:2 100 ft, \"A\"\n2 2:3 100 m \"B\"\n4 3:4 100 yd \"C\"\n")
        << "1 1:2 33 \"A\"; 2 2:3 100 \"B\"; 4 3:4 100 \"C\"";
    QTest::newRow("name over several words joined without spaces")
        << QByteArray("1 42:39 68.6 m \"PT stop 6\" zone 32.000000 m\n") << "1 42:39 68.6 \"PTstop6\"";
    QTest::newRow("length and zone values begin no stop")
        << QByteArray("length 12 zone 7 1 1:2 5 m \"A\" length 30 2 2:3 6 m \"B\"")
        << "1 1:2 5 \"A\"; 2 2:3 6 \"B\"";
    QTest::newRow("a stray number begins a stop")
        << QByteArray("1 1:2 5 m \"A\" 99 \"x\" 4 m 9") << "1 1:2 5 \"A\"; 99 \"x\" 4 9";
    QTest::newRow("a name without quotes runs to the next quote")
        << QByteArray("1 1:2 5 m Depot 2 2:3 6 m \"B\" 3 3:4 7 m \"C\"") << "1 1:2 5 Depot22:36m\"B\"; 3 3:4 7 \"C\"";
    QTest::newRow("a name cut off by the end of the file") << QByteArray("1 1:2 5 m \"Open end") << "1 1:2 5 \"Openend";
    QTest::newRow("a stop cut off by the end of the file") << QByteArray("7 1:2") << "7 1:2 0 ";
    QTest::newRow("a later stop of the same number replaces it")
        << QByteArray("1 1:2 5 m \"A\" 1 2:3 6 m \"B\"") << "1 2:3 6 \"B\"";
}

void TransitReadersTest::readsBusStops()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("busstops"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.unitFactor() = 0.3;  // stop positions never use it
    probe.readBusStops(dir.path());
    QCOMPARE(describe(probe.busStops()), expected);
}

void TransitReadersTest::readsBusRoutes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a route with its lines")
        << QByteArray("bus route count 1\n\nnumber \"1\"\nservice: \"401 ida\"\nmax number: 80\ntype 15\ntimetable 30\n"
                      "release time 07:34:00 starting occupancy 10\nrelease time 07:38:30\n"
                      "node 12 node 13\nbusstop 4 busstop 4\n")
        << "\"1\" nodes[12,13] stops[4,4] releases[07:34:00,07:38:30]";
    QTest::newRow("count 2 keeps the first two of three")
        << QByteArray("count 2 number A node 1 number B node 2 number C node 3")
        << "A nodes[1] stops[] releases[]; B nodes[2] stops[] releases[]";
    QTest::newRow("no count: no limit") << QByteArray("number A number B number C")
                                        << "A nodes[] stops[] releases[]; B nodes[] stops[] releases[]; "
                                           "C nodes[] stops[] releases[]";
    QTest::newRow("a number after number begins no route")
        << QByteArray("number A node 1 number 2 node 5") << "A nodes[1,5] stops[] releases[]";
    // "7:30:00" is read at the wrong places and gives 00:00:00.
    QTest::newRow("release times from fixed characters")
        << QByteArray("number A release at 06:45:00 release x 7:30:00 release x 25:00:00 release x 06-10-20")
        << "A nodes[] stops[] releases[06:45:00,00:00:00,null,06:10:20]";
    QTest::newRow("lines before the first route are ignored")
        << QByteArray("node 1 busstop 2 release x 07:00:00 number A node 3") << "A nodes[3] stops[] releases[]";
    QTest::newRow("a value token is looked at again")
        << QByteArray("number A type node 7 timetable busstop 3") << "A nodes[7] stops[3] releases[]";
    QTest::newRow("a later route of the same name replaces it")
        << QByteArray("number A node 1 number A node 2") << "A nodes[2] stops[] releases[]";
}

void TransitReadersTest::readsBusRoutes()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("busroutes"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.readBusRoutes(dir.path());
    QCOMPARE(describe(probe.busRoutes()), expected);
}

QTEST_GUILESS_MAIN(TransitReadersTest)
#include "tst_transitreaders.moc"
