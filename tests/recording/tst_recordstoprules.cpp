// The rules that end a recording by themselves, checked without any window.

#include "OvProductInfo.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "core/RecordParameter.h"
#include "recording/RecordStopRules.h"

#include <QProcess>
#include <QtTest>

class RecordStopRulesTest : public QObject {
    Q_OBJECT
private slots:
    void lengthAndTimerStopAtTheirSecond();
    void freeSpaceIsAskedEveryFifthCheck();
    void gifLimitAppliesToGifOnly();
    void settingsComeFromTheModel();
    void excludedProgramStartingStops();
};

void RecordStopRulesTest::lengthAndTimerStopAtTheirSecond()
{
    RecordStopRules::Settings s;
    s.lengthEnabled = true;
    s.lengthSeconds = 3;
    RecordStopRules length(s, {});
    QCOMPARE(length.check(2, 0), RecordStopRules::NoStop);
    QCOMPARE(length.check(3, 0), RecordStopRules::StopRecordLength);
    // Found ahead, so that the bar can stop when the third second is recorded, from a check
    // on time or late.
    QCOMPARE(length.plannedStopAfter(0.95), qint64(-1));
    QCOMPARE(length.plannedStopAfter(1.05), qint64(3));
    QCOMPARE(length.plannedStopAfter(2.99), qint64(3));

    // A switched-off length and a timer without a duration never stop anything.
    RecordStopRules::Settings off;
    off.lengthSeconds = 1;
    off.timerEnabled = true;
    off.timerSeconds = 0;
    RecordStopRules never(off, {});
    QCOMPARE(never.check(100000, 0), RecordStopRules::NoStop);

    RecordStopRules::Settings timed;
    timed.timerEnabled = true;
    timed.timerSeconds = 10;
    timed.lengthEnabled = true;
    timed.lengthSeconds = 20;
    RecordStopRules timer(timed, {});
    QCOMPARE(timer.check(9, 0), RecordStopRules::NoStop);
    QCOMPARE(timer.check(10, 0), RecordStopRules::StopTimer);

    // A scheduled task's own rule replaces the timed stop while it records.
    timed.tasking = true;
    qint64 asked = -1;
    timed.taskStop = [&asked](qint64 seconds) {
        asked = seconds;
        return seconds >= 15;
    };
    RecordStopRules task(timed, {});
    QCOMPARE(task.check(12, 0), RecordStopRules::NoStop);
    QCOMPARE(asked, qint64(12));
    QCOMPARE(task.check(15, 0), RecordStopRules::StopTask);
    QCOMPARE(task.plannedStopAfter(13.5), qint64(15));
}

void RecordStopRulesTest::freeSpaceIsAskedEveryFifthCheck()
{
    qint64 freeBytes = RecordStopRules::kMinFreeBytes;
    RecordStopRules rules(RecordStopRules::Settings(), [&freeBytes] { return freeBytes; });
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(rules.check(i, 0), RecordStopRules::NoStop);
    QCOMPARE(rules.freeSpaceQueries(), 0);
    // Exactly the minimum is still enough.
    QCOMPARE(rules.check(5, 0), RecordStopRules::NoStop);
    QCOMPARE(rules.freeSpaceQueries(), 1);

    // Space running out between two questions is seen at the next fifth check only.
    freeBytes = RecordStopRules::kMinFreeBytes - 1;
    for (int i = 6; i <= 9; ++i)
        QCOMPARE(rules.check(i, 0), RecordStopRules::NoStop);
    QCOMPARE(rules.check(10, 0), RecordStopRules::StopDiskFull);
    QVERIFY(!RecordStopRules::messageFor(RecordStopRules::StopDiskFull).isEmpty());

    // A volume that cannot be asked does not stop the recording.
    RecordStopRules unknown(RecordStopRules::Settings(), [] { return qint64(-1); });
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(unknown.check(i, 0), RecordStopRules::NoStop);
}

void RecordStopRulesTest::gifLimitAppliesToGifOnly()
{
    RecordStopRules::Settings s;
    RecordStopRules video(s, {});
    QCOMPARE(video.check(1, RecordStopRules::kGifSizeLimit * 4), RecordStopRules::NoStop);

    s.gif = true;
    RecordStopRules gif(s, {});
    // The limit Preferences names when GIF is chosen: 400 MB.
    constexpr qint64 kNoticeLimit = 400LL * 1024 * 1024;
    QCOMPARE(gif.check(1, 250LL * 1024 * 1024), RecordStopRules::NoStop);
    QCOMPARE(gif.check(2, kNoticeLimit - 1), RecordStopRules::NoStop);
    QCOMPARE(gif.check(3, kNoticeLimit), RecordStopRules::StopGifSize);
    QVERIFY(RecordStopRules::messageFor(RecordStopRules::StopGifSize).contains(QLatin1String("400 MB")));
    // Planned ends need no message.
    QVERIFY(RecordStopRules::messageFor(RecordStopRules::StopTimer).isEmpty());
}

void RecordStopRulesTest::settingsComeFromTheModel()
{
    RecordParameter* param = RecordParameter::instance();
    param->setRecordLength(true, 42);
    param->setTimerEnable(true);
    param->setTimerDuration(7);
    param->setUsedVideoFmt(RP_FMT_GIF);
    param->setOnlyRecordAudio(false);
    param->setOnlyRecordCamera(false);
    RecordStopRules::Settings s = RecordStopRules::fromParameter();
    QVERIFY(s.lengthEnabled);
    QCOMPARE(s.lengthSeconds, qint64(42));
    QVERIFY(s.timerEnabled);
    QCOMPARE(s.timerSeconds, qint64(7));
    QVERIFY(s.gif);

    // An audio recording is never a GIF, whatever the video format says.
    param->setOnlyRecordAudio(true);
    QVERIFY(!RecordStopRules::fromParameter().gif);

    param->setOnlyRecordAudio(false);
    param->setRecordLength(false, 0);
    param->setTimerEnable(false);
    param->setUsedVideoFmt(RP_FMT_MOV);
}

void RecordStopRulesTest::excludedProgramStartingStops()
{
    // A program of a name nothing else here runs.
    const QString program = SrTest::newFolder(QStringLiteral("excluded")) + QStringLiteral("/srplayer");
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
    QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
    OvProductInfo::instance()->setExtendParam(QStringLiteral("ExcludeProgress"), QStringLiteral("srplayer"));
    OvProductInfo::instance()->setExtendParam(QStringLiteral("ExcludeProgressName"), QStringLiteral("The Player"));
    RecordStopRules rules(RecordStopRules::fromParameter(), {});
    QCOMPARE(rules.check(1, 0), RecordStopRules::NoStop);

    QProcess player;
    player.start(program, {QStringLiteral("30")});
    QVERIFY(player.waitForStarted());
    QCOMPARE(rules.check(2, 0), RecordStopRules::StopExcludedProgram);
    QCOMPARE(RecordStopRules::messageFor(RecordStopRules::StopExcludedProgram, rules.excludedProgram()),
             QStringLiteral("The Player started, so the recording was stopped."));
    player.kill();
    player.waitForFinished();
    OvProductInfo::instance()->setExtendParam(QStringLiteral("ExcludeProgress"), QString());
    OvProductInfo::instance()->setExtendParam(QStringLiteral("ExcludeProgressName"), QString());
}

SR_TEST(RecordStopRulesTest)
#include "tst_recordstoprules.moc"
