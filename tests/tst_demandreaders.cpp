#include "importerprobe.h"
#include "testsupport.h"

#include <cvlog.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

// Demands files, profiles of both variants, the matrix file, and the
// compact storage of OD values.
class DemandReadersTest : public QObject
{
    Q_OBJECT

private slots:
    void readsDemands_data();
    void readsDemands();
    void demandsFileChoice_data();
    void demandsFileChoice();
    void readsSiasProfiles_data();
    void readsSiasProfiles();
    void readsQuadstoneProfiles_data();
    void readsQuadstoneProfiles();
    void readsMatrixFile_data();
    void readsMatrixFile();
    void matrixValueLookup();
    void odValuesKeepEveryValue_data();
    void odValuesKeepEveryValue();
};

namespace {

QString joinValues(const QVector<double>& values)
{
    QStringList texts;
    for (double v : values)
        texts << QString::number(v, 'g', 10);
    return texts.join(QLatin1Char(','));
}

// "m<matrix> p<period> {origin: values | ...}" per demand, in reading order.
QString describe(const QVector<ParamicsDemand*>& demands)
{
    QStringList parts;
    for (const ParamicsDemand* d : demands) {
        QStringList rows;
        for (auto it = d->rows.cbegin(); it != d->rows.cend(); ++it)
            rows << QStringLiteral("%1: %2").arg(it.key()).arg(joinValues(it.value().toVector()));
        parts << QStringLiteral("m%1 p%2 {%3}").arg(d->matrix).arg(d->period).arg(rows.join(QStringLiteral(" | ")));
    }
    return parts.join(QStringLiteral("; "));
}

// "<number> <interval>s <start> [values]" per profile, in number order.
QString describe(const QMap<int, ParamicsProfile*>& profiles)
{
    QStringList parts;
    for (const ParamicsProfile* p : profiles) {
        QStringList values;
        for (float v : p->values)
            values << QString::number(v, 'g', 8);
        parts << QStringLiteral("%1 %2s %3 [%4]")
                     .arg(p->number)
                     .arg(p->interval)
                     .arg(p->start.isNull() ? QStringLiteral("null") : p->start.toString(QStringLiteral("HH:mm:ss")))
                     .arg(values.join(QLatin1Char(',')));
    }
    return parts.join(QStringLiteral("; "));
}

// "<number> rows{origin:row,...} [values]" per matrix, in number order.
QString describe(const QMap<int, ParamicsMatrix*>& matrices)
{
    QStringList parts;
    for (const ParamicsMatrix* m : matrices) {
        QStringList rows;
        for (auto it = m->rowIndex.cbegin(); it != m->rowIndex.cend(); ++it)
            rows << QStringLiteral("%1:%2").arg(it.key()).arg(it.value());
        parts << QStringLiteral("%1 rows{%2} [%3]").arg(m->number).arg(rows.join(QLatin1Char(','))).arg(joinValues(m->values.toVector()));
    }
    return parts.join(QStringLiteral("; "));
}

using Files = QMap<QString, QByteArray>;

}  // namespace

void DemandReadersTest::readsDemands_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<int>("fileCount");
    QTest::addColumn<QString>("expected");

    QTest::newRow("period, count, divisor")
        << Files{{"demands", "demand period 1\nmatrix count 1\ndivisor 10\nmatrix 1\nfrom 1 0 10 20 ## 30\nfrom 2 5 0 0\n"}}
        << 1 << "m1 p1 {1: 0,1,2 | 2: 0.5,0,0}";
    QTest::newRow("a row before the divisor stays undivided")
        << Files{{"demands", "matrix count 1 matrix 1 from 1 10 20 divisor 10 from 2 10 20"}} << 1
        << "m1 p0 {1: 10,20 | 2: 1,2}";
    QTest::newRow("a period after a matrix begins applies to the next")
        << Files{{"demands", "matrix count 2 period 1 matrix 1 period 3 from 1 4 matrix 2 from 1 5"}} << 1
        << "m1 p1 {1: 4}; m2 p3 {1: 5}";
    QTest::newRow("no count: the first matrix ends the reading")
        << Files{{"demands", "period 1 matrix 1 from 1 4"}} << 1 << "";
    QTest::newRow("matrix above the count stops this file and later ones")
        << Files{{"demands.1", "matrix count 1 matrix 1 from 1 7 matrix 2 from 1 8"},
                 {"demands.2", "matrix count 5 matrix 3 from 1 9"}}
        << 2 << "m1 p0 {1: 7}";
    QTest::newRow("count, period and divisor carry into the next file")
        << Files{{"demands.1", "matrix count 2 period 4 divisor 2 matrix 1 from 1 2"},
                 {"demands.2", "matrix 1 from 1 4 matrix 2 from 1 6"}}
        << 2 << "m1 p4 {1: 1}; m1 p4 {1: 2}; m2 p4 {1: 3}";
    QTest::newRow("a matrix left open at the end of a file is kept")
        << Files{{"demands.1", "matrix count 2 matrix 1 from 1 2"}, {"demands.2", "from 2 3"}} << 2
        << "m1 p0 {1: 2}";
    QTest::newRow("a later row of the same origin replaces it")
        << Files{{"demands", "matrix count 1 matrix 1 from 3 1 2 3 from 3 9"}} << 1 << "m1 p0 {3: 9}";
    QTest::newRow("rows before the first matrix are ignored with their values")
        << Files{{"demands", "from 1 5 6 matrix count 1 matrix 1 from 2 7"}} << 1 << "m1 p0 {2: 7}";
    QTest::newRow("the token that ends a row is read again")
        << Files{{"demands", "matrix count 2 matrix 1 from 1 1 2 matrix 2 from 1 3"}} << 1
        << "m1 p0 {1: 1,2}; m2 p0 {1: 3}";
    QTest::newRow("origins renumbered, destinations as read")
        << Files{{"demands", "matrix count 1 matrix 1 from 5 1 2 from 6 3"}} << 1 << "m1 p0 {6: 3 | 105: 1,2}";
}

void DemandReadersTest::readsDemands()
{
    QFETCH(Files, files);
    QFETCH(int, fileCount);
    QFETCH(QString, expected);

    NetworkDir dir;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        dir.write(it.key(), it.value());
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.nbDemandsFile() = fileCount;
    probe.zoneRenumbering().insert(5, 105);
    probe.readDemands(dir.path());
    QCOMPARE(describe(probe.demands()), expected);
}

void DemandReadersTest::demandsFileChoice_data()
{
    QTest::addColumn<int>("fileCount");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("warnings");

    // Every file exists except demands.3; each holds one matrix named after it.
    QTest::newRow("one file") << 1 << "m9 p0 {1: 1}" << 0;
    QTest::newRow("numbered files") << 3 << "m1 p0 {1: 1}; m2 p0 {1: 1}" << 1;
    QTest::newRow("none") << 0 << "" << 0;
}

void DemandReadersTest::demandsFileChoice()
{
    QFETCH(int, fileCount);
    QFETCH(QString, expected);
    QFETCH(int, warnings);

    NetworkDir dir;
    dir.write(QStringLiteral("demands"), "matrix count 9 matrix 9 from 1 1");
    dir.write(QStringLiteral("demands.1"), "matrix count 9 matrix 1 from 1 1");
    dir.write(QStringLiteral("demands.2"), "matrix 2 from 1 1");
    std::unique_ptr<CVModel> owned(CVSystem::getSystem().createModel());
    CVModel* model = owned.get();
    ParamicsImporter importer;
    importer.setModel(model);
    ParamicsImporterProbe probe(importer);
    probe.nbDemandsFile() = fileCount;
    probe.readDemands(dir.path());
    QCOMPARE(describe(probe.demands()), expected);
    QCOMPARE(model->getLog()->warnings().size(), warnings);
}

void DemandReadersTest::readsSiasProfiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("interval in minutes, hour with a colon")
        << QByteArray("profile 1\ninterval 15\nhour 07: 10 20 30 40\n") << "1 900s 07:00:00 [10,20,30,40]";
    QTest::newRow("further hours inside the values are skipped")
        << QByteArray("profile 2 interval 60 hour 07: 1 2 hour 08: 3 4\n") << "2 3600s 07:00:00 [1,2,3,4]";
    QTest::newRow("divisor in single precision")
        << QByteArray("divisor 3 profile 1 hour 06: 1 2\n") << "1 0s 06:00:00 [0.33333334,0.66666669]";
    QTest::newRow("a profile number above the count ends the file")
        << QByteArray("profile count 2 profile 1 hour 07: 5 profile 2 hour 08: 6 profile 3 hour 09: 7")
        << "1 0s 07:00:00 [5]; 2 0s 08:00:00 [6]";
    QTest::newRow("profile followed by a word does nothing")
        << QByteArray("profile demand profile 4 interval 5") << "4 300s null []";
    QTest::newRow("lines before the first profile are ignored")
        << QByteArray("interval 10 hour 07: 1 2 profile 1") << "1 0s null []";
    QTest::newRow("an hour that is no time of day gives a null start")
        << QByteArray("profile 1 hour 25: 1") << "1 0s null [1]";
    QTest::newRow("a later profile of the same number replaces it")
        << QByteArray("profile 1 hour 07: 1 profile 1 hour 08: 2") << "1 0s 08:00:00 [2]";
}

void DemandReadersTest::readsSiasProfiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("profile"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.readProfilesSias(dir.path());
    QCOMPARE(describe(probe.profiles()), expected);
}

void DemandReadersTest::readsQuadstoneProfiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("interval before the period")
        << QByteArray("period count 1\ninterval 30\nperiod 1\nstart 07:00 20 30 50\n") << "1 1800s 07:00:00 [20,30,50]";
    QTest::newRow("an interval after the period begins applies to the next")
        << QByteArray("interval 15 period 1 interval 30 start 07:30:15 1 period 2 start 08:00 2")
        << "1 900s 07:30:15 [1]; 2 1800s 08:00:00 [2]";
    QTest::newRow("no interval gives 0") << QByteArray("period 3 start 06:00 4") << "3 0s 06:00:00 [4]";
    QTest::newRow("divisor applies to later values")
        << QByteArray("period 1 start 07:00 10 divisor 4 start 08:00 10") << "1 0s 08:00:00 [10,2.5]";
    QTest::newRow("a start before any period is ignored with its values")
        << QByteArray("start 07:00 10 20 period 1") << "1 0s null []";
    QTest::newRow("the token that ends the values is read again")
        << QByteArray("period 1 start 07:00 1 period 2 start 08:00 2") << "1 0s 07:00:00 [1]; 2 0s 08:00:00 [2]";
}

void DemandReadersTest::readsQuadstoneProfiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("profile"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.readProfilesQuadstone(dir.path());
    QCOMPARE(describe(probe.profiles()), expected);
}

void DemandReadersTest::readsMatrixFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");

    QTest::newRow("origins with colons, rows in reading order")
        << QByteArray("matrix 1\nfrom 1: 0 4\nfrom 2: 6 0\n") << "1 rows{1:0,2:1} [0,4,6,0]";
    QTest::newRow("without a count only matrix 1 is read")
        << QByteArray("matrix 1 from 1 1 matrix 2 from 1 2") << "1 rows{1:0} [1]";
    QTest::newRow("declared count")
        << QByteArray("matrix count 2 matrix 1 from 1 1 matrix 2 from 1 2 from 2 3")
        << "1 rows{1:0} [1]; 2 rows{1:0,2:1} [2,3]";
    QTest::newRow("count followed by a word changes nothing")
        << QByteArray("matrix count matrix 2 from 1 2") << "";
    QTest::newRow("origins renumbered") << QByteArray("matrix 1 from 5: 1 2 from 6: 3 4")
                                        << "1 rows{6:1,105:0} [1,2,3,4]";
    QTest::newRow("rows before the first matrix are ignored")
        << QByteArray("from 1 9 9 matrix 1 from 2 1") << "1 rows{2:0} [1]";
}

void DemandReadersTest::readsMatrixFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    NetworkDir dir;
    dir.write(QStringLiteral("matrix"), file);
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.zoneRenumbering().insert(5, 105);
    probe.readMatrix(dir.path());
    QCOMPARE(describe(probe.matrixEntries()), expected);
}

void DemandReadersTest::matrixValueLookup()
{
    NetworkDir dir;
    // Three zones; the last row is one value short.
    dir.write(QStringLiteral("matrix"), "matrix 1\nfrom 10: 0 1 2\nfrom 20: 3 0 5\nfrom 30: 6 7\n");
    ParamicsImporter importer;
    ParamicsImporterProbe probe(importer);
    probe.readMatrix(dir.path());
    const ParamicsMatrix* m = probe.matrixEntries().value(1);
    QVERIFY(m);
    QCOMPARE(m->value(10, 30), 2.0);
    QCOMPARE(m->value(20, 10), 3.0);
    QCOMPARE(m->value(30, 20), 7.0);
    QCOMPARE(m->value(30, 30), 0.0);  // beyond the values read
    QCOMPARE(m->value(10, 40), 0.0);  // no such zone
    QCOMPARE(m->value(40, 10), 0.0);
}

void DemandReadersTest::odValuesKeepEveryValue_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<double>("nonZeroShare");

    QTest::newRow("short row") << 10 << 0.5;
    QTest::newRow("sparse") << 5000 << 0.05;
    QTest::newRow("dense from the start") << 5000 << 0.9;
    QTest::newRow("half") << 2000 << 0.5;
}

void DemandReadersTest::odValuesKeepEveryValue()
{
    QFETCH(int, size);
    QFETCH(double, nonZeroShare);

    QRandomGenerator random(size);
    QVector<double> expected;
    ParamicsOdValues values;
    for (int i = 0; i < size; ++i) {
        double v = random.bounded(1.0) < nonZeroShare ? random.bounded(100.0) : 0.0;
        if (i == size / 2)
            v = -0.0;
        if (i == size / 3)
            v = std::numeric_limits<double>::quiet_NaN();
        expected << v;
        values.append(v);
    }
    QCOMPARE(values.size(), qsizetype(size));
    for (int i = 0; i < size; ++i) {
        const double got = values.at(i);
        if (std::isnan(expected.at(i)))
            QVERIFY(std::isnan(got));
        else
            QVERIFY2(got == expected.at(i) && std::signbit(got) == std::signbit(expected.at(i)),
                     qPrintable(QStringLiteral("position %1").arg(i)));
    }
    QCOMPARE(values.at(-1), 0.0);
    QCOMPARE(values.at(size), 0.0);
}

QTEST_GUILESS_MAIN(DemandReadersTest)
#include "tst_demandreaders.moc"
