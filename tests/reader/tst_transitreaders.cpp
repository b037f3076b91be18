#include "readerfixture.h"

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

void TransitReadersTest::readsBusStops_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");  // "number link position name" per stop

    QTest::newRow("ft and ft, at 0.33; other units stay metres")
        << QByteArray("busstops\n3 10:11 150 ft \"Main\"\n4 1:2 100 ft, \"A\"\n5 3:4 100 yd \"C\"\n")
        << "3 10:11 49.5 \"Main\"; 4 1:2 33 \"A\"; 5 3:4 100 \"C\"";
    QTest::newRow("names over several words joined; length and zone values begin no stop")
        << QByteArray("length 12 1 42:39 68.6 m \"PT stop 6\" zone 32.000000 m 2 2:3 6 m \"B\"")
        << "1 42:39 68.6 \"PTstop6\"; 2 2:3 6 \"B\"";
    QTest::newRow("a name without quotes runs to the next quote; a stray number begins a stop")
        << QByteArray("1 1:2 5 m Depot 2 2:3 6 m \"B\" 99 \"x\" 4 m 9") << "1 1:2 5 Depot22:36m\"B\"; 99 \"x\" 4 9";
    QTest::newRow("cut off by the end of the file") << QByteArray("1 1:2 5 m \"Open end 7 1:2") << "1 1:2 5 \"Openend71:2";
}

void TransitReadersTest::readsBusStops()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    ReaderFixture run;
    run.dir.write("busstops", file);
    run.unitFactor = 0.3;  // stop positions never use it
    run.readBusStops();
    QStringList stops;
    for (const ParamicsBusStop* s : run.busStops)
        stops << QStringLiteral("%1 %2 %3 %4").arg(s->number).arg(s->link).arg(s->position).arg(s->name);
    QCOMPARE(stops.join(QStringLiteral("; ")), expected);
}

void TransitReadersTest::readsBusRoutes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");  // "name nodes[..] stops[..] releases[..]" per route

    QTest::newRow("a route with its lines")
        << QByteArray("bus route count 1\nnumber \"1\"\nservice: \"401 ida\"\nmax number: 80\ntype 15\ntimetable 30\n"
                      "release time 07:34:00 starting occupancy 10\nnode 12 busstop 4 node 13 busstop 4\n")
        << "\"1\" nodes[12,13] stops[4,4] releases[07:34:00]";
    QTest::newRow("count 2 keeps the first two of three")
        << QByteArray("count 2 number A node 1 number B number C node 3") << "A nodes[1] stops[] releases[]; B nodes[] stops[] releases[]";
    QTest::newRow("no count, no limit; a number after number begins no route")
        << QByteArray("node 9 number A node 1 number 2 node 5 number B number C")
        << "A nodes[1,5] stops[] releases[]; B nodes[] stops[] releases[]; C nodes[] stops[] releases[]";
    QTest::newRow("release times from fixed characters")  // "7:30:00" is read at the wrong places
        << QByteArray("number A release at 06:45:00 release x 7:30:00 release x 25:00:00 release x 06-10-20")
        << "A nodes[] stops[] releases[06:45:00,00:00:00,null,06:10:20]";
    QTest::newRow("a value token is looked at again")
        << QByteArray("number A type node 7 timetable busstop 3") << "A nodes[7] stops[3] releases[]";
}

void TransitReadersTest::readsBusRoutes()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    ReaderFixture run;
    run.dir.write("busroutes", file);
    run.readBusRoutes();
    QStringList routes;
    for (const ParamicsBusRoute* r : run.busRoutes) {
        QStringList stops, releases;
        for (const ParamicsRouteStop& s : r->stops)
            stops << QString::number(s.stop) + (s.time.isNull() ? "" : "@");
        for (const QTime& t : r->releases)
            releases << (t.isNull() ? QStringLiteral("null") : t.toString(QStringLiteral("HH:mm:ss")));
        routes << QStringLiteral("%1 nodes[%2] stops[%3] releases[%4]")
                      .arg(r->name, r->routeNodes.join(','), stops.join(','), releases.join(','));
    }
    QCOMPARE(routes.join(QStringLiteral("; ")), expected);
}

QTEST_GUILESS_MAIN(TransitReadersTest)
#include "tst_transitreaders.moc"
