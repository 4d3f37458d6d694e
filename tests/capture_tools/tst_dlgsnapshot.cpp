// The screenshot dialog on the real engine with a made-up screen picture: every way out of a
// screenshot ends it once and releases the capture; custom picks report a cancel or a
// failure instead of a path; a failed save or pin keeps the screenshot and tells the user;
// two screenshots of one second are both kept, in PNG when the stored format is unknown.

#include "ModalAnswers.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "capture/ScreenSource.h"
#include "capture_tools/DlgSnapshot.h"
#include "capture_tools/SnapshotFile.h"
#include "core/DeviceManager.h"
#include "core/RecordParameter.h"
#include "services/Utils.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using SrTest::spinUntil;

namespace {
// The screen as a picture of coloured bands, whatever the platform can grab.
class BandsSource : public capture::ScreenSource {
public:
    QImage grab(QScreen* screen) override
    {
        QImage picture(screen->size() * screen->devicePixelRatio(), QImage::Format_RGB32);
        QPainter painter(&picture);
        for (int x = 0; x < picture.width(); x += 40)
            painter.fillRect(x, 0, 40, picture.height(), QColor::fromHsv((x / 40 * 37) % 360, 200, 220));
        painter.end();
        picture.setDevicePixelRatio(screen->devicePixelRatio());
        return picture;
    }
};

QWidget* overlay()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && QByteArray(w->metaObject()->className()) == "capture::SelectionOverlay")
            return w;
    return nullptr;
}

void mouse(QWidget* on, QEvent::Type type, const QPoint& pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, pos, on->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(on, &event);
}

// Drags out a selection on the overlay, as a user does.
void select(QWidget* on, const QRect& area)
{
    mouse(on, QEvent::MouseButtonPress, area.topLeft(), Qt::LeftButton, Qt::LeftButton);
    mouse(on, QEvent::MouseMove, area.center(), Qt::NoButton, Qt::LeftButton);
    mouse(on, QEvent::MouseMove, area.bottomRight(), Qt::NoButton, Qt::LeftButton);
    mouse(on, QEvent::MouseButtonRelease, area.bottomRight(), Qt::LeftButton, Qt::NoButton);
}

const QRect kArea(100, 80, 201, 151);

QAbstractButton* button(DlgSnapshot& dlg, const char* name)
{
    return dlg.findChild<QAbstractButton*>(QString::fromLatin1(name));
}

// Points the application's data folder (and the temporary root in it) at a folder nothing
// can be written to, while it lives.
class UnwritableData {
public:
    UnwritableData()
        : m_strFolder(Utils::getAppDataLocation())
    {
        QDir(m_strFolder).removeRecursively();
        QFile::link(QStringLiteral("/proc/self/fdinfo"), m_strFolder);
    }
    ~UnwritableData()
    {
        QFile::remove(m_strFolder);
        QDir().mkpath(m_strFolder);
    }

private:
    QString m_strFolder;
};
} // namespace

class SnapshotDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void everyEndIsOneFinishedAndOneRelease_data();
    void everyEndIsOneFinishedAndOneRelease();
    void customPickReportsAPathOnlyForASavedFile();
    void failedSaveOrPinKeepsTheScreenshot();
    void screenshotsOfOneSecondAreBothKeptAsPng();
    void fullScreenSavesTheWholeDisplay();

private:
    // A started screenshot with `kArea` selected.
    void start(DlgSnapshot& dlg);
    BandsSource m_source;
};

void SnapshotDialogTest::initTestCase() { capture::ScreenSource::install(&m_source); }

void SnapshotDialogTest::cleanupTestCase() { capture::ScreenSource::install(nullptr); }

void SnapshotDialogTest::init()
{
    ModalAnswers::clear();
    RecordParameter::instance()->setUsedImgFmt(RP_FMT_PNG);
}

void SnapshotDialogTest::start(DlgSnapshot& dlg)
{
    QVERIFY(dlg.createImageCapture());
    QWidget* on = overlay();
    QVERIFY(on);
    select(on, kArea);
}

void SnapshotDialogTest::everyEndIsOneFinishedAndOneRelease_data()
{
    QTest::addColumn<QString>("end");
    for (const char* end : {"copy", "pin", "close", "escape", "overlayEscape", "overlayRightClick"})
        QTest::newRow(end) << QString::fromLatin1(end);
}

void SnapshotDialogTest::everyEndIsOneFinishedAndOneRelease()
{
    QFETCH(QString, end);
    DlgSnapshot dlg(nullptr, false);
    QSignalSpy finished(&dlg, &QDialog::finished);
    QSignalSpy pinned(&dlg, &DlgSnapshot::paintToScreen);
    start(dlg);
    QVERIFY(dlg.isVisible());
    const QSize selected = dlg.selection().size();
    QVERIFY(!selected.isEmpty());
    QApplication::clipboard()->clear();

    if (end == QLatin1String("copy"))
        button(dlg, "btnCopy")->click();
    else if (end == QLatin1String("pin"))
        button(dlg, "btnPainToScreen")->click();
    else if (end == QLatin1String("close"))
        button(dlg, "btnClose")->click();
    else if (end == QLatin1String("escape"))
        QTest::keyClick(&dlg, Qt::Key_Escape);
    else if (end == QLatin1String("overlayEscape"))
        QTest::keyClick(overlay(), Qt::Key_Escape);
    else
        QTest::mouseClick(overlay(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));

    QVERIFY(spinUntil([&finished] { return !finished.isEmpty(); }, 5000));
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QVERIFY(!dlg.hasCapture());
    QVERIFY(!overlay());
    if (end == QLatin1String("copy"))
        QCOMPARE(QApplication::clipboard()->image().size(), selected);
    if (end == QLatin1String("pin")) {
        QCOMPARE(pinned.size(), 1);
        QCOMPARE(pinned.at(0).at(0).value<QImage>().size(), selected);
    }
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void SnapshotDialogTest::customPickReportsAPathOnlyForASavedFile()
{
    {
        // Closed without a pick: the caller, hidden for the pick, hears a cancel.
        DlgSnapshot dlg(nullptr, true);
        QSignalSpy saved(&dlg, &DlgSnapshot::cusSnapshotSave);
        QVERIFY(dlg.createImageCapture());
        QTest::keyClick(overlay(), Qt::Key_Escape);
        QCOMPARE(saved.size(), 1);
        QVERIFY(saved.at(0).at(0).toString().isEmpty());
        QVERIFY(spinUntil([&dlg] { return !dlg.hasCapture(); }, 5000));
    }
    {
        DlgSnapshot dlg(nullptr, true);
        QSignalSpy saved(&dlg, &DlgSnapshot::cusSnapshotSave);
        start(dlg);
        QCOMPARE(saved.size(), 1);
        const QString path = saved.at(0).at(0).toString();
        QCOMPARE(QFileInfo(path).absolutePath(), Utils::getRecorderTmpRoot());
        QCOMPARE(QImage(path).size(), saved.at(0).at(1).toRect().size());
        QVERIFY(!dlg.isVisible());
    }
    {
        // The pick cannot be written: no path, and the user is told.
        UnwritableData unwritable;
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        DlgSnapshot dlg(nullptr, true);
        QSignalSpy saved(&dlg, &DlgSnapshot::cusSnapshotSave);
        start(dlg);
        QCOMPARE(saved.size(), 1);
        QVERIFY(saved.at(0).at(0).toString().isEmpty());
        QCOMPARE(ModalAnswers::messages().size(), 1);
    }
}

void SnapshotDialogTest::failedSaveOrPinKeepsTheScreenshot()
{
    UnwritableData unwritable;
    DlgSnapshot dlg(nullptr, false);
    QSignalSpy finished(&dlg, &QDialog::finished);
    QSignalSpy saved(&dlg, &DlgSnapshot::pictureSave);
    QSignalSpy pinned(&dlg, &DlgSnapshot::paintToScreen);
    start(dlg);
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
    button(dlg, "btnSaveToDisc")->click();
    button(dlg, "btnPainToScreen")->click();
    QCOMPARE(ModalAnswers::messages().size(), 2);
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    QCOMPARE(saved.size() + pinned.size() + finished.size(), 0);
    QVERIFY(dlg.hasCapture());
    QVERIFY(dlg.isVisible());
    QVERIFY(overlay());
}

void SnapshotDialogTest::screenshotsOfOneSecondAreBothKeptAsPng()
{
    // A value that names no image format (a damaged setting) saves PNG.
    RecordParameter::instance()->setUsedImgFmt(RP_Format(99));
    QVERIFY(spinUntil([] { return QTime::currentTime().msec() < 100; }, 2000));
    QStringList paths;
    QSize selected;
    for (int i = 0; i < 2; ++i) {
        DlgSnapshot dlg(nullptr, false);
        QSignalSpy saved(&dlg, &DlgSnapshot::pictureSave);
        start(dlg);
        selected = dlg.selection().size();
        button(dlg, "btnSaveToDisc")->click();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.at(0).at(1).toString(), QStringLiteral("PNG (*.png)"));
        paths << saved.at(0).at(0).toString();
    }
    QVERIFY(paths[0] != paths[1]);
    QCOMPARE(SnapshotFile::plainBaseName(paths[0]), SnapshotFile::plainBaseName(paths[1]));
    for (const QString& path : paths) {
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        QCOMPARE(reader.size(), selected);
        QFile::remove(path);
    }
}

void SnapshotDialogTest::fullScreenSavesTheWholeDisplay()
{
    DlgSnapshot dlg(nullptr, false);
    QSignalSpy saved(&dlg, &DlgSnapshot::pictureSave);
    start(dlg);
    button(dlg, "btnFull")->click();
    const QRect display = DeviceManager::instance()->getSelectedDisplayRect();
    QCOMPARE(dlg.selection(), display);
    button(dlg, "btnSaveToDisc")->click();
    QCOMPARE(saved.size(), 1);
    const QString path = saved.at(0).at(0).toString();
    QCOMPARE(QImageReader(path).size(), display.size());
    QFile::remove(path);
}

SR_TEST(SnapshotDialogTest)
#include "tst_dlgsnapshot.moc"
