#include "readerfixture.h"

#include <QtTest>

class TestConfigurationReader : public QObject
{
    Q_OBJECT

private slots:
    void readsStopDelayAndTimeToRed_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<float>("stopDelay");
        QTest::addColumn<float>("toRedTime");

        QTest::newRow("both") << QByteArray("stop delay 3\nto red time 2\n") << 3.0f << 2.0f;
        QTest::newRow("among other settings")
            << QByteArray("start time 07:30:00\namber time 3.000\nred time 5.000\nstop delay 1.5\ngo to red time 4.5\n")
            << 1.5f << 4.5f;
        QTest::newRow("upper-case forms") << QByteArray("STOP DELAY 4") << 4.0f << 0.0f;
        QTest::newRow("Stop is no keyword") << QByteArray("Stop delay 4") << 0.0f << 0.0f;
        QTest::newRow("time missing") << QByteArray("to red 5") << 0.0f << 0.0f;
        QTest::newRow("to missing") << QByteArray("red time 5") << 0.0f << 0.0f;
        QTest::newRow("broken sequence looked at again") << QByteArray("stop stop delay 2.5") << 2.5f << 0.0f;
        QTest::newRow("keyword in value position") << QByteArray("stop delay to red time 3") << 0.0f << 3.0f;
        QTest::newRow("last entry wins") << QByteArray("stop delay 1 stop delay 7") << 7.0f << 0.0f;
        QTest::newRow("cut short by the end") << QByteArray("to red time 6 stop delay") << 0.0f << 6.0f;
        QTest::newRow("comment") << QByteArray("## stop delay 9\nstop delay 2 ## to red time 8\n") << 2.0f << 0.0f;
    }

    void readsStopDelayAndTimeToRed()
    {
        QFETCH(QByteArray, content);
        QFETCH(float, stopDelay);
        QFETCH(float, toRedTime);
        ReaderFixture f;
        f.readConfiguration(content);
        QCOMPARE(f.stopDelay, stopDelay);
        QCOMPARE(f.toRedTime, toRedTime);
    }

    void missingFileKeepsZeroAndWarns()
    {
        ReaderFixture f;
        f.stopDelay = 0.0f;
        f.readConfiguration();
        QCOMPARE(f.stopDelay, 0.0f);
        QCOMPARE(f.warnings(), 1);
    }
};

QTEST_GUILESS_MAIN(TestConfigurationReader)
#include "tst_configurationreader.moc"
