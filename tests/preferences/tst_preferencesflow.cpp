// The Preferences as the user reaches them, on the X display with the real engine: the main
// window's strip opens them on each page (clicked with xdotool), and what is chosen in them
// is what the next recording is: its container, codec and frame rate as ffprobe reads the
// file, and the folder it is saved into.

#include "FindChild.h"
#include "ModalAnswers.h"
#include "DesktopInput.h"
#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "core/RecordParameter.h"
#include "preferences/OptionDialog.h"
#include "recording/VideoRecCtlWdg.h"
#include "services/Utils.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScrollArea>
#include <QTest>

namespace {
const int kRecordMs = 2000;

using SrTest::child;

bool choose(OptionDialog* dlg, const char* combo, int value)
{
    auto* box = child<QComboBox>(dlg, combo);
    const int index = box->findData(value);
    if (index < 0)
        return false;
    box->setCurrentIndex(index);
    return true;
}
} // namespace

class PreferencesFlowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void stripOpensEachPage();
    void gifRecordingLandsInTheChosenFolder();
    void chosenFormatCodecAndRateAreInTheFile();

private:
    // Clicks `button` with the mouse; the Preferences that open are run by `drive`, on the
    // screen, and ended by a click on OK (or Cancel when `drive` answers false).
    bool runPreferences(QWidget* button, const std::function<bool(OptionDialog*)>& drive);
    // Records the full screen for a moment and stops through the control bar; the path of the
    // file saved into `folder`, empty when none.
    QString recordInto(const QString& folder, const QString& suffix);

    MainWindowBase* m_pBase = nullptr;
    MainWindow* m_pMain = nullptr;
};

void PreferencesFlowTest::init()
{
    ModalAnswers::clear();
    SrTest::usePlainScreenRecording();
    RecordParameter::instance()->setCountDown(false);
    RecordParameter::instance()->setAutoSave(true);
    OvSettings::instance()->setApplicationParam(QStringLiteral("HotkeyRemind"), true); // no reminder at REC
    Utils::setVideoOutputPath(SrTest::newFolder(QStringLiteral("first_%1").arg(QTest::currentTestFunction())));
    m_pBase = MainEntry::createMainWindow();
    m_pMain = m_pBase->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_pBase));
    child(m_pBase, "btnFullScreen")->click();
}

void PreferencesFlowTest::cleanup()
{
    MainEntry::destroyMainWindow(m_pBase);
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

bool PreferencesFlowTest::runPreferences(QWidget* button, const std::function<bool(OptionDialog*)>& drive)
{
    bool ran = false;
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) {
        auto* dlg = qobject_cast<OptionDialog*>(request.widget);
        if (!dlg)
            return QVariant();
        ran = true;
        dlg->show();
        if (!QTest::qWaitForWindowExposed(dlg))
            return QVariant();
        const bool ok = drive(dlg);
        SrTest::clickAt(child(dlg, ok ? "btnOK" : "btnCancel"));
        SrTest::spinUntil([dlg] { return dlg->isHidden(); }, 5000);
        return QVariant();
    });
    return SrTest::clickAt(button) && SrTest::spinUntil([&ran, this] { return ran && m_pMain->isHotKeyEnabled(); }, 10000);
}

QString PreferencesFlowTest::recordInto(const QString& folder, const QString& suffix)
{
    // Saved without a preview: the dialog shows its progress and ends by itself.
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [](const OvModalRequest& request) {
        bool ended = false;
        QObject::connect(qobject_cast<QDialog*>(request.widget), &QDialog::finished, [&ended] { ended = true; });
        SrTest::spinUntil([&ended] { return ended; }, 60000);
        return QVariant();
    });
    child(m_pBase, "btnRec")->click();
    VideoRecCtlWdg* bar = nullptr;
    if (!SrTest::spinUntil([&] { return (bar = m_pMain->controlBar()) && bar->isRecording(); }, 30000))
        return QString();
    QTest::qWait(kRecordMs);
    child(bar, "btnStop")->click();
    if (!SrTest::spinUntil([this] { return !m_pMain->isRecordBusy(); }, 60000))
        return QString();
    const QStringList files = SrTest::filesIn(folder);
    if (files.size() != 1 || !files[0].endsWith(suffix)) {
        qWarning() << "in" << folder << files;
        return QString();
    }
    return folder + QLatin1Char('/') + files[0];
}

void PreferencesFlowTest::stripOpensEachPage()
{
    const struct {
        const char* button;
        const char* page;
        const char* box;
    } rows[] = {{"btnRecordSetting", "btnRecording", "gbRecording"},
                {"btnMouseSetting", "btnMouse", "gbMouse"},
                {"btnHotkeySetting", "btnHotkeys", "gbHotkeys"},
                {"btnOutputSetting", "btnOutput", "gbOutput"},
                {"btnSettings", "btnRecording", "gbRecording"}};
    for (const auto& row : rows) {
        QString shown;
        bool boxInView = false;
        bool reminderGone = false;
        QVERIFY(runPreferences(child(m_pBase, row.button), [&, this](OptionDialog* dlg) {
            // The reminder's hotkey rows are gone while the Hotkeys page has its own.
            reminderGone = !m_pMain->hotKeyMessage() && !m_pMain->isHotKeyEnabled();
            for (const char* page : {"btnRecording", "btnMouse", "btnHotkeys", "btnOutput"})
                if (child(dlg, page)->isChecked())
                    shown = QString::fromLatin1(page);
            // The page's title is in view, not scrolled past.
            QWidget* viewport = child<QScrollArea>(dlg, "scrollArea")->viewport();
            const int top = child<QWidget>(dlg, row.box)->mapTo(viewport, QPoint(0, 0)).y();
            boxInView = top >= 0 && top < viewport->height() / 2;
            return false;
        }));
        QCOMPARE(shown, QString::fromLatin1(row.page));
        QVERIFY2(boxInView, row.box);
        QVERIFY(reminderGone && m_pMain->hotKeyMessage());
    }
}

void PreferencesFlowTest::gifRecordingLandsInTheChosenFolder()
{
    const QString folder = SrTest::newFolder(QStringLiteral("chosen"));
    QVERIFY(runPreferences(child(m_pBase, "btnOutputSetting"), [&folder](OptionDialog* dlg) {
        ModalAnswers::push(OvModalRequest::Directory, folder);
        SrTest::clickAt(child(dlg, "btnOutputFolderBrowse"));
        ModalAnswers::push(OvModalRequest::MessageBox, 0x400); // the notice on the size of GIFs
        return choose(dlg, "cbType", RP_FMT_GIF);
    }));
    QCOMPARE(Utils::getVideoOutputPath(), folder);
    QCOMPARE(RecordParameter::instance()->usedVideoFmt(), RP_FMT_GIF);
    const QString saved = recordInto(folder, QStringLiteral(".gif"));
    QVERIFY(!saved.isEmpty());
    QByteArray probe;
    QVERIFY(SrTest::run(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "stream=codec_name", "-of", "csv=p=0", saved},
                        30000, &probe));
    QCOMPARE(probe.trimmed(), QByteArray("gif"));
}

void PreferencesFlowTest::chosenFormatCodecAndRateAreInTheFile()
{
    const int rate = 24; // not the default
    QVERIFY(runPreferences(child(m_pBase, "btnOutputSetting"), [rate](OptionDialog* dlg) {
        ModalAnswers::push(OvModalRequest::MessageBox, 0x400); // HEVC wants a fast computer: OK
        return choose(dlg, "cbType", RP_FMT_MP4) && choose(dlg, "cbVideoCodec", RP_CODEC_HEVC)
            && choose(dlg, "cbVideoFrameRate", rate);
    }));
    const QString saved = recordInto(Utils::getVideoOutputPath(), QStringLiteral(".mp4"));
    QVERIFY(!saved.isEmpty());
    // The stream declares the chosen rate and its pictures follow one another on its grid:
    // each lasts a whole number of steps (more than one where a busy machine delivered late).
    // The first is left out: the container shifts the pictures after it by a part of a step.
    QByteArray probe;
    QVERIFY(SrTest::run(QStringLiteral("ffprobe"),
                        {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=codec_name,r_frame_rate",
                         "-show_entries", "packet=duration_time", "-show_entries", "format=format_name", "-of", "json",
                         saved},
                        30000, &probe));
    const QJsonObject info = QJsonDocument::fromJson(probe).object();
    const QJsonObject stream = info.value(QStringLiteral("streams")).toArray().at(0).toObject();
    QCOMPARE(stream.value(QStringLiteral("codec_name")).toString(), QStringLiteral("hevc"));
    QCOMPARE(stream.value(QStringLiteral("r_frame_rate")).toString(), QStringLiteral("%1/1").arg(rate));
    const QJsonArray packets = info.value(QStringLiteral("packets")).toArray();
    QVERIFY(packets.size() >= 2);
    for (int i = 1; i < packets.size(); ++i) {
        const double steps = packets[i].toObject().value(QStringLiteral("duration_time")).toString().toDouble() * rate;
        QVERIFY2(steps > 0.99 && qAbs(steps - qRound(steps)) < 0.02, qPrintable(QString::number(steps)));
    }
    QVERIFY(info.value(QStringLiteral("format")).toObject().value(QStringLiteral("format_name")).toString().contains(
        QStringLiteral("mp4")));
}

SR_TEST_DISPLAY(PreferencesFlowTest)
#include "tst_preferencesflow.moc"
