#include "readerfixture.h"

#include <QtTest>

#include <cmath>
#include <limits>

// Demands files, profiles of both variants, the matrix file, and the
// compact storage of OD values.
class DemandReadersTest : public QObject
{
    Q_OBJECT

private slots:
    void readsDemands_data();
    void readsDemands();
    void readsProfiles_data();
    void readsProfiles();
    void readsMatrixFile();
    void matrixHeaders_data();
    void matrixHeaders();
    void odValuesKeepEveryValue();
    void odValuesAssignedAsAppended_data();
    void odValuesAssignedAsAppended();
};

namespace {

QString joined(const QVector<double>& values)
{
    QStringList texts;
    for (double v : values)
        texts << QString::number(v);
    return texts.join(QLatin1Char(','));
}

}  // namespace

void DemandReadersTest::readsDemands_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");  // demands.2 when given, else "demands" alone
    QTest::addColumn<QString>("expected");   // "m<matrix> p<period> {origin: row | ...}" per demand

    QTest::newRow("divisor applies to later rows; origins renumbered")
        << QByteArray("demand period 1\nmatrix count 1\nmatrix 1\nfrom 5 10 20 ## 30\ndivisor 10\nfrom 2 5 0\n") << QByteArray()
        << "m1 p1 {2: 0.5,0 | 105: 10,20}";
    QTest::newRow("a period after a matrix begins applies to the next")
        << QByteArray("matrix count 2 period 1 matrix 1 period 3 from 1 4 matrix 2 from 1 5") << QByteArray()
        << "m1 p1 {1: 4}; m2 p3 {1: 5}";
    QTest::newRow("no count: the first matrix ends the reading")
        << QByteArray("from 1 9 period 1 matrix 1 from 1 4") << QByteArray() << "";
    QTest::newRow("count, period and divisor carry into the next file")
        << QByteArray("matrix count 2 period 4 divisor 2 matrix 1 from 1 2 from 1 8") << QByteArray("matrix 2 from 1 6")
        << "m1 p4 {1: 4}; m2 p4 {1: 3}";
    QTest::newRow("a matrix above the count silences later files")
        << QByteArray("matrix count 1 matrix 1 from 1 7 matrix 2 from 1 8") << QByteArray("matrix count 5 matrix 3 from 1 9")
        << "m1 p0 {1: 7}";
}

void DemandReadersTest::readsDemands()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QString, expected);

    const bool twoFiles = !second.isEmpty();
    ReaderFixture run;
    run.dir.write(QStringLiteral("demands.1"), first);
    run.dir.write(QStringLiteral("demands.2"), second);
    run.zoneRenumbering.insert(5, 105);
    run.readDemands(twoFiles ? QStringList{"demands.1", "demands.2"} : QStringList{"demands.1"});

    QStringList demands;
    for (const ParamicsDemand* d : run.demands) {
        QStringList rows;
        for (auto it = d->rows.cbegin(); it != d->rows.cend(); ++it)
            rows << QStringLiteral("%1: %2").arg(it.key()).arg(joined(it.value().toVector()));
        demands << QStringLiteral("m%1 p%2 {%3}").arg(d->matrix).arg(d->period).arg(rows.join(QStringLiteral(" | ")));
    }
    QCOMPARE(demands.join(QStringLiteral("; ")), expected);
}

void DemandReadersTest::readsProfiles_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");  // "<number> <interval>s <start> [values]" per profile

    QTest::newRow("Sias: minutes, hour with a colon, hours inside the values skipped")
        << "Sias" << QByteArray("profile 1\ninterval 15\nhour 07: 10 20 hour 08: 30 40\n") << "1 900s 07:00:00 [10,20,30,40]";
    QTest::newRow("Sias: single-precision divisor, no interval gives 0")
        << "Sias" << QByteArray("divisor 3 profile demand profile 1 hour 06: 1") << "1 0s 06:00:00 [0.33333334]";
    QTest::newRow("Sias: a profile above the count ends the file; a bad hour is null")
        << "Sias" << QByteArray("profile count 1 profile 1 hour 25: 5 profile 2 hour 08: 6") << "1 0s null [5]";
    QTest::newRow("Sias: an hour before any profile is skipped alone")
        << "Sias" << QByteArray("hour profile 1 hour 08: 7") << "1 0s 08:00:00 [7]";
    QTest::newRow("Sias: a repeated profile number replaces the earlier")
        << "Sias" << QByteArray("profile 1 hour 07: 1 profile 1 hour 08: 2") << "1 0s 08:00:00 [2]";
    QTest::newRow("Quadstone: interval before the period applies; after it, to the next")
        << "Quadstone" << QByteArray("period count 1 interval 15 period 1 interval 30 start 07:30:15 1 period 2 start 08:00 2")
        << "1 900s 07:30:15 [1]; 2 1800s 08:00:00 [2]";
    QTest::newRow("Quadstone: a start before any period is ignored with its values")
        << "Quadstone" << QByteArray("start 07:00 10 20 period 1 divisor 4 start 08:00 10") << "1 0s 08:00:00 [2.5]";
}

void DemandReadersTest::readsProfiles()
{
    QFETCH(QString, version);
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);

    ReaderFixture run;
    run.dir.write("profile", file);
    if (version == QLatin1String("Sias"))
        run.readProfilesSias();
    else
        run.readProfilesQuadstone();

    QStringList profiles;
    for (const ParamicsProfile* p : run.profiles) {
        QStringList values;
        for (float v : p->values)
            values << QString::number(v, 'g', 8);
        profiles << QStringLiteral("%1 %2s %3 [%4]").arg(p->number).arg(p->interval)
                        .arg(p->start.isNull() ? QStringLiteral("null") : p->start.toString(QStringLiteral("HH:mm:ss")))
                        .arg(values.join(QLatin1Char(',')));
    }
    QCOMPARE(profiles.join(QStringLiteral("; ")), expected);
}

void DemandReadersTest::readsMatrixFile()
{
    // No count: matrix 2 ends the file. The last row is one value short.
    ReaderFixture run;
    run.dir.write("matrix", "from 1 9 9\nmatrix 1\nfrom 5: 0 1 2\nfrom 20: 3 0 5\nfrom 30: 6 7\nmatrix 2 from 1 1");
    run.zoneRenumbering.insert(5, 105);
    run.readMatrix();
    QCOMPARE(run.matrixEntries.keys(), QList<int>({1}));
    const ParamicsMatrix* m = run.matrixEntries.value(1);
    QCOMPARE(m->rowIndex, (QMap<int, int>{{105, 0}, {20, 1}, {30, 2}}));
    QCOMPARE(m->value(105, 30), 2.0);
    QCOMPARE(m->value(30, 20), 7.0);
    QCOMPARE(m->value(30, 30), 0.0);  // beyond the values read
    QCOMPARE(m->value(5, 20), 0.0);   // written number, not a row
}

void DemandReadersTest::matrixHeaders_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");  // "m<number> {origin:row ...} [values]" per matrix

    QTest::newRow("rows counted from 0 in each matrix")
        << QByteArray("matrix count 2 matrix 1 from 1 1 2 from 2 3 4 matrix 2 from 2 5 6 from 1 7 8")
        << "m1 {1:0 2:1} [1,2,3,4]; m2 {1:1 2:0} [5,6,7,8]";
    QTest::newRow("matrix and a word begins nothing")
        << QByteArray("matrix 1 from 1 5 matrix x from 2 6") << "m1 {1:0 2:1} [5,6]";
    QTest::newRow("matrix count and a word keeps the count")
        << QByteArray("matrix count two matrix 1 from 1 5 matrix 2 from 1 6") << "m1 {1:0} [5]";
    QTest::newRow("matrix count and a keyword looks at the keyword")
        << QByteArray("matrix count matrix 1 from 1 5") << "m1 {1:0} [5]";
    QTest::newRow("a repeated matrix number replaces the earlier")
        << QByteArray("matrix count 3 matrix 1 from 1 5 matrix 1 from 1 6") << "m1 {1:0} [6]";
}

void DemandReadersTest::matrixHeaders()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    ReaderFixture run;
    run.readMatrix(file);
    QStringList matrices;
    for (const ParamicsMatrix* m : run.matrixEntries) {
        QStringList rows;
        for (auto it = m->rowIndex.cbegin(); it != m->rowIndex.cend(); ++it)
            rows << QStringLiteral("%1:%2").arg(it.key()).arg(it.value());
        matrices << QStringLiteral("m%1 {%2} [%3]").arg(m->number).arg(rows.join(' ')).arg(joined(m->values.toVector()));
    }
    QCOMPARE(matrices.join(QStringLiteral("; ")), expected);
}

void DemandReadersTest::odValuesKeepEveryValue()
{
    // Sparse at first, plain once dense; -0.0 and NaN kept as they are.
    QVector<double> expected;
    ParamicsOdValues values;
    for (int i = 0; i < 3000; ++i) {
        double v = (i < 1000 ? i % 20 == 0 : i % 10 != 0) ? i * 0.5 : 0.0;
        if (i == 500 || i == 2500)
            v = -0.0;
        if (i == 1500)
            v = std::numeric_limits<double>::quiet_NaN();
        expected << v;
        values.append(v);
    }
    QCOMPARE(values.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const double got = values.at(i);
        QVERIFY2(std::isnan(expected[i]) ? std::isnan(got) : got == expected[i] && std::signbit(got) == std::signbit(expected[i]),
                 qPrintable(QString::number(i)));
    }
    QCOMPARE(values.at(3000), 0.0);
}

// A row given whole is stored as appending its values one by one stores
// it: the same values, and the same storage (sparse or plain), also when
// the row turns plain exactly at the smallest size that may.
void DemandReadersTest::odValuesAssignedAsAppended_data()
{
    QTest::addColumn<QVector<double>>("row");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto pattern = [](int size, auto value) {
        QVector<double> row;
        for (int i = 0; i < size; ++i)
            row << value(i);
        return row;
    };
    QTest::newRow("empty") << QVector<double>{};
    QTest::newRow("zeros only") << pattern(200, [](int) { return 0.0; });
    QTest::newRow("short and full stays sparse") << pattern(63, [](int i) { return i + 1.0; });
    QTest::newRow("turns plain at 64") << pattern(100, [](int i) { return i < 33 ? 2.0 : 0.0; });
    QTest::newRow("one short of turning plain") << pattern(100, [](int i) { return i < 32 ? 2.0 : 0.0; });
    QTest::newRow("plain early, zeros later") << pattern(3000, [](int i) { return i < 100 ? 1.5 : 0.0; });
    QTest::newRow("sparse, then plain late")
        << pattern(3000, [](int i) { return (i < 1000 ? i % 20 == 0 : i % 10 != 0) ? i * 0.5 : 0.0; });
    QTest::newRow("negative zero and not-a-number count as values")
        << pattern(200, [nan](int i) { return i % 2 ? -0.0 : i % 3 ? nan : 0.0; });
}

void DemandReadersTest::odValuesAssignedAsAppended()
{
    QFETCH(QVector<double>, row);
    ParamicsOdValues appended;
    for (double v : row)
        appended.append(v);
    appended.squeeze();
    ParamicsOdValues assigned;
    assigned.append(7.0);  // replaced whole
    assigned.assign(row.constData(), row.size());

    QCOMPARE(assigned.size(), row.size());
    QCOMPARE(assigned.storageBytes(), appended.storageBytes());
    for (qsizetype i = 0; i <= row.size(); ++i) {
        const double want = appended.at(i);
        const double got = assigned.at(i);
        QVERIFY2(std::isnan(want) ? std::isnan(got) : got == want && std::signbit(got) == std::signbit(want),
                 qPrintable(QString::number(i)));
    }
    QList<qsizetype> visitedAppended;
    QList<qsizetype> visitedAssigned;
    appended.forEachNonZero(0, row.size(), [&](qsizetype i, double) { visitedAppended << i; });
    assigned.forEachNonZero(0, row.size(), [&](qsizetype i, double) { visitedAssigned << i; });
    QCOMPARE(visitedAssigned, visitedAppended);
}

QTEST_GUILESS_MAIN(DemandReadersTest)
#include "tst_demandreaders.moc"
