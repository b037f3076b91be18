#include "importerprobe.h"
#include "testsupport.h"

#include <QtTest>

// The detectors, beacons and annotation files.
class DeviceReadersTest : public QObject
{
    Q_OBJECT

private slots:
    void readsDetectors_data();
    void readsDetectors();
    void readsBeacons_data();
    void readsBeacons();
    void readsAnnotations_data();
    void readsAnnotations();
};

namespace {

QString describe(const QVector<ParamicsDetector*>& detectors)
{
    QStringList parts;
    for (const ParamicsDetector* d : detectors)
        parts << QStringLiteral("%1 %2 at %3 length %4").arg(d->id, d->link).arg(d->position).arg(d->length);
    return parts.join(QStringLiteral("; "));
}

QString describe(const QVector<ParamicsBeacon*>& beacons)
{
    QStringList parts;
    for (const ParamicsBeacon* b : beacons)
        parts << QStringLiteral("%1 %2 at %3").arg(b->id, b->link).arg(b->position);
    return parts.join(QStringLiteral("; "));
}

QString describe(const QVector<ParamicsAnnotation*>& annotations)
{
    QStringList parts;
    for (const ParamicsAnnotation* a : annotations)
        parts << QStringLiteral("(%1,%2,%3) %4").arg(a->position.x).arg(a->position.y).arg(a->position.z).arg(a->text);
    return parts.join(QStringLiteral("; "));
}

}  // namespace

void DeviceReadersTest::readsDetectors_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("metres")
        << QByteArray("loop \"Detector-1\" at 164.5 m on link 133:18 length 2.0 m mode presence\n")
        << "\"Detector-1\" 133:18 at 164.5 length 2";
    QTest::newRow("anything but m is feet at 0.33")
        << QByteArray("loop A at 100 ft length 10 ft\nsloop B at 50 m, length 3 yards\nloop C at 10 M\n")
        << "A  at 33 length 3.3; B  at 50 length 0.99; C  at 3.3 length 0";
    QTest::newRow("fields before the first detector are ignored")
        << QByteArray("link 1:2 at 5 m length 4 m loop D link 3:4") << "D 3:4 at 0 length 0";
    QTest::newRow("loop as the last word begins nothing") << QByteArray("loop A link 1:2 loop") << "A 1:2 at 0 length 0";
}

void DeviceReadersTest::readsDetectors()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("detectors"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.unitFactor() = 0.3;  // detector positions never use it
    probe.readDetectors(dir.path());
    QCOMPARE(describe(probe.detectors()), expected);
}

void DeviceReadersTest::readsBeacons_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("count 2 keeps two of three")
        << QByteArray("beacons count 2\nvms V1 link 1:2 at 10 m\nvms V2 link 2:3 at 20 m\nvms V3 link 3:4 at 30 m\n")
        << "V1 1:2 at 10; V2 2:3 at 20";
    QTest::newRow("only ft is feet")
        << QByteArray("vms A at 100 ft\nvms B at 100 ft,\nvms C at 100 yards\nvms D at 100 m") << "A  at 33; B  at 33; C  at 100; D  at 100";
    QTest::newRow("a keyword as a sign's name is looked at again")
        << QByteArray("vms count 2 vms V1 vms V2") << "count  at 0; V1  at 0";
    QTest::newRow("no count: no limit") << QByteArray("vms A vms B vms C") << "A  at 0; B  at 0; C  at 0";
    QTest::newRow("fields before the first sign are ignored") << QByteArray("link 1:2 at 5 m vms A") << "A  at 0";
}

void DeviceReadersTest::readsBeacons()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("beacons"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.unitFactor() = 0.3;
    probe.readBeacons(dir.path());
    QCOMPARE(describe(probe.beacons()), expected);
}

void DeviceReadersTest::readsAnnotations_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<double>("unitFactor");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Quadstone position, third value still holding ')'")
        << "Quadstone" << 1.0 << QByteArray("text colour 7 (100.0 ,200.0 ,25.0) \"Main Street\"\n")
        << "(100,200,0) \"Main Street\"";
    QTest::newRow("Quadstone height readable before a trailing comma, unit factor")
        << "Quadstone" << 0.3 << QByteArray("text colour 7 (100 ,200 ,40,) \"Depot\"") << "(30,60,12) \"Depot\"";
    QTest::newRow("Quadstone: every word up to ')' sets the height again")
        << "Quadstone" << 1.0 << QByteArray("text colour 7 (100 ,200 ,40 ) \"Depot\"") << "(100,200,0) \"Depot\"";
    QTest::newRow("Sias position with units between the numbers")
        << "Sias" << 1.0 << QByteArray("text colour 3 10 m 20 m 30 m \"North gate\" text colour 3 1 2 \"B\"")
        << "(10,20,30) \"North gate\"; (1,2,0) \"B\"";
    QTest::newRow("Sias: every further number is the height")
        << "Sias" << 0.3 << QByteArray("text colour 3 10 20 30 40 ft \"x\"") << "(3,6,12) \"x\"";
    QTest::newRow("text over three words joined by single spaces")
        << "Sias" << 1.0 << QByteArray("text colour 1 5 5 \"Old   Town\n Hall\"") << "(5,5,0) \"Old Town Hall\"";
    QTest::newRow("colour after line, circle or a read text is skipped")
        << "Sias" << 1.0
        << QByteArray("line colour 2 1 2 \"no\" circle colour 4 3 4 \"no\" text colour 1 7 8 \"yes\" colour 9 9 9 \"no\"")
        << "(7,8,0) \"yes\"";
    QTest::newRow("a label without colour keeps an empty text")
        << "Quadstone" << 1.0 << QByteArray("text line 1 2 text colour 1 (5 ,6 ,7) \"B\"") << "(0,0,0) ; (5,6,0) \"B\"";
    QTest::newRow("a text cut off by the end of the file")
        << "Quadstone" << 1.0 << QByteArray("text colour 1 (5 ,6 ,7) \"Open end") << "(5,6,0) \"Open end";
    QTest::newRow("a position cut off by the end of the file")
        << "Quadstone" << 1.0 << QByteArray("text colour 1 (5 ,6") << "(5,6,0) ";
}

void DeviceReadersTest::readsAnnotations()
{
    QFETCH(QString, version);
    QFETCH(double, unitFactor);
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("annotation"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.version() = version;
    probe.unitFactor() = unitFactor;
    probe.readAnnotations(dir.path());
    QCOMPARE(describe(probe.annotations()), expected);
}

QTEST_GUILESS_MAIN(DeviceReadersTest)
#include "tst_devicereaders.moc"
