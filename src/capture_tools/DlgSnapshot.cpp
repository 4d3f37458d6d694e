#include "DlgSnapshot.h"
#include "ui_DlgSnapshot.h"

#include "FfColor.h"
#include "Log.h"
#include "Snapshot.h"
#include "SnapshotFile.h"
#include "core/DeviceManager.h"
#include "core/RecordParameter.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"

#include <QDateTime>
#include <QFile>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

namespace {
const char* const kModule = "DlgSnapshot";
const char kPinFile[] = "/paintToScreen.png";
const char kCustomFile[] = "cussnapshot";
} // namespace

DlgSnapshot::DlgSnapshot(QWidget* parent, bool custom)
    : OvDialogBase(parent, Qt::Tool | Qt::WindowStaysOnTopHint, true)
    , ui(new Ui::DlgSnapshot)
    , m_pSnapshot(new Snapshot(this))
    , m_bCustom(custom)
{
    ui->setupUi(this);

    FfColor* bar = ui->frmEdit;
    connect(bar, &FfColor::redo, this, &DlgSnapshot::onRedo);
    connect(bar, &FfColor::undo, this, &DlgSnapshot::onUndo);
    connect(bar, &FfColor::startCanvs, this, &DlgSnapshot::onStartCanvas);
    connect(bar, &FfColor::stopCanvs, this, &DlgSnapshot::onStopCanvas);
    connect(bar, &FfColor::clear, this, &DlgSnapshot::onClear);
    connect(bar, &FfColor::blurChanged, this, &DlgSnapshot::onChangeBlur);
    connect(ui->btnSaveToDisc, &QAbstractButton::clicked, this, &DlgSnapshot::onSave);
    connect(ui->btnCopy, &QAbstractButton::clicked, this, &DlgSnapshot::onCopy);
    connect(ui->btnClose, &QAbstractButton::clicked, this, &DlgSnapshot::OnClose);
    connect(ui->btnFull, &QAbstractButton::clicked, this, &DlgSnapshot::onFull);
    connect(ui->btnPainToScreen, &QAbstractButton::clicked, this, &DlgSnapshot::onPaintToScreen);

    ui->frmAction->setEnabled(false);
    bar->setHasBlur(true);
    postCreateDerivedDialog(false, false, nullptr);

    SetZoomTipsFormat(tr("%d x %d\nLeft:%d Top:%d").toUtf8().constData());
}

DlgSnapshot::~DlgSnapshot() = default;

FfColor* DlgSnapshot::toolBar() const { return ui->frmEdit; }

bool DlgSnapshot::hasCapture() const { return m_pSnapshot->capture() != nullptr; }

bool DlgSnapshot::createImageCapture()
{
    if (m_pSnapshot->create(RecordParameter::instance()->getUseDisplayIndex()))
        return true;
    Log(kModule, 2, "the screen could not be captured");
    Utils::showMacWindowMessage(MT_ERROR, m_bCustom ? nullptr : this, tr("The screen could not be captured."), MB_OK);
    if (m_bCustom)
        emit cusSnapshotSave(QString(), QRect());
    else
        endScreenshot();
    return false;
}

// ---- the selection -----------------------------------------------------------------------

QRect DlgSnapshot::selectionRect(const CRect& rect, bool finished)
{
    const double last = finished ? 1 : 0;
    return QRect(QPoint(int(rect.left), int(rect.top)), QPoint(int(rect.right - last), int(rect.bottom - last)));
}

QPoint DlgSnapshot::placeBeside(const QRect& selection, const QSize& size, const QRect& screen)
{
    int x = selection.right() - size.width();
    int y = screen.top();
    if (selection.bottom() + size.height() < screen.bottom())
        y = selection.bottom();
    else if (selection.top() - size.height() >= screen.top())
        y = selection.top() - size.height();
    if (x < screen.left())
        x = screen.left();
    return QPoint(x, y);
}

void DlgSnapshot::onSelectionCompleted(const CRect& rect)
{
    m_rcSelect = selectionRect(rect, true);
    m_bSelected = true;
    Log(kModule, 1, "finised rect left:%d, top:%d, right:%d, buttom:%d", m_rcSelect.left(), m_rcSelect.top(),
        m_rcSelect.right(), m_rcSelect.bottom());
    if (m_bCustom) {
        customSave();
        return;
    }
    ui->frmAction->setEnabled(true);
    stayAboveOverlay();
    show();
    placeAt(m_rcSelect);
}

void DlgSnapshot::stayAboveOverlay()
{
    CImageCaptureObject* capture = m_pSnapshot->capture();
    const unsigned long long overlay = capture ? capture->OverlayWindow() : 0;
    if (overlay == 0 || (m_pOverlayWindow && m_pOverlayWindow->winId() == WId(overlay)))
        return;
    winId();
    std::unique_ptr<QWindow> window(QWindow::fromWinId(WId(overlay)));
    if (!window) // a platform without foreign windows
        return;
    windowHandle()->setTransientParent(window.get());
    m_pOverlayWindow = std::move(window);
}

void DlgSnapshot::onBeginResize()
{
    if (!m_bCustom && m_bSelected)
        hide();
}

void DlgSnapshot::onSelectionResized(const CRect& rect)
{
    // The dialog follows the frame being dragged; the selection itself keeps its last pixel.
    const QRect frame = selectionRect(rect, false);
    m_rcSelect = selectionRect(rect, true);
    Log(kModule, 1, "changed rect letg:%d, top:%d, right:%d, buttom:%d", frame.left(), frame.top(), frame.right(),
        frame.bottom());
    if (!m_bCustom)
        placeAt(frame);
}

void DlgSnapshot::onEndResize()
{
    if (!m_bCustom && m_bSelected && !m_bEnded)
        show();
}

void DlgSnapshot::placeAt(const QRect& selection)
{
    adjustSize();
    const QRect screen = DeviceManager::instance()->getFullScreenRect(RecordParameter::instance()->getUseDisplayIndex());
    move(placeBeside(selection, size(), screen));
}

void DlgSnapshot::showEvent(QShowEvent* event)
{
    OvDialogBase::showEvent(event);
    // Above the capture's full-screen overlay.
    if (hasCapture())
        raise();
}

// ---- drawing ------------------------------------------------------------------------------

void DlgSnapshot::onStartCanvas(int shape)
{
    CScreenCanvas* canvas = shape == CS_None ? nullptr : m_pSnapshot->canvas();
    if (!canvas)
        return;
    m_nShape = shape;
    FfColor* bar = ui->frmEdit;
    const ColorRef colour = bar->getColor().rgba();
    const ColorRef background = bar->getBackgroundColor().rgba();
    const QByteArray family = FfColor::fontFamily().toUtf8();
    const int size = bar->getCanvsType() == CS_Text ? bar->getFontSize() : bar->getPainterSize();
    int rc = 0;
    if (shape == CS_Callout) {
        canvas->SetStartNumber(bar->numberNumber());
        rc = canvas->Start(shape, background, colour, family.constData(), size);
    } else {
        rc = canvas->Start(shape, colour, background, family.constData(), size);
    }
    m_bDrawing = rc == 0;
    Log(kModule, 1, "screen canvas start Information: shapes: %d, size: %d, font: %s", shape, size, family.constData());
    if (rc != 0)
        Log(kModule, 2, "the canvas refused tool %d", shape);
}

void DlgSnapshot::onStopCanvas(bool)
{
    if (CScreenCanvas* canvas = m_pSnapshot->canvas())
        canvas->Stop();
    m_bDrawing = false;
}

void DlgSnapshot::onRedo()
{
    if (CScreenCanvas* canvas = m_pSnapshot->canvas())
        canvas->Redo();
}

void DlgSnapshot::onUndo()
{
    if (CScreenCanvas* canvas = m_pSnapshot->canvas())
        canvas->Undo();
}

void DlgSnapshot::onClear()
{
    if (CScreenCanvas* canvas = m_pSnapshot->canvas())
        canvas->Clear();
}

void DlgSnapshot::onChangeBlur(int level)
{
    if (CImageCaptureObject* capture = m_pSnapshot->capture())
        capture->SetBlur(level);
}

void DlgSnapshot::onCalloutPlaced(int number) { ui->frmEdit->setNumberNumber(number); }

void DlgSnapshot::setCanvasHistory(bool canUndo, bool canRedo)
{
    m_bCanUndo = canUndo;
    m_bCanRedo = canRedo;
}

// ---- the actions --------------------------------------------------------------------------

void DlgSnapshot::onSave()
{
    CImageCaptureObject* capture = m_pSnapshot->capture();
    if (!capture)
        return;
    hide();
    const SnapshotFile::Format format = SnapshotFile::formatFor(RecordParameter::instance()->usedImgFmt());
    const QString path = SnapshotFile::freePath(Utils::getRecorderTmpRoot(), QDateTime::currentDateTime(), format.suffix);
    if (capture->SaveImage(format.engineCode, QFile::encodeName(path).constData()) < 0) {
        Log(kModule, 2, "snapshot save faild!");
        reportFailure(tr("The screenshot could not be saved. Please check that the disk has free space and try "
                         "again."));
        return;
    }
    m_pSnapshot->release();
    m_bEnded = true;
    emit pictureSave(path, format.filter);
}

void DlgSnapshot::onCopy()
{
    CImageCaptureObject* capture = m_pSnapshot->capture();
    if (!capture)
        return;
    if (capture->CopyToClipboard() < 0)
        Log(kModule, 2, "snapshot copy failed");
    endScreenshot();
}

void DlgSnapshot::onFull()
{
    CImageCaptureObject* capture = m_pSnapshot->capture();
    if (!capture)
        return;
    const QRect display = DeviceManager::instance()->getSelectedDisplayRect();
    capture->SelectArea(CRect(display.left(), display.top(), display.right(), display.bottom()));
}

void DlgSnapshot::onPaintToScreen()
{
    CImageCaptureObject* capture = m_pSnapshot->capture();
    if (!capture)
        return;
    const QString path = QString(Utils::getAppDataLocation() + QLatin1String(kPinFile)).replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A scratch file of this user: one left by an earlier pin is not wanted.
    QFile::remove(path);
    QImage image;
    if (capture->SaveImage(ICF_PNG, QFile::encodeName(path).constData()) == 0)
        image.load(path, "png");
    QFile::remove(path);
    if (image.isNull()) {
        Log(kModule, 2, "snapshot save faild!");
        reportFailure(tr("The screenshot could not be pinned to the screen. Please check that the disk has free "
                         "space and try again."));
        return;
    }
    emit paintToScreen(image);
    endScreenshot();
}

void DlgSnapshot::OnClose()
{
    if (!m_bCustom)
        endScreenshot();
}

void DlgSnapshot::keyPressEvent(QKeyEvent* event)
{
    // Every key stops here: Enter must not end the dialog the way QDialog would.
    if (event->key() == Qt::Key_Escape)
        OnClose();
}

void DlgSnapshot::onOverlayClosed()
{
    if (m_bEnded)
        return;
    if (m_bCustom) {
        // The caller hid itself for the pick: it must hear that nothing was picked.
        m_bEnded = true;
        releaseLater();
        emit cusSnapshotSave(QString(), QRect());
        return;
    }
    // The overlay is closing inside this report: release it once the report has returned.
    QTimer::singleShot(0, this, &DlgSnapshot::endScreenshot);
}

void DlgSnapshot::endScreenshot()
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    m_pSnapshot->release();
    m_bDrawing = false;
    hide();
    emit finished(0);
}

void DlgSnapshot::releaseLater()
{
    QTimer::singleShot(1, this, [this] { m_pSnapshot->release(); });
}

void DlgSnapshot::customSave()
{
    // A name of this user's own temporary root: nobody else can place a file or link there.
    const QString path = FileSystemUtils::freeFilePath(Utils::getRecorderTmpRoot(), QLatin1String(kCustomFile),
                                                       QStringLiteral("png"));
    CImageCaptureObject* capture = m_pSnapshot->capture();
    const bool saved = capture && capture->SaveImage(ICF_PNG, QFile::encodeName(path).constData()) == 0;
    m_bEnded = true;
    releaseLater();
    if (!saved) {
        Log(kModule, 2, "snapshot save faild!");
        Utils::showMacWindowMessage(MT_ERROR, nullptr, tr("The selected area could not be saved."), MB_OK);
        emit cusSnapshotSave(QString(), m_rcSelect);
        return;
    }
    emit cusSnapshotSave(path, m_rcSelect);
}

void DlgSnapshot::reportFailure(const QString& text)
{
    // The screenshot stays: the user may try again, copy it or pin it.
    show();
    placeAt(m_rcSelect);
    Utils::showMacWindowMessage(MT_ERROR, this, text, MB_OK);
}
