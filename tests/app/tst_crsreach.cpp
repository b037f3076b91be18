// A coordinate system given to --crs (or in the window's export) never
// makes corvia open a file or a connection: a local server counts
// connections and inotify reports every open of the files it could name.

#include "export/gis/crstext.h"
#include "export/gis/gisexporter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Opens and reads of the files in one folder, as inotify reports them.
class FolderWatch
{
public:
    explicit FolderWatch(const QString& folder) : fd(inotify_init1(IN_NONBLOCK))
    {
        if (fd >= 0)
            inotify_add_watch(fd, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS);
    }
    ~FolderWatch()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool isWatching() const { return fd >= 0; }
    // The names opened or read since the last call.
    QStringList touched()
    {
        QStringList names;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t size; (size = ::read(fd, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                names.append(event->len ? QString::fromUtf8(event->name) : QStringLiteral("(folder)"));
                p += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }

private:
    int fd;
};

// A listening socket on the loopback; a connection to it is seen even if
// nobody answers.
class LocalServer
{
public:
    LocalServer() : fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        listeningPort = ntohs(address.sin_port);
    }
    ~LocalServer()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int port() const { return listeningPort; }
    bool wasConnected() const
    {
        pollfd waiting{fd, POLLIN, 0};
        return ::poll(&waiting, 1, 0) > 0;
    }

private:
    int fd;
    int listeningPort = 0;
};

const char* Wgs84Wkt = "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
                       "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]";

}  // namespace

class TestCrsReach : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void definitionsThatNeedNothingOutside_data();
    void definitionsThatNeedNothingOutside();
    void referencesOutsideAreRefusedUntouched_data();
    void referencesOutsideAreRefusedUntouched();

private:
    int runOpen(const QString& crs, QString* err);
    void write(const QString& name, const QByteArray& text);

    QTemporaryDir work;
    QTemporaryDir files;  // what a CRS could name; nothing else happens there
    LocalServer server;
    QString model;
};

void TestCrsReach::initTestCase()
{
    model = work.filePath(QStringLiteral("m.json"));
    QCOMPARE(QProcess::execute(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                               {QStringLiteral("import"), QStringLiteral(EXAMPLES_DIR "/quadstone"), QStringLiteral("-q"),
                                QStringLiteral("--save"), model}),
             0);
    QVERIFY(server.port() > 0);
    write(QStringLiteral("crs.prj"), Wgs84Wkt);
    write(QStringLiteral("init"), "<4326> +proj=longlat +datum=WGS84 <>\n");
    write(QStringLiteral("grid.gsb"), QByteArray(1024, 'g'));
}

void TestCrsReach::write(const QString& name, const QByteArray& text)
{
    QFile file(files.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
}

int TestCrsReach::runOpen(const QString& crs, QString* err)
{
    QProcess process;
    process.start(QStringLiteral(CORVIA_BIN_DIR "/corvia"),
                  {QStringLiteral("open"), model, QStringLiteral("-q"), QStringLiteral("--crs"), crs,
                   QStringLiteral("--gis"), work.filePath(QStringLiteral("out.gpkg"))});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    *err = QString::fromUtf8(process.readAllStandardError());
    return process.exitCode();
}

void TestCrsReach::definitionsThatNeedNothingOutside_data()
{
    QTest::addColumn<QString>("crs");
    QTest::newRow("code") << "EPSG:32719";
    QTest::newRow("urn") << "urn:ogc:def:crs:EPSG::32719";
    QTest::newRow("compound code") << "EPSG:32719+5773";
    QTest::newRow("proj string") << "+proj=utm +zone=19 +south +datum=WGS84 +units=m +no_defs";
    QTest::newRow("proj with towgs84") << "+proj=tmerc +lat_0=0 +lon_0=-69 +k=1 +x_0=500000 +y_0=0 +ellps=intl "
                                          "+towgs84=-148,136,90,0,0,0,0 +units=m";
    QTest::newRow("wkt") << QString::fromLatin1(Wgs84Wkt);
}

// Accepted, and written (a WKT of longitude and latitude makes no sense for
// a network in metres: only that it is accepted counts there).
void TestCrsReach::definitionsThatNeedNothingOutside()
{
    QFETCH(QString, crs);
    QVERIFY2(CrsText::refusal(crs).isEmpty(), qPrintable(CrsText::refusal(crs)));
    QString reason;
    QVERIFY2(GisExporter::checkCrs(crs, &reason), qPrintable(reason));
    if (crs.startsWith(QLatin1String("GEOGCS")))
        return;
    QString err;
    QCOMPARE(runOpen(crs, &err), 0);
    QVERIFY(!server.wasConnected());
}

void TestCrsReach::referencesOutsideAreRefusedUntouched_data()
{
    QTest::addColumn<QString>("crs");  // FILES and PORT stand for the folder and the server's port
    QTest::newRow("http url") << "http://127.0.0.1:PORT/crs.prj";
    QTest::newRow("https url") << "https://127.0.0.1:PORT/crs.prj";
    QTest::newRow("ogc url") << "http://127.0.0.1:PORT/def/crs/EPSG/0/4326";
    QTest::newRow("path") << "FILES/crs.prj";
    QTest::newRow("file url") << "file://FILES/crs.prj";
    QTest::newRow("esri file") << "ESRI::FILES/crs.prj";
    QTest::newRow("init file") << "+init=FILES/init:4326";
    QTest::newRow("nadgrids") << "+proj=longlat +ellps=WGS84 +nadgrids=FILES/grid.gsb";
    QTest::newRow("geoidgrids") << "+proj=longlat +ellps=WGS84 +geoidgrids=FILES/grid.gsb";
    QTest::newRow("grid in a pipeline") << "+proj=pipeline +step +proj=hgridshift +grids=FILES/grid.gsb";
    QTest::newRow("grid url") << "+proj=longlat +ellps=WGS84 +nadgrids=http://127.0.0.1:PORT/grid.gsb";
    QTest::newRow("wkt naming a file") << "BOUNDCRS[SOURCECRS[GEOGCRS[\"x\"]],ABRIDGEDTRANSFORMATION[\"t\","
                                          "PARAMETERFILE[\"g\",\"FILES/grid.gsb\"]]]";
    QTest::newRow("bare file name") << "crs.prj";
}

void TestCrsReach::referencesOutsideAreRefusedUntouched()
{
    QFETCH(QString, crs);
    crs.replace(QLatin1String("FILES"), files.path()).replace(QLatin1String("PORT"), QString::number(server.port()));
    QFile::remove(work.filePath(QStringLiteral("out.gpkg")));
    FolderWatch watch(files.path());
    QVERIFY(watch.isWatching());
    // The watch sees a read: the check below would see one by corvia.
    {
        QFile probe(files.filePath(QStringLiteral("crs.prj")));
        QVERIFY(probe.open(QIODevice::ReadOnly) && !probe.readAll().isEmpty());
    }
    QVERIFY(!watch.touched().isEmpty());

    QString err;
    runOpen(crs, &err);

    QCOMPARE(watch.touched(), QStringList());
    QVERIFY(!server.wasConnected());
    QVERIFY(!QFile::exists(work.filePath(QStringLiteral("out.gpkg"))));
}

QTEST_GUILESS_MAIN(TestCrsReach)
#include "tst_crsreach.moc"
