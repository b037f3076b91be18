#include "importerprobe.h"
#include "testsupport.h"

#include <cvlog.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QtTest>

#include <memory>

// The vehicles file: type blocks filed under their matrix.
class VehiclesReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readsTypeBlocks_data();
    void readsTypeBlocks();
    void missingFileLeavesNoTypes();
};

namespace {

// "matrix: type class proportion; ..." for every filed record, in map order.
QString describe(const QMap<int, QVector<ParamicsVehicle*>>& vehicles)
{
    QStringList parts;
    for (auto it = vehicles.cbegin(); it != vehicles.cend(); ++it) {
        for (const ParamicsVehicle* v : it.value())
            parts << QStringLiteral("%1: %2 %3 %4")
                         .arg(it.key())
                         .arg(v->type)
                         .arg(v->className.isEmpty() ? QStringLiteral("-") : v->className)
                         .arg(v->proportion);
    }
    return parts.join(QStringLiteral("; "));
}

}  // namespace

void VehiclesReaderTest::readsTypeBlocks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("shared matrix, file order")
        << QByteArray("type 1 car matrix 1 proportion 60\ntype 2 lgv matrix 1 proportion 40\n")
        << "1: 1 car 0.6; 1: 2 lgv 0.4";
    QTest::newRow("no matrix goes under -1, whole share")
        << QByteArray("type 3 ogv1\ntype 4 coach matrix 2 proportion 12.5\n") << "-1: 3 ogv1 1; 2: 4 coach 0.125";
    QTest::newRow("filed under the block's last matrix")
        << QByteArray("type 1 car matrix 1 matrix 3 proportion 10 proportion 20\n") << "3: 1 car 0.2";
    QTest::newRow("class keywords in either case, last wins")
        << QByteArray("type 1 CAR\ntype 2 car MINIBUS\ntype 3 OGV2\n") << "-1: 1 car 1; -1: 2 minibus 1; -1: 3 ogv2 1";
    QTest::newRow("Car and unknown classes are not classes")
        << QByteArray("type 1 Car\ntype 2 van\n") << "-1: 1 - 1; -1: 2 - 1";
    QTest::newRow("a class keyword in place of the number still counts")
        << QByteArray("type bus matrix 1\n") << "1: 0 bus 1";
    QTest::newRow("matrix as the last word reads 0") << QByteArray("type 7 lgv matrix") << "0: 7 lgv 1";
    QTest::newRow("values not numbers read 0")
        << QByteArray("type 5 car matrix x proportion y\n") << "0: 5 car 0";
    QTest::newRow("keywords before the first type are ignored")
        << QByteArray("matrix 4 proportion 50 car\ntype 9 bus\n") << "-1: 9 bus 1";
    QTest::newRow("any word holding 'type' starts a block")
        << QByteArray("vehtype 6 car\nvehicle types\ntype 7 lgv\n") << "-1: 6 car 1; -1: 0 - 1; -1: 7 lgv 1";
    QTest::newRow("other keywords and words are skipped")
        << QByteArray("type 15 bus length 16.00 m top speed 65.00 kph pcus 3.00 colour 0x0000ff00\n"
                      "name \"Bus\" matrix 2 proportion 100.000 perturbation 25.0\n")
        << "2: 15 bus 1";
    QTest::newRow("empty file") << QByteArray("## only a comment\n") << "";
}

void VehiclesReaderTest::readsTypeBlocks()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("vehicles"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.readVehicles(dir.path());

    QCOMPARE(describe(probe.vehicles()), expected);
    for (const auto& types : probe.vehicles())
        for (const ParamicsVehicle* v : types)
            QVERIFY(!v->vehicle);
}

void VehiclesReaderTest::missingFileLeavesNoTypes()
{
    NetworkDir dir;
    std::unique_ptr<CVModel> owned(CVSystem::getSystem().createModel());
    CVModel* model = owned.get();
    ParamicsImporter importer;
    importer.setModel(model);
    ParamicsImporterProbe probe(importer);
    probe.readVehicles(dir.path());
    QVERIFY(probe.vehicles().isEmpty());
    QCOMPARE(model->getLog()->warnings().size(), 1);
}

QTEST_GUILESS_MAIN(VehiclesReaderTest)
#include "tst_vehiclesreader.moc"
