// Work done beside the making of its items: every item worked exactly
// once, whether the second thread keeps up or not, with or without work
// sharing; a full container refuses items; a failure on either thread
// reaches finish.

#include "reader/containers/workbesidemaking.h"

#include <QtTest>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

struct Counts
{
    explicit Counts(std::size_t n) : worked(new std::atomic<int>[n]()) {}
    std::unique_ptr<std::atomic<int>[]> worked;
};

thread_local bool onMaker = false;

}  // namespace

class TestWorkBesideMaking : public QObject
{
    Q_OBJECT

private slots:
    void everyItemWorkedOnce_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("sharing");
        QTest::addColumn<bool>("slowMaker");
        for (const int count : {0, 1, 63, 64, 65, 20000}) {
            for (const bool sharing : {true, false}) {
                QTest::addRow("%d items, %s", count, sharing ? "shared" : "alone") << count << sharing << false;
            }
        }
        // The second thread waits for each batch and must be woken for it.
        QTest::newRow("maker slower than the work") << 1000 << true << true;
    }

    void everyItemWorkedOnce()
    {
        QFETCH(int, count);
        QFETCH(bool, sharing);
        QFETCH(bool, slowMaker);
        workSharingAllowed() = sharing;
        Counts counts(std::size_t(count) + 1);
        std::atomic<int> onSecond{0};
        int workedBeforeFinish = 0;
        const auto work = [&counts, &onSecond](int item) {
            ++counts.worked[std::size_t(item)];
            if (!onMaker)
                ++onSecond;
        };
        onMaker = true;
        {
            WorkBesideMaking<int, decltype(work)> beside(std::size_t(count), work);
            if (slowMaker)  // the second thread is waiting before the first item comes
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            for (int i = 0; i < count; ++i) {
                QVERIFY(beside.add(i));
                if (slowMaker && i % 64 == 63)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            QVERIFY(!beside.add(count));  // the room is used up
            workedBeforeFinish = onSecond.load();
            beside.finish();
        }
        onMaker = false;
        workSharingAllowed() = true;
        for (int i = 0; i < count; ++i)
            QCOMPARE(counts.worked[std::size_t(i)].load(), 1);
        QCOMPARE(counts.worked[std::size_t(count)].load(), 0);
        if (!sharing)
            QCOMPARE(onSecond.load(), 0);
        if (slowMaker)
            QVERIFY2(workedBeforeFinish > 0, "the second thread was never woken for a batch");
    }

    void failureReachesFinish_data()
    {
        QTest::addColumn<bool>("sharing");
        // Alone, the maker works every item in finish; shared, a slow
        // maker leaves whole batches to the second thread.
        QTest::newRow("thrown on the maker's thread") << false;
        QTest::newRow("thrown on the second thread") << true;
    }

    void failureReachesFinish()
    {
        QFETCH(bool, sharing);
        workSharingAllowed() = sharing;
        onMaker = true;
        const auto work = [sharing](int) {
            if (onMaker != sharing)
                throw std::runtime_error("no room");
        };
        bool thrown = false;
        {
            WorkBesideMaking<int, decltype(work)> beside(1000, work);
            for (int i = 0; i < 1000; ++i) {
                beside.add(i);
                if (i % 64 == 63)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            try {
                beside.finish();
            } catch (const std::runtime_error&) {
                thrown = true;
            }
        }
        onMaker = false;
        workSharingAllowed() = true;
        QVERIFY(thrown);
    }
};

QTEST_GUILESS_MAIN(TestWorkBesideMaking)
#include "tst_workbesidemaking.moc"
