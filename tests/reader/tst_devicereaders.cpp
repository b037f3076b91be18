#include "readerfixture.h"

#include <QtTest>

// The detectors, beacons and annotation files.
class DeviceReadersTest : public QObject
{
    Q_OBJECT

private slots:
    void readsDetectorsAndBeacons();
    void readsAnnotations_data();
    void readsAnnotations();
};

void DeviceReadersTest::readsDetectorsAndBeacons()
{
    // Detectors: anything but "m" is feet at 0.33. Beacons: only "ft" is.
    ReaderFixture run;
    run.dir.write("detectors", "link 9:9 loop A at 100 ft on link 1:2 length 10 yd\n"
                                               "sloop B at 50 m, length 2.0 m\nloop");
    run.dir.write(QStringLiteral("beacons"), "beacon count 3\nvms V1 at 100 ft on link 1:2\nvms V2 at 100 yd\n"
                                             "vms count 2 vms V3");
    run.unitFactor = 0.3;  // device positions never use it
    run.readDetectors();
    run.readBeacons();

    QStringList detectors, beacons;
    for (const ParamicsDetector* d : run.detectors)
        detectors << QStringLiteral("%1 %2 %3 %4").arg(d->id, d->link).arg(d->position).arg(d->length);
    for (const ParamicsBeacon* b : run.beacons)
        beacons << QStringLiteral("%1 %2 %3").arg(b->id, b->link).arg(b->position);
    QCOMPARE(detectors, QStringList({"A 1:2 33 3.3", "B  50 2"}));
    // "vms count 2" begins a sign named count, then lowers the limit: V3 is one too many.
    QCOMPARE(beacons, QStringList({"V1 1:2 33", "V2  100", "count  0"}));
}

void DeviceReadersTest::readsAnnotations_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");  // "(x,y,z) text" per label, unit factor 0.5

    QTest::newRow("Quadstone: the height still holding ')' reads 0")
        << "Quadstone" << QByteArray("text colour 7 (100.0 ,200.0 ,25.0) \"Main Street\"\n") << "(50,100,0) \"Main Street\"";
    QTest::newRow("Quadstone: every word up to ')' sets the height")
        << "Quadstone" << QByteArray("text colour 7 (100 ,200 ,40,) \"A\" text colour 7 (1 ,2 ,40 ) \"B\"")
        << "(50,100,20) \"A\"; (0.5,1,0) \"B\"";
    QTest::newRow("Sias: units between the numbers, further numbers are the height")
        << "Sias" << QByteArray("text colour 3 10 m 20 ft 30 40 \"North   gate\n lodge\"") << "(5,10,20) \"North gate lodge\"";
    QTest::newRow("colour after line, circle or a read text is skipped; a label without colour stays empty")
        << "Sias" << QByteArray("line colour 2 1 2 \"no\" circle colour 4 3 4 \"no\" text colour 1 8 6 \"yes\" colour 9 9 9 \"no\" text")
        << "(4,3,0) \"yes\"; (0,0,0) ";
    QTest::newRow("line after text clears the text") << "Quadstone" << QByteArray("text line colour 1 (1 ,2 ,3) \"a\"")
                                                     << "(0,0,0) ";
    QTest::newRow("circle after text clears the text") << "Sias" << QByteArray("text circle colour 1 2 4 \"a\"")
                                                       << "(0,0,0) ";
    QTest::newRow("cut off by the end of the file") << "Quadstone" << QByteArray("text colour 1 (5 ,6") << "(2.5,3,0) ";
}

void DeviceReadersTest::readsAnnotations()
{
    QFETCH(QString, version);
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    ReaderFixture run;
    run.unitFactor = 0.5;
    run.readAnnotations(file, version == QLatin1String("Sias"));
    QStringList labels;
    for (const ParamicsAnnotation* a : run.annotations)
        labels << QStringLiteral("(%1,%2,%3) %4").arg(a->position.x).arg(a->position.y).arg(a->position.z).arg(a->text);
    QCOMPARE(labels.join(QStringLiteral("; ")), expected);
}

QTEST_GUILESS_MAIN(DeviceReadersTest)
#include "tst_devicereaders.moc"
