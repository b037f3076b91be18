// Files that shrink while they are mapped: reading on is safe, and the
// mapping says that what was read is not the file.

#include "testsupport.h"

#include <cvguardedmapping.h>

#include <QFile>
#include <QtTest>

class TestGuardedMapping : public QObject
{
    Q_OBJECT

private slots:
    void shrinkingFileIsNoticed_data();
    void shrinkingFileIsNoticed();
    void severalMappingsAreTold();
    void devicesAreNotMapped();
};

void TestGuardedMapping::shrinkingFileIsNoticed_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("shrunkTo");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("unchanged") << qint64(3 * 4096 + 17) << qint64(-1) << false;
    QTest::newRow("emptied") << qint64(3 * 4096 + 17) << qint64(0) << true;
    QTest::newRow("cut mid page") << qint64(3 * 4096 + 17) << qint64(5000) << true;
    // Within the last page the bytes past the end read as zeros: nothing
    // faults, and the words read up to there are the file's.
    QTest::newRow("cut in the last page") << qint64(3 * 4096 + 17) << qint64(3 * 4096 + 1) << false;
}

void TestGuardedMapping::shrinkingFileIsNoticed()
{
    QFETCH(qint64, size);
    QFETCH(qint64, shrunkTo);
    QFETCH(bool, damaged);
    NetworkDir dir;
    const QString path = dir.write("data", QByteArray(size, 'x'));
    CVGuardedMapping mapping;
    QVERIFY(mapping.map(path));
    QCOMPARE(qint64(mapping.size()), size);
    if (shrunkTo >= 0)
        QVERIFY(QFile::resize(path, shrunkTo));
    qint64 xs = 0;
    for (std::size_t i = 0; i < mapping.size(); ++i)
        xs += mapping.data()[i] == 'x';
    QCOMPARE(mapping.damaged(), damaged);
    // Pages past the new end read as zeros.
    QCOMPARE(xs, shrunkTo >= 0 ? shrunkTo : size);
}

// The fault of one mapping marks that mapping only.
void TestGuardedMapping::severalMappingsAreTold()
{
    NetworkDir dir;
    const QString kept = dir.write("kept", QByteArray(8192, 'k'));
    const QString cut = dir.write("cut", QByteArray(8192, 'c'));
    CVGuardedMapping first;
    CVGuardedMapping second;
    QVERIFY(first.map(kept) && second.map(cut));
    QVERIFY(QFile::resize(cut, 0));
    volatile char sink = 0;
    for (std::size_t i = 0; i < 8192; ++i)
        sink = char(sink + first.data()[i] + second.data()[i]);
    QVERIFY(!first.damaged());
    QVERIFY(second.damaged());
}

void TestGuardedMapping::devicesAreNotMapped()
{
    CVGuardedMapping mapping;
    QVERIFY(!mapping.map(QStringLiteral("/dev/zero")));
    QCOMPARE(mapping.size(), std::size_t(0));
}

QTEST_GUILESS_MAIN(TestGuardedMapping)
#include "tst_guardedmapping.moc"
