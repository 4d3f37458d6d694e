// The wait between a record click and the start for the recorder's sound: never shorter than
// its least wait, open as soon as the sound flows after that, open at its longest wait when
// the sound never flows, and silent once cancelled.

#include "TestMain.h"
#include "WaitFor.h"
#include "app/RecordStartGate.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace {
// Far longer than any case waits: a gate that reaches it has not seen the sound flow.
const int kNever = 600000;
} // namespace

class RecordStartGateTest : public QObject {
    Q_OBJECT
private slots:
    void opensWhenTheSoundFlowsButNotBeforeTheLeastWait();
    void opensAtTheLongestWaitOrNotAtAllOnceCancelled();
};

void RecordStartGateTest::opensWhenTheSoundFlowsButNotBeforeTheLeastWait()
{
    RecordStartGate gate;
    int opened = 0;
    connect(&gate, &RecordStartGate::sigOpen, [&opened] { ++opened; });
    QElapsedTimer clock;

    // Flowing from the first moment: open after the least wait, and not asked before it.
    qint64 firstAsked = -1;
    clock.start();
    gate.start([&] {
        if (firstAsked < 0)
            firstAsked = clock.elapsed();
        return true;
    }, 300, kNever);
    QVERIFY(gate.isWaiting());
    QVERIFY(SrTest::spinUntil([&opened] { return opened == 1; }, 30000));
    QVERIFY2(clock.elapsed() >= 300 && firstAsked >= 300, qPrintable(QString::number(firstAsked)));
    QVERIFY(!gate.isWaiting());

    // Flowing a while after the least wait: open then, long before the longest wait.
    bool flowing = false;
    bool openedEarly = false;
    gate.start([&flowing] { return flowing; }, 10, kNever);
    QTimer::singleShot(300, [&] {
        openedEarly = opened > 1;
        flowing = true;
    });
    QVERIFY(SrTest::spinUntil([&opened] { return opened == 2; }, 30000));
    QVERIFY(!openedEarly);
}

void RecordStartGateTest::opensAtTheLongestWaitOrNotAtAllOnceCancelled()
{
    RecordStartGate gate;
    int opened = 0;
    connect(&gate, &RecordStartGate::sigOpen, [&opened] { ++opened; });
    QElapsedTimer clock;
    clock.start();
    gate.start([] { return false; }, 10, 300);
    QVERIFY(SrTest::spinUntil([&opened] { return opened == 1; }, 30000));
    QVERIFY(clock.elapsed() >= 300);

    // Cancelled: a timer started after the gate's and due after its longest wait comes first.
    gate.start([] { return true; }, 50, 100);
    gate.cancel();
    QVERIFY(!gate.isWaiting());
    bool later = false;
    QTimer::singleShot(200, [&later] { later = true; });
    QVERIFY(SrTest::spinUntil([&later] { return later; }, 30000));
    QCOMPARE(opened, 1);
}

SR_TEST(RecordStartGateTest)

#include "tst_recordstartgate.moc"
