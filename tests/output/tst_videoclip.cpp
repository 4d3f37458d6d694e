// The preview and trim dialog against the real players, export, conversion and save
// worker, with every modal question scripted.

#include "FindChild.h"
#include "ModalAnswers.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "ScAudioRecording.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordParameter.h"
#include "output/AVClipManager.h"
#include "output/DlgVideoClip.h"
#include "recording/DlgReRecord.h"
#include "recording/SystemStatusBar.h"
#include "DesktopInput.h"
#include "StatusItemTray.h"
#include "services/Utils.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QMessageBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

using SrTest::spinUntil;

namespace {
using SrTest::child;

QString pageOf(DlgVideoClip& dlg) { return child<QStackedWidget>(&dlg, "stackedWidget")->currentWidget()->objectName(); }

// While it lives, the kernel refuses writes that would grow a file past `bytes`.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }
    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    sighandler_t m_oldHandler = SIG_DFL;
    bool m_set = false;
};
// Far below any exported clip or converted recording of these tests.
const rlim_t kFailingFileSize = 8192;

// Chooses [begin, end] on the trim bar as the user does (a negative end keeps the end).
bool trim(DlgVideoClip& dlg, double begin, double end = -1)
{
    if (!spinUntil([&] { return dlg.isPlayerReady(); }))
        return false;
    child<QPushButton>(&dlg, "btnClip")->click();
    if (!dlg.isTrimming() || !dlg.clipManager()->setTrimmBegin(begin)
        || (end >= 0 && !dlg.clipManager()->setTrimmEnd(end)))
        return false;
    child<QAbstractButton>(&dlg, "btnTrimOK")->click();
    return spinUntil([&] { return !dlg.isTrimming(); });
}

// Where a recording goes when the user picks no folder after a failed save.
QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/')
           + OvProductInfo::instance()->companyFullName();
}

// While it lives, a file stands where the Documents folder of the company would be; the
// folder, when there is one, waits beside it.
class DocumentsBlocked {
public:
    DocumentsBlocked()
    {
        m_set = (!QFileInfo::exists(m_folder) || QDir().rename(m_folder, m_aside)) && SrTest::writeFile(m_folder, 1);
    }
    ~DocumentsBlocked()
    {
        QFile::remove(m_folder);
        if (QFileInfo::exists(m_aside))
            QDir().rename(m_aside, m_folder);
    }
    bool isSet() const { return m_set; }

private:
    const QString m_folder = documentsFolder();
    const QString m_aside = m_folder + QStringLiteral(".aside");
    bool m_set = false;
};

void setVideoKind()
{
    RecordParameter* p = RecordParameter::instance();
    p->setOnlyRecordAudio(false);
    p->setOnlyRecordCamera(false);
    p->setWindowRecord(false);
    p->setUsedVideoFmt(RP_FMT_MOV);
}
} // namespace

class VideoClipTest : public QObject {
    Q_OBJECT
    QString m_strOut;

    QString makeSource(const QString& name, double seconds)
    {
        const QString path = Utils::getRecorderTmpRoot() + QLatin1Char('/') + name;
        return SrTest::makeClip(path, seconds, 320, 240) ? path : QString();
    }

private slots:
    void init()
    {
        ModalAnswers::clear();
        setVideoKind();
        m_strOut = SrTest::newFolder(QStringLiteral("out_%1").arg(QTest::currentTestFunction()));
        Utils::setVideoOutputPath(m_strOut);
        OvSettings::instance()->setApplicationParam(QStringLiteral("EndRecord/ReRecordChk"), 0);
    }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void trimmedSaveWritesOnlyTheRange()
    {
        const QString source = makeSource(QStringLiteral("rec.mov"), 4.0);
        QVERIFY(!source.isEmpty());
        // An older clip of the same name is replaced, not appended to.
        const QString oldClip = QFileInfo(source).absolutePath() + QStringLiteral("/rec_clip.mov");
        QVERIFY(SrTest::writeFile(oldClip, 1000));

        DlgVideoClip dlg(source, nullptr, nullptr, true, false);
        QCOMPARE(dlg.clipFile(), oldClip);
        QVERIFY(qAbs(dlg.totalLength() - 4.0) < 0.1);
        QVERIFY(RecordParameter::instance()->m_bPreview.load());
        QVERIFY(trim(dlg, 1.0, 2.0));
        QVERIFY(qAbs(dlg.clipLength() - 1.0) < 0.01);
        QCOMPARE(child<QLabel>(&dlg, "lblDuration")->text(), QStringLiteral("00:00:01.000"));

        child<QPushButton>(&dlg, "btnSave")->click();
        QCOMPARE(pageOf(dlg), QStringLiteral("pageWaiting"));
        QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));

        const QStringList files = SrTest::filesIn(m_strOut);
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0].startsWith(QLatin1String("Video_")) && files[0].endsWith(QLatin1String(".mov")));
        const QString saved = m_strOut + QLatin1Char('/') + files[0];
        QVERIFY2(qAbs(Utils::getMediaDuration(saved) - 1.0) < 0.2, qPrintable(QString::number(Utils::getMediaDuration(saved))));
        QCOMPARE(HistoryFileUtils::savefileHistroy().value(0).path, saved);
        // The temporary recording and its clip are gone with the temporary root.
        QVERIFY(!QFileInfo::exists(source));
    }

    void untrimmedAndDirectSavesHandOverTheSource()
    {
        // Untrimmed: the recording itself goes to the worker, no export runs.
        {
            const QString source = makeSource(QStringLiteral("full.mov"), 1.5);
            QVERIFY(!source.isEmpty());
            DlgVideoClip dlg(source, nullptr, nullptr, true, false);
            QVERIFY(spinUntil([&] { return dlg.isPlayerReady(); }));
            child<QPushButton>(&dlg, "btnSave")->click();
            QCOMPARE(dlg.clipFile(), source);
            QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
            QCOMPARE(SrTest::filesIn(m_strOut).size(), 1);
        }
        QVERIFY(!RecordParameter::instance()->m_bPreview.load());
        // Save directly: no player, the waiting page at once, the source saved without a click.
        const QString folder = SrTest::newFolder(QStringLiteral("direct"));
        Utils::setVideoOutputPath(folder);
        const QString source = makeSource(QStringLiteral("direct.mov"), 1.0);
        DlgVideoClip dlg(source, nullptr, nullptr, true, true);
        QCOMPARE(pageOf(dlg), QStringLiteral("pageWaiting"));
        QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
        const QStringList files = SrTest::filesIn(folder);
        QCOMPARE(files.size(), 1);
        QVERIFY(qAbs(Utils::getMediaDuration(folder + QLatin1Char('/') + files[0]) - 1.0) < 0.2);
    }

    void failedSaveAsksForAnotherFolder()
    {
        // /proc takes no files, even for root.
        Utils::setVideoOutputPath(QStringLiteral("/proc/sr-output"));
        const QString good = SrTest::newFolder(QStringLiteral("chosen"));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        ModalAnswers::push(OvModalRequest::Directory, good);

        const QString source = makeSource(QStringLiteral("fail.mov"), 1.0);
        DlgVideoClip dlg(source, nullptr, nullptr, true, true);
        QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
        QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("is not writable")));
        const QStringList files = SrTest::filesIn(good);
        QCOMPARE(files.size(), 1);
        QCOMPARE(HistoryFileUtils::savefileHistroy().value(0).path, good + QLatin1Char('/') + files[0]);
    }

    void cancelledChooserSavesIntoTheDocumentsFolder()
    {
        Utils::setVideoOutputPath(QStringLiteral("/proc/sr-output"));
        const QString documents = documentsFolder();
        const QStringList before = SrTest::filesIn(documents);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        ModalAnswers::push(OvModalRequest::Directory, QString());
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));

        const QString source = makeSource(QStringLiteral("unplaced.mov"), 1.0);
        DlgVideoClip dlg(source, nullptr, nullptr, true, true);
        QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
        const QStringList after = SrTest::filesIn(documents);
        QCOMPARE(after.size(), before.size() + 1);
        const QString saved = HistoryFileUtils::savefileHistroy().value(0).path;
        QVERIFY(saved.startsWith(documents + QLatin1Char('/')));
        QVERIFY(QFileInfo::exists(saved));
        // As a folder the user picks, it is the output folder from now on; the user is told
        // where the recording went and that.
        QCOMPARE(Utils::getVideoOutputPath(), documents);
        QCOMPARE(ModalAnswers::messages().size(), 2);
        QVERIFY(ModalAnswers::messages().at(1).contains(QDir::toNativeSeparators(saved)));
        QVERIFY(ModalAnswers::messages().at(1).contains(QStringLiteral("\"%1\" is now your output folder").arg(documents)));
    }

    void cancelledChooserWithDocumentsUnusableReturnsToTheClipPage()
    {
        const QString unwritable = QStringLiteral("/proc/sr-output");
        Utils::setVideoOutputPath(unwritable);
        const DocumentsBlocked blocked;
        QVERIFY(blocked.isSet());
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        ModalAnswers::push(OvModalRequest::Directory, QString());
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        ModalAnswers::push(OvModalRequest::Directory, QString());

        const QString source = makeSource(QStringLiteral("unsaved.mov"), 1.0);
        DlgVideoClip dlg(source, nullptr, nullptr, true, true);
        QSignalSpy finished(&dlg, &QDialog::finished);
        QVERIFY(spinUntil([&] { return pageOf(dlg) == QLatin1String("pageClip"); }));
        QCOMPARE(ModalAnswers::messages().size(), 2);
        QVERIFY(!dlg.isSaving());
        QCOMPARE(finished.count(), 0);
        QCOMPARE(Utils::getVideoOutputPath(), unwritable);
        QVERIFY(QFileInfo::exists(source));

        // "Save" sends the same recording again; this time a folder is chosen.
        const QString chosen = SrTest::newFolder(QStringLiteral("chosen_later"));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        ModalAnswers::push(OvModalRequest::Directory, chosen);
        child<QPushButton>(&dlg, "btnSave")->click();
        QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
        QCOMPARE(SrTest::filesIn(chosen).size(), 1);
    }

    void failedExportOrConversionKeepsTheRecording()
    {
        // A trimmed video whose export cannot write its clip.
        const QString source = makeSource(QStringLiteral("limited.mov"), 4.0);
        const qint64 sourceSize = QFileInfo(source).size();
        {
            DlgVideoClip dlg(source, nullptr, nullptr, true, false);
            QSignalSpy finished(&dlg, &QDialog::finished);
            QVERIFY(trim(dlg, 1.0, 2.0));

            ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
            {
                const FileSizeLimit limit(kFailingFileSize);
                QVERIFY(limit.isSet());
                child<QPushButton>(&dlg, "btnSave")->click();
                QVERIFY(spinUntil([&] { return !ModalAnswers::messages().isEmpty(); }));
            }
            QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("could not be exported")));
            QCOMPARE(pageOf(dlg), QStringLiteral("pageClip"));
            QCOMPARE(finished.count(), 0);
            QCOMPARE(QFileInfo(source).size(), sourceSize);
            QVERIFY(SrTest::filesIn(m_strOut).isEmpty());

            // Saved again: the player is back with the chosen range, and that range is saved.
            QVERIFY(spinUntil([&] { return dlg.isPlayerReady(); }));
            child<QPushButton>(&dlg, "btnSave")->click();
            QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
            const QStringList files = SrTest::filesIn(m_strOut);
            QCOMPARE(files.size(), 1);
            QVERIFY(qAbs(Utils::getMediaDuration(m_strOut + QLatin1Char('/') + files[0]) - 1.0) < 0.2);
        }

        // An audio recording whose conversion cannot write its file.
        const QString audioOut = SrTest::newFolder(QStringLiteral("audio_limited"));
        Utils::setVideoOutputPath(audioOut);
        RecordParameter::instance()->setOnlyRecordAudio(true);
        RecordParameter::instance()->setUsedAudioFmt(RP_FMT_MP3);
        const QString tone = Utils::getRecorderTmpRoot() + QStringLiteral("/limited.wav");
        QVERIFY(SrTest::makeTone(tone, 4.0));
        const qint64 toneSize = QFileInfo(tone).size();
        scSetLastAudioRecording(QFile::encodeName(tone).constData(), nullptr);
        DlgVideoClip dlg(tone, nullptr, nullptr, false, false);
        QSignalSpy finished(&dlg, &QDialog::finished);
        QVERIFY(spinUntil([&] { return dlg.isPlayerReady(); }));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        {
            const FileSizeLimit limit(kFailingFileSize);
            child<QPushButton>(&dlg, "btnSave")->click();
            QVERIFY(spinUntil([&] { return ModalAnswers::messages().size() == 2; }));
        }
        QCOMPARE(pageOf(dlg), QStringLiteral("pageClip"));
        QCOMPARE(finished.count(), 0);
        QCOMPARE(QFileInfo(tone).size(), toneSize);

        QVERIFY(spinUntil([&] { return dlg.isPlayerReady(); }));
        child<QPushButton>(&dlg, "btnSave")->click();
        QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
        const QStringList files = SrTest::filesIn(audioOut);
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0].endsWith(QLatin1String(".mp3")));
    }

    void missingRecordingIsReported()
    {
        const QString source = makeSource(QStringLiteral("gone.mov"), 1.0);
        QVERIFY(QFile::remove(source));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        DlgVideoClip dlg(source, nullptr, nullptr, true, true);
        QVERIFY(spinUntil([&] { return !ModalAnswers::messages().isEmpty(); }));
        QVERIFY(ModalAnswers::messages().value(0).contains(QLatin1String("can no longer be found")));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isSaving());
    }

    void refusedStartsReturnToTheClipPage()
    {
        // A trimmed video whose player is gone cannot export.
        const QString source = makeSource(QStringLiteral("refused.mov"), 2.0);
        {
            DlgVideoClip dlg(source, nullptr, nullptr, true, false);
            QVERIFY(spinUntil([&] { return dlg.isPlayerReady(); }));
            dlg.onTrimOK(0.5, 1.0);
            dlg.clipManager()->exportCancel();
            ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
            child<QPushButton>(&dlg, "btnSave")->click();
            QCOMPARE(ModalAnswers::messages().size(), 1);
            QCOMPARE(pageOf(dlg), QStringLiteral("pageClip"));
            QVERIFY(!dlg.isTrimming());
            // Nothing is left running that would ever end the dialog by itself.
            QTest::qWait(300);
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QVERIFY(!dlg.isVisible());
        }
        // An audio recording without its player cannot convert.
        const QString tone = SrTest::newFolder(QStringLiteral("tone")) + QStringLiteral("/track0.wav");
        QVERIFY(SrTest::makeTone(tone, 1.0));
        scSetLastAudioRecording(QFile::encodeName(tone).constData(), nullptr);
        RecordParameter::instance()->setOnlyRecordAudio(true);
        DlgVideoClip dlg(tone, nullptr, nullptr, false, false);
        dlg.clipManager()->exportCancel();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        child<QPushButton>(&dlg, "btnSave")->click();
        QCOMPARE(ModalAnswers::messages().size(), 2);
        QCOMPARE(pageOf(dlg), QStringLiteral("pageClip"));
        DeleteAudioRecordTempFiles();
    }

    void promptClosedByACompletingExport()
    {
        const QString source = makeSource(QStringLiteral("prompt.mov"), 4.0);
        DlgVideoClip dlg(source, nullptr, nullptr, true, false);
        QVERIFY(trim(dlg, 0.5, 3.5));
        child<QPushButton>(&dlg, "btnSave")->click();
        QVERIFY(dlg.isTrimming()); // the export runs

        // The user closes the window; while the question is open the export completes.
        bool promptEnded = false;
        QPointer<QWidget> firstPrompt;
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) {
            QPointer<QWidget> prompt = request.widget;
            firstPrompt = request.widget;
            QObject::connect(qobject_cast<QDialog*>(request.widget), &QDialog::finished, [&] { promptEnded = true; });
            spinUntil([&] { return promptEnded || !prompt; });
            return QVariant(0);
        });
        dlg.close();
        QVERIFY(promptEnded);
        // The completion deleted that question.
        QVERIFY(spinUntil([&] { return firstPrompt.isNull(); }, 5000));
        // Closing once more creates a new question rather than using the deleted one.
        ModalAnswers::push(OvModalRequest::Dialog, 0);
        dlg.close();
        QCOMPARE(ModalAnswers::asked().size(), 2);
        QCOMPARE(ModalAnswers::asked().at(1).className, QStringLiteral("DlgReRecord"));

        QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
        QCOMPARE(SrTest::filesIn(m_strOut).size(), 1);
    }

    void reRecordCancelsARunningExport()
    {
        const QString source = makeSource(QStringLiteral("cancel.mov"), 4.0);
        DlgVideoClip dlg(source, nullptr, nullptr, true, false);
        QVERIFY(trim(dlg, 0.5));
        child<QPushButton>(&dlg, "btnSave")->click();
        QVERIFY(dlg.isTrimming());

        // "Re-Record" confirmed while the export runs: the export is cancelled, nothing is saved.
        ModalAnswers::push(OvModalRequest::Dialog, 1);
        child<QPushButton>(&dlg, "btnReRecord")->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isTrimming());
        QVERIFY(!dlg.isSaving());
        QTest::qWait(1500);
        QVERIFY(SrTest::filesIn(m_strOut).isEmpty());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        // The prompt said the recording is discarded: its scratch file goes, or the next start
        // would take it for a recording that survived a crash.
        QVERIFY(!QFileInfo::exists(source));
    }

    void audioIsConvertedWithItsClipLength()
    {
        RecordParameter* p = RecordParameter::instance();
        p->setOnlyRecordAudio(true);
        p->setUsedAudioFmt(RP_FMT_MP3);
        const QString tone = Utils::getRecorderTmpRoot() + QStringLiteral("/track0.wav");
        QVERIFY(SrTest::makeTone(tone, 2.0));
        scSetLastAudioRecording(QFile::encodeName(tone).constData(), nullptr);

        DlgVideoClip dlg(tone, nullptr, nullptr, false, true);
        QVERIFY(spinUntil([&] { return dlg.result() == QDialog::Accepted; }));
        QVERIFY(dlg.clipFile().endsWith(QLatin1String("_clip.mp3")));
        QCOMPARE(OvSettings::instance()->applicationParam(QStringLiteral("audio/duration"), QString()).toString(),
                 QStringLiteral("00:00:02"));
        const QStringList files = SrTest::filesIn(m_strOut);
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0].startsWith(QLatin1String("Audio_")) && files[0].endsWith(QLatin1String(".mp3")));
        QVERIFY(qAbs(Utils::getMediaDuration(m_strOut + QLatin1Char('/') + files[0]) - 2.0) < 0.2);
        QCOMPARE(HistoryFileUtils::savefileHistroy().value(0).duration, QStringLiteral("00:00:02"));
        p->setOnlyRecordAudio(false);
    }

    void escapeAndSuppressedQuestion()
    {
        const QString source = makeSource(QStringLiteral("keys.mov"), 1.0);
        DlgVideoClip dlg(source, nullptr, nullptr, true, false);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(ModalAnswers::asked().isEmpty());

        // With the question switched off, closing rejects at once without asking.
        OvSettings::instance()->setApplicationParam(QStringLiteral("EndRecord/ReRecordChk"), 1);
        dlg.close();
        QVERIFY(!dlg.isVisible());
        QVERIFY(ModalAnswers::asked().isEmpty());
        OvSettings::instance()->setApplicationParam(QStringLiteral("EndRecord/ReRecordChk"), 0);
    }
};

SR_TEST(VideoClipTest)

// The preview and the status item on a desktop with a system tray (the tray host program) and
// a window manager: the status item's menu works while the preview is open, and its "Show
// Preview" brings a minimised preview back.
class PreviewFromStatusItemTest : public QObject {
    Q_OBJECT
private slots:
    void showPreviewRestoresTheMinimisedPreview()
    {
        ModalAnswers::clear();
        setVideoKind();
        Utils::setVideoOutputPath(SrTest::newFolder(QStringLiteral("out_tray")));
        SrTest::StatusItemTray tray;
        QVERIFY(tray.start(QStringLiteral(SR_TRAYHOST)));

        const QString source = Utils::getRecorderTmpRoot() + QStringLiteral("/tray.mov");
        QVERIFY(SrTest::makeClip(source, 2.0, 320, 240));
        QWidget owner; // the main window, as the control bar hands it over
        owner.resize(400, 300);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        DlgVideoClip dlg(source, nullptr, &owner, true, false);
        bool chosen = false;
        bool restored = false;
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest&) {
            QTimer::singleShot(0, [&] {
                if (!QTest::qWaitForWindowExposed(&dlg))
                    return dlg.reject();
                dlg.showMinimized();
                // Waits bounded only so that a lost window cannot hang the run: a loaded
                // machine may take its time.
                SrTest::spinUntil([&dlg] { return dlg.isMinimized(); }, 20000);
                // Right-click on the icon, then the menu's "Show Preview".
                chosen = tray.choose(QStringLiteral("actPreview"));
                if (chosen)
                    restored = SrTest::spinUntil([&dlg] { return dlg.isVisible() && !dlg.isMinimized(); }, 20000);
                dlg.reject();
            });
            // The preview's own modal loop, as its caller runs it.
            return QVariant(dlg.QDialog::exec());
        });
        dlg.exec();
        QVERIFY2(chosen, "the status item's menu did not show");
        QVERIFY(restored);
    }
};

SR_TEST_DISPLAY(PreviewFromStatusItemTest)
#include "tst_videoclip.moc"
