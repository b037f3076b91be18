// What an output file receives in writes of every size, across the steps
// in which it is handed to the disk and dropped from the page cache, is
// the file that appears; without a commit nothing appears.

#include <cvoutputfile.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 MiB = qint64(1) << 20;

// Bytes that differ from one position to the next, so that a piece written
// twice, skipped or out of place shows.
QByteArray pattern(qint64 size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = quint32(seed) * 2654435761u + 1;
    for (qint64 i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

}  // namespace

class TestOutputFile : public QObject
{
    Q_OBJECT

private slots:
    void writesArriveWhole_data();
    void writesArriveWhole();
    void uncommittedFileLeavesNothing();
};

void TestOutputFile::writesArriveWhole_data()
{
    QTest::addColumn<QList<qint64>>("writes");
    QTest::newRow("small writes over several steps") << QList<qint64>(45000, 1000);
    QTest::newRow("one block of several steps") << QList<qint64>{40 * MiB + 123};
    QTest::newRow("block exactly one step") << QList<qint64>{16 * MiB};
    QTest::newRow("small, large, small") << QList<qint64>{100, 17 * MiB + 5, 3000, 33 * MiB, 7};
    QTest::newRow("buffered bytes before a block") << QList<qint64>{65535, 20 * MiB, 65535, 65536};
    QTest::newRow("nothing") << QList<qint64>{};
}

void TestOutputFile::writesArriveWhole()
{
    QFETCH(QList<qint64>, writes);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("out/model.json"));

    QByteArray expected;
    CVOutputFile output(path);
    QVERIFY2(output.open(), qPrintable(output.errorString()));
    for (int i = 0; i < writes.size(); ++i) {
        const QByteArray piece = pattern(writes[i], i);
        QCOMPARE(output.device()->write(piece), qint64(piece.size()));
        expected += piece;
    }
    QVERIFY(!QFile::exists(path));
    QVERIFY2(output.commit(), qPrintable(output.errorString()));

    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray content = written.readAll();
    QCOMPARE(content.size(), expected.size());
    QVERIFY(content == expected);
    QCOMPARE(QDir(folder.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestOutputFile::uncommittedFileLeavesNothing()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("new/folder/model.json"));
    {
        CVOutputFile output(path);
        QVERIFY(output.open());
        QCOMPARE(output.device()->write(pattern(20 * MiB, 1)), 20 * MiB);
    }
    QVERIFY(!QFile::exists(path));
    QVERIFY(!QDir(folder.filePath(QStringLiteral("new"))).exists());
}

QTEST_GUILESS_MAIN(TestOutputFile)
#include "tst_outputfile.moc"
