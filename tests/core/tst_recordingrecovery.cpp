// Recordings never lose their files to another: a recording killed half-way (a child process
// that records the real Xvfb screen, then gets SIGKILL) is recovered at the next start-up with
// its history entry, while a live recording and an unreadable leftover stay untouched; the
// scratch files of one saved recording are removed without touching another's. A link another
// user puts at the recovered recording's name in a shared output folder is never written through.

#include "ModalAnswers.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "ScEngine.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "core/RecordingScratch.h"
#include "core/ScreenRecorder.h"
#include "output/RecordingRecovery.h"
#include "services/Utils.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace {
// Set in the child: the data folder of the parent, whose temporary root the child records into.
const char kChildVariable[] = "SR_RECORD_UNTIL_KILLED";

// The child's part: record until killed.
void recordUntilKilled()
{
    qputenv("XDG_DATA_HOME", qgetenv(kChildVariable));
    RecordParameter::instance()->setVideoRect(QRect(0, 0, 320, 240));
    ScreenRecorder* recorder = ScreenRecorder::instance();
    if (!recorder->recordVideo() || !recorder->start())
        ::_exit(3);
    printf("recording\n");
    fflush(stdout);
    SrTest::spinUntil([] { return false; }, 120000);
    ::_exit(4);
}
// Another member of the output folder's group: once a file is made in one of the watched
// folders, it puts a link to `pointee` at `name` in place of whatever has that name.
struct NameTaker {
    NameTaker(const QStringList& watched, const QByteArray& name, const QByteArray& pointee)
    {
        for (const QString& folder : watched)
            ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_CREATE);
        m_thread = std::thread([this, name, pointee] {
            char events[4096];
            pollfd ready{m_fd, POLLIN, 0};
            while (!m_stop && (::poll(&ready, 1, 20) <= 0 || ::read(m_fd, events, sizeof events) <= 0)) {}
            const QByteArray beside = name + ".link";
            m_struck = !m_stop && ::symlink(pointee, beside) == 0 && ::rename(beside, name) == 0;
        });
    }
    ~NameTaker() { m_stop = true; m_thread.join(); ::close(m_fd); }
    const int m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_struck{false};
    std::thread m_thread;
};
} // namespace

class RecordingRecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { scInitialize(); }
    void cleanupTestCase()
    {
        ScreenRecorder::release();
        RecordParameter::release();
    }

    void killedRecordingIsRecoveredAndNoOtherIsTouched()
    {
        if (qEnvironmentVariableIsSet(kChildVariable))
            recordUntilKilled();
        const QString output = SrTest::newFolder(QStringLiteral("recovered"));
        Utils::setVideoOutputPath(output);

        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildVariable), qEnvironmentVariable("XDG_DATA_HOME"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("killedRecordingIsRecoveredAndNoOtherIsTouched")});
        QByteArray said;
        QVERIFY(SrTest::spinUntil([&] { return (said += child.readAllStandardOutput()).contains("recording\n"); }, 30000));
        QTest::qWait(2500);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        const QStringList orphans = RecordingScratch::orphans();
        QCOMPARE(orphans.size(), 1);
        const QString leftover = orphans.first();
        const QString broken = leftover + QStringLiteral("/Recording_broken.mov.recording.mp4");
        QVERIFY(SrTest::writeFile(broken, 4096));

        // A recording of this process runs meanwhile, and another one is saved and cleared.
        RecordParameter::instance()->setVideoRect(QRect(0, 0, 320, 240));
        ScreenRecorder* recorder = ScreenRecorder::instance();
        QVERIFY(recorder->recordVideo() && recorder->start());
        const QString live = recorder->outputPath();
        const QString saved = RecordingScratch::create() + QStringLiteral("/Recording_saved.mp4");
        QVERIFY(SrTest::writeFile(saved, 1000));
        Utils::removeTempRoot(saved);
        QVERIFY(!QFileInfo::exists(QFileInfo(saved).absolutePath()));
        QCOMPARE(RecordingScratch::orphans(), QStringList{leftover});

        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
        QObject owner;
        RecordingRecovery* recovery = RecordingRecovery::start(&owner, nullptr);
        QVERIFY(recovery);
        QSignalSpy finished(recovery, &RecordingRecovery::finished);
        QVERIFY(SrTest::spinUntil([&] { return finished.count() == 1; }, 60000));

        const QStringList files = SrTest::filesIn(output);
        QCOMPARE(files.size(), 1);
        const QString recovered = output + QLatin1Char('/') + files.first();
        QVERIFY(files.first().startsWith(QLatin1String("Video_")) && files.first().endsWith(QLatin1String("_recovered.mov")));
        const double seconds = Utils::getMediaDuration(recovered);
        QVERIFY2(seconds > 1.0, qPrintable(QString::number(seconds)));
        QVERIFY(!SrTest::frameAt(recovered, 1.0).isNull());
        const HistoryFileUtils::HistoryFile entry = HistoryFileUtils::savefileHistroy().value(0);
        QCOMPARE(entry.path, recovered);
        QCOMPARE(entry.type, int(HFT_VIDEO));
        QCOMPARE(entry.resolution, QStringLiteral("320*240"));
        // The unreadable leftover stays, and the user hears of both.
        QCOMPARE(RecordingScratch::filesIn(leftover), QStringList{QFileInfo(broken).fileName()});
        QCOMPARE(finished.first().value(1).toStringList(), QStringList{broken});
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains(files.first()));
        QVERIFY(ModalAnswers::messages().first().contains(QFileInfo(broken).fileName()));

        QVERIFY(recorder->isRecording());
        QVERIFY(recorder->stop());
        QVERIFY(Utils::getMediaDuration(live) > 0);
    }

    void recoveryNeverWritesThroughALinkInASharedFolder_data()
    {
        QTest::addColumn<bool>("pointeeExists");
        QTest::newRow("link to a file") << true;
        QTest::newRow("link leading nowhere") << false;
    }
    void recoveryNeverWritesThroughALinkInASharedFolder()
    {
        // A killed recording's file in progress; the link comes at its name while it is recovered.
        QFETCH(bool, pointeeExists);
        const QString output = SrTest::newFolder(QStringLiteral("shared_%1").arg(QTest::currentDataTag()));
        const QString pointee = SrTest::newFolder(QStringLiteral("outside_%1").arg(QTest::currentDataTag()))
                                + QStringLiteral("/precious.mp4");
        QVERIFY(!pointeeExists || SrTest::writeFile(pointee, 5));
        const QString scratch = RecordingScratch::create();
        QVERIFY(!scratch.isEmpty());
        const QString leftover = scratch + QStringLiteral("/Recording_a.mp4.recording.mp4");
        QVERIFY(SrTest::makeClip(leftover, 2.0));
        const QString stamp = QLocale::c().toString(QFileInfo(leftover).lastModified(), QStringLiteral("yy-MM-dd_hh-mm-ss"));
        const QString name = output + QStringLiteral("/Video_") + stamp + QStringLiteral("_recovered.mp4");

        RecordingRecovery::Result result;
        {
            NameTaker taker({output, scratch}, QFile::encodeName(name), QFile::encodeName(pointee));
            result = RecordingRecovery::recoverFolder(scratch, output);
            QVERIFY(SrTest::spinUntil([&] { return taker.m_struck.load(); }, 10000));
        }
        QCOMPARE(QFileInfo(pointee).size(), qint64(pointeeExists ? 5 : 0));
        QVERIFY(QFileInfo(name).isSymLink());
        QCOMPARE(result.saved.size(), 1);
        const QString saved = result.saved.first().path;
        QVERIFY2(QFileInfo(saved).absolutePath() == output && !QFileInfo(saved).isSymLink()
                     && Utils::getMediaDuration(saved) > 1.0, qPrintable(saved));
        QCOMPARE(QDir(output).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 2); // the link and the recording, nothing beside
    }

    void audioRecordingsKeepTheirOwnTracks()
    {
        RecordParameter::instance()->setOnlyRecordAudio(true);
        ScreenRecorder* recorder = ScreenRecorder::instance();
        QStringList tracks;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(recorder->recordAudio() && recorder->start());
            QTest::qWait(500);
            QVERIFY(recorder->stop());
            tracks << recorder->outputPath();
        }
        QVERIFY(tracks[0] != tracks[1]);
        Utils::removeTempRoot(tracks[1]);
        QVERIFY(!QFileInfo::exists(tracks[1]));
        QVERIFY(Utils::getMediaDuration(tracks[0]) > 0.3);
    }
};

SR_TEST_DISPLAY(RecordingRecoveryTest)

#include "tst_recordingrecovery.moc"
