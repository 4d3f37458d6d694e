// Sound that plays before the record click is in the saved file from its first moment, as a
// user meets it: a tone plays into the test sink, REC is clicked on the real display, the
// recording is stopped on the control bar and saved in the preview with real clicks, and the
// saved file is decoded with FFmpeg. With and without the countdown, and for audio only.

#include "DesktopInput.h"
#include "FindChild.h"
#include "ModalAnswers.h"
#include "OvSettings.h"
#include "SoundTone.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "output/DlgVideoClip.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"

#include <QDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>

using SrTest::child;

namespace {
// Longer than any case records, so that the tone plays throughout.
const double kToneSeconds = 120;
// What the user lets the recording run before the stop click.
const double kRecordSeconds = 2.0;
} // namespace

class SoundFromTheStartTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void toneBeforeRecIsHeardFromTheFirstMoment_data();
    void toneBeforeRecIsHeardFromTheFirstMoment();

private:
    MainWindowBase* m_pBase = nullptr;
    MainWindow* m_pMain = nullptr;
};

void SoundFromTheStartTest::init()
{
    ModalAnswers::clear();
    SrTest::usePlainScreenRecording();
    RecordParameter::instance()->setSystemAudioEnable(true);
    OvSettings::instance()->setApplicationParam(QStringLiteral("VideoLast/RecordMode"), 0);
    OvSettings::instance()->setApplicationParam(QStringLiteral("HotkeyRemind"), true);
    m_pBase = MainEntry::createMainWindow();
    m_pMain = m_pBase->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_pBase));
}

void SoundFromTheStartTest::cleanup()
{
    MainEntry::destroyMainWindow(m_pBase);
    m_pBase = nullptr;
    RecordParameter::instance()->setCountDown(false);
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void SoundFromTheStartTest::toneBeforeRecIsHeardFromTheFirstMoment_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("countdown");
    QTest::newRow("full screen, no countdown") << QStringLiteral("btnFullScreen") << false;
    QTest::newRow("full screen, countdown") << QStringLiteral("btnFullScreen") << true;
    QTest::newRow("audio only, no countdown") << QStringLiteral("btnAudioOnly") << false;
}

void SoundFromTheStartTest::toneBeforeRecIsHeardFromTheFirstMoment()
{
    QFETCH(QString, mode);
    QFETCH(bool, countdown);
    RecordParameter::instance()->setCountDown(countdown);
    const QString out = SrTest::newFolder(QStringLiteral("out_%1").arg(QTest::currentDataTag()).replace(' ', '_'));
    Utils::setVideoOutputPath(out);
    QVERIFY(SrTest::clickAt(child(m_pBase, qPrintable(mode))));

    QProcess player;
    SrTest::playTone(player, kToneSeconds);
    const auto silence = qScopeGuard([&player] {
        player.kill();
        player.waitForFinished();
    });
    QVERIFY(SrTest::waitUntilToneFlows());

    // Saved from the preview with a click on Save.
    bool saved = false;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&saved](const OvModalRequest& request) {
        auto* preview = qobject_cast<DlgVideoClip*>(request.widget);
        if (!preview)
            return QVariant(int(QDialog::Rejected));
        preview->show();
        if (!QTest::qWaitForWindowExposed(preview)
            || !SrTest::spinUntil([preview] { return preview->isPlayerReady(); }, 30000))
            return QVariant(int(QDialog::Rejected));
        SrTest::clickAt(child<QPushButton>(preview, "btnSave"));
        saved = SrTest::spinUntil([preview] { return !preview->isVisible(); }, 60000);
        if (!saved)
            preview->reject();
        return QVariant(preview->result());
    });

    QVERIFY(SrTest::clickAt(child<QPushButton>(m_pBase, "btnRec")));
    QVERIFY(SrTest::spinUntil([this] { return m_pMain->controlBar() && m_pMain->controlBar()->isRecording(); }, 30000));
    QVERIFY(SrTest::spinUntil([] { return ScreenRecorder::instance()->duration() >= kRecordSeconds; }, 30000));
    QVERIFY(SrTest::clickAt(child<QToolButton>(m_pMain->controlBar(), "btnStop")));
    QVERIFY(SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 60000));
    QVERIFY2(saved, "the preview did not save");

    const QStringList files = SrTest::filesIn(out);
    QCOMPARE(files.size(), 1);
    const double heard = SrTest::firstSoundAt(out + QLatin1Char('/') + files[0], SrTest::kToneLevel);
    QVERIFY2(heard >= 0 && heard < SrTest::kToneHeardWithin,
             qPrintable(QStringLiteral("%1: the tone is first heard at %2 s").arg(files[0]).arg(heard)));
}

SR_TEST_DISPLAY(SoundFromTheStartTest)

#include "tst_soundfromstart.moc"
