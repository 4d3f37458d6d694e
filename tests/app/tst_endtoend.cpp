// The whole recording road: the test runs this program again as the application (its
// static start-up calls main_entry, as the host executable does), with a driver inside that
// presses the main window's buttons, stops through the control bar and saves in the
// preview dialog, answering every modal question itself. The test then checks, from the
// outside, the saved file and its history entry.

#include "app/MainEntry.h"
#include "OvModalHook.h"
#include "OvSettings.h"
#include "ChildApplication.h"
#include "FindChild.h"
#include "TestEnv.h"
#include "RecordedSpan.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "core/HistoryFileUtils.h"
#include "output/DlgVideoClip.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {
const char* const kChildMode = "SR_E2E_CHILD";     // "video" or "audio": run as the application
const char* const kChildReport = "SR_E2E_REPORT";  // where the driver writes what it saw

template <typename T = QWidget> T* findWidget(const QString& name) { return SrTest::widgetNamed<T>(name); }

// The driver inside the application process: presses the buttons as a user would, once
// each thing it needs is there.
class RoadDriver : public QObject {
public:
    explicit RoadDriver(const QString& mode)
        : m_strMode(mode)
    {
        m_watchdog.start();
        connect(&m_tick, &QTimer::timeout, this, &RoadDriver::step);
        m_tick.start(100);
    }

    // Answers every modal question of the application.
    QVariant answer(const OvModalRequest& request)
    {
        if (request.kind == OvModalRequest::Dialog && request.className == QLatin1String("DlgVideoClip"))
            return savePreview(qobject_cast<DlgVideoClip*>(request.widget));
        // The hotkey reminder before the first recording: read and closed.
        if (request.kind == OvModalRequest::Dialog && request.className == QLatin1String("DlgHotKeyMessage"))
            return QVariant(int(QDialog::Accepted));
        m_questions.append(QStringLiteral("%1 %2 %3").arg(int(request.kind)).arg(request.className, request.text));
        return request.kind == OvModalRequest::MessageBox ? QVariant(int(0x400000)) : QVariant();
    }

private:
    enum State { WaitMainWindow, WaitRecording, Recording, Finishing, Done };

    void step()
    {
        if (m_watchdog.elapsed() > 120000) {
            m_report[QStringLiteral("error")] = QStringLiteral("timed out in state %1").arg(int(m_state));
            finish();
            return;
        }
        switch (m_state) {
        case WaitMainWindow: {
            auto* mode = findWidget<QAbstractButton>(m_strMode == QLatin1String("audio") ? QStringLiteral("btnAudioOnly")
                                                                                         : QStringLiteral("btnFullScreen"));
            auto* rec = findWidget<QAbstractButton>(QStringLiteral("btnRec"));
            if (!mode || !rec || !rec->isVisible())
                return;
            m_state = WaitRecording;
            mode->click();
            m_sinceRecClick.start();
            rec->click();
            break;
        }
        case WaitRecording: {
            VideoRecCtlWdg* bar = controlBar();
            if (!bar || !bar->isRecording())
                return;
            m_state = Recording;
            m_recordingSince.start();
            m_report[QStringLiteral("recording")] = true;
            m_report[QStringLiteral("barShown")] = bar->isVisible();
            break;
        }
        case Recording: {
            if (m_recordingSince.elapsed() < 3000)
                return;
            VideoRecCtlWdg* bar = controlBar();
            if (!bar) {
                m_report[QStringLiteral("error")] = QStringLiteral("the control bar went away while recording");
                finish();
                return;
            }
            m_state = Finishing;
            // What was recorded lies between the time the bar was seen recording and the
            // time since REC was clicked (a busy machine may run this tick late).
            m_report[QStringLiteral("recordedLeastMs")] = double(m_recordingSince.elapsed());
            // The file is finished off the GUI thread; then the preview and the save run.
            bar->findChild<QAbstractButton*>(QStringLiteral("btnStop"))->click();
            m_report[QStringLiteral("recordedMostMs")] = double(m_sinceRecClick.elapsed());
            break;
        }
        case Finishing:
            if (!controlBar()) { // the road ended and the bar is gone
                m_state = Done;
                finish();
            }
            break;
        case Done: break;
        }
    }

    VideoRecCtlWdg* controlBar() const { return SrTest::topLevel<VideoRecCtlWdg>(); }

    QVariant savePreview(DlgVideoClip* dlg)
    {
        if (!dlg)
            return QVariant(0);
        m_report[QStringLiteral("previewOpened")] = true;
        if (!SrTest::spinUntil([dlg] { return dlg->isPlayerReady(); }, 30000))
            m_report[QStringLiteral("error")] = QStringLiteral("the player did not get ready");
        bool ended = false;
        connect(dlg, &QDialog::finished, this, [&ended] { ended = true; });
        dlg->findChild<QAbstractButton*>(QStringLiteral("btnSave"))->click();
        if (!SrTest::spinUntil([&ended] { return ended; }, 60000))
            m_report[QStringLiteral("error")] = QStringLiteral("the preview dialog did not end");
        m_report[QStringLiteral("previewResult")] = dlg->result();
        return QVariant();
    }

    void finish()
    {
        m_tick.stop();
        m_report[QStringLiteral("questions")] = QJsonArray::fromStringList(m_questions);
        QFile file(qEnvironmentVariable(kChildReport));
        if (file.open(QIODevice::WriteOnly))
            file.write(QJsonDocument(m_report).toJson());
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

    QString m_strMode;
    State m_state = WaitMainWindow;
    QTimer m_tick;
    QElapsedTimer m_watchdog;
    QElapsedTimer m_recordingSince;
    QElapsedTimer m_sinceRecClick;
    QJsonObject m_report;
    QStringList m_questions;
};

RoadDriver* g_driver = nullptr;

void createDriver()
{
    g_driver = new RoadDriver(qEnvironmentVariable(kChildMode));
}

// Run as the application: main_entry with the driver, then leave before the test main.
const int g_childExit = SrTest::runChildApplication(kChildMode, createDriver, [](const OvModalRequest& request) {
    return g_driver ? g_driver->answer(request) : QVariant();
});

struct RunResult {
    bool finished = false;
    QJsonObject report;
    QByteArray output;
};

RunResult runApplication(const QString& mode)
{
    RunResult result;
    const QString reportPath = SrTest::root() + QStringLiteral("/e2e_%1.json").arg(mode);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildMode), mode);
    env.insert(QString::fromLatin1(kChildReport), reportPath);
    env.insert(QStringLiteral("SR_NONINTERACTIVE"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    result.finished = child.waitForFinished(180000) && child.exitStatus() == QProcess::NormalExit;
    if (!result.finished)
        child.kill();
    result.output = child.readAll();
    QFile file(reportPath);
    if (file.open(QIODevice::ReadOnly))
        result.report = QJsonDocument::fromJson(file.readAll()).object();
    return result;
}
} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void fullScreenRecordingIsSavedAndListed();
    void audioOnlyRecordingIsSavedAsMp3();

private:
    QString checkRun(const QString& mode, const QRegularExpression& name);
    bool lastsAsRecorded(double seconds) const;
    QString m_strOut;
    double m_recordedLeast = 0; // seconds, as the child saw them
    double m_recordedMost = 0;
};

void EndToEndTest::init()
{
    m_strOut = SrTest::newFolder(QStringLiteral("e2e_%1").arg(QTest::currentTestFunction()));
    Utils::setVideoOutputPath(m_strOut);
}

QString EndToEndTest::checkRun(const QString& mode, const QRegularExpression& name)
{
    const RunResult run = runApplication(mode);
    if (!run.finished || run.report.contains(QStringLiteral("error")) || !run.report.value(QStringLiteral("previewOpened")).toBool()
        || !run.report.value(QStringLiteral("questions")).toArray().isEmpty()) {
        qWarning().noquote() << QJsonDocument(run.report).toJson() << run.output.right(6000);
        return QString();
    }
    if (run.report.value(QStringLiteral("previewResult")).toInt() != QDialog::Accepted)
        return QString();
    m_recordedLeast = run.report.value(QStringLiteral("recordedLeastMs")).toDouble() / 1000;
    m_recordedMost = run.report.value(QStringLiteral("recordedMostMs")).toDouble() / 1000;
    const QStringList files = QDir(m_strOut).entryList(QDir::Files);
    if (files.size() != 1 || !name.match(files[0]).hasMatch()) {
        qWarning() << "saved files:" << files;
        return QString();
    }
    return m_strOut + QLatin1Char('/') + files[0];
}

// The saved file lasts as long as the recording ran: at most from REC to Stop, at least from
// the bar showing the recording to Stop, less the time the first frame or sample may take.
bool EndToEndTest::lastsAsRecorded(double seconds) const
{
    const bool holds = seconds >= m_recordedLeast - SrTest::kLateStart && seconds <= m_recordedMost + SrTest::kLastFrame;
    if (!holds)
        qWarning() << seconds << "s, recorded" << m_recordedLeast << "to" << m_recordedMost << "s";
    return holds;
}

void EndToEndTest::fullScreenRecordingIsSavedAndListed()
{
    const QString saved = checkRun(QStringLiteral("video"),
                                   QRegularExpression(QStringLiteral("^Video_\\d\\d-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.mov$")));
    QVERIFY(!saved.isEmpty());
    const double length = Utils::getMediaDuration(saved);
    QVERIFY(lastsAsRecorded(length));
    QCOMPARE(Utils::getVideoRect(saved).size(), QGuiApplication::primaryScreen()->geometry().size());
    OvSettings::instance()->reload();
    const QList<HistoryFileUtils::HistoryFile> history = HistoryFileUtils::savefileHistroy();
    QVERIFY(!history.isEmpty());
    QCOMPARE(history[0].path, saved);
    QCOMPARE(history[0].type, 1);
    // What the application keeps for itself is the user's alone.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/ScreenRecorder";
    QCOMPARE(SrTest::openToOthers({data, QFileInfo(OvSettings::instance()->fileName()).absolutePath()}), QString());
}

void EndToEndTest::audioOnlyRecordingIsSavedAsMp3()
{
    const QString saved = checkRun(QStringLiteral("audio"),
                                   QRegularExpression(QStringLiteral("^Audio_\\d\\d-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.mp3$")));
    QVERIFY(!saved.isEmpty());
    const double length = Utils::getMediaDuration(saved);
    QVERIFY(lastsAsRecorded(length));
    OvSettings::instance()->reload();
    const QList<HistoryFileUtils::HistoryFile> history = HistoryFileUtils::savefileHistroy();
    QVERIFY(!history.isEmpty());
    QCOMPARE(history[0].path, saved);
    QCOMPARE(history[0].type, 2);
}

SR_TEST_DISPLAY(EndToEndTest)
#include "tst_endtoend.moc"
