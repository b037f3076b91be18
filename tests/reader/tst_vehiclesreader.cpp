#include "readerfixture.h"

#include <QtTest>

// The vehicles file: type blocks filed under their matrix.
class VehiclesReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readsTypeBlocks_data();
    void readsTypeBlocks();
};

void VehiclesReaderTest::readsTypeBlocks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");  // "matrix: type class proportion" per record

    QTest::newRow("shared matrix, file order")
        << QByteArray("type 1 car matrix 1 proportion 60\ntype 2 lgv matrix 1 proportion 40\n") << "1: 1 car 0.6; 1: 2 lgv 0.4";
    QTest::newRow("no matrix under -1; last matrix of a block wins")
        << QByteArray("type 3 ogv1\ntype 4 coach matrix 2 matrix 5 proportion 12.5\n") << "-1: 3 ogv1 1; 5: 4 coach 0.125";
    QTest::newRow("class keywords in either case; Car is none")
        << QByteArray("type 1 CAR\ntype 2 Car\ntype 3 van MINIBUS\n") << "-1: 1 car 1; -1: 2 - 1; -1: 3 minibus 1";
    QTest::newRow("the value token is looked at again")
        << QByteArray("type bus matrix 1\n") << "1: 0 bus 1";
    QTest::newRow("matrix as the last word reads the end as 0") << QByteArray("type 7 lgv matrix") << "0: 7 lgv 1";
    QTest::newRow("keywords before the first type are ignored; any word with 'type' starts one")
        << QByteArray("matrix 4 car\nvehicle types\ntype 9 bus pcus 3.00 name \"Bus\"\n") << "-1: 0 - 1; -1: 9 bus 1";
}

void VehiclesReaderTest::readsTypeBlocks()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    ReaderFixture run;
    run.dir.write("vehicles", file);
    run.readVehicles();
    QStringList records;
    for (auto it = run.vehicles.cbegin(); it != run.vehicles.cend(); ++it) {
        for (const ParamicsVehicle* v : it.value())
            records << QStringLiteral("%1: %2 %3 %4").arg(it.key()).arg(v->type).arg(v->className.isEmpty() ? "-" : v->className).arg(v->proportion);
    }
    QCOMPARE(records.join(QStringLiteral("; ")), expected);
}

QTEST_GUILESS_MAIN(VehiclesReaderTest)
#include "tst_vehiclesreader.moc"
