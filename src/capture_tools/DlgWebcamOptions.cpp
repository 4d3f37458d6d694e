#include "DlgWebcamOptions.h"

#include "CameraPhoto.h"
#include "Log.h"
#include "OvMessageBox.h"
#include "core/CameraManager.h"
#include "core/RecordParameter.h"
#include "ui_DlgWebcamOptions.h"

#include <QCloseEvent>

namespace {
const int kPositionCount = RP_POS_BOTTOMRIGHT + 1;
} // namespace

DlgWebcamOptions::DlgWebcamOptions(QWidget* parent)
    : OvDialogBase(parent)
    , ui(new Ui::DlgWebcamOptions)
{
    ui->setupUi(this);
    setWindowTitle(tr("Webcam"));
    setAttribute(Qt::WA_TranslucentBackground, false);
    initCamera();
    connect(ui->cmbWebcam, qOverload<int>(&QComboBox::currentIndexChanged), this, &DlgWebcamOptions::onChangeDevice);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->btnOK, &QPushButton::clicked, this, &DlgWebcamOptions::accept);
    connect(ui->btnTakePhoto, &QPushButton::clicked, this, &DlgWebcamOptions::onSnapshot);
    postCreateDerivedDialog(true, false, nullptr);
}

DlgWebcamOptions::~DlgWebcamOptions()
{
    // The preview draws into this dialog: the camera goes with it.
    if (CameraManager::exists() && !CameraManager::instance()->isRecording())
        CameraManager::release();
}

void DlgWebcamOptions::initCamera()
{
    for (int i = 0; i < ui->cmbPos->count(); ++i)
        ui->cmbPos->setItemData(i, i);
    const int pos = RecordParameter::instance()->getCameraDefaultPos();
    ui->cmbPos->setCurrentIndex(pos >= 0 && pos < kPositionCount ? pos : 0);

    const QSignalBlocker blocker(ui->cmbWebcam);
    ui->cmbWebcam->clear();
    ui->cmbWebcam->addItems(CameraManager::instance()->getCameras());
    ui->cmbWebcam->setCurrentIndex(checkedCameraIndex());
    ui->btnTakePhoto->setEnabled(ui->cmbWebcam->count() > 0);
}

int DlgWebcamOptions::checkedCameraIndex() const
{
    RecordParameter* parameter = RecordParameter::instance();
    if (parameter->getCameraIndex() < 0 || parameter->getCameraIndex() >= ui->cmbWebcam->count())
        parameter->setCameraIndex(0);
    return ui->cmbWebcam->count() > 0 ? parameter->getCameraIndex() : -1;
}

void DlgWebcamOptions::onChangeDevice()
{
    CameraManager* camera = CameraManager::instance();
    if (camera->isRecording()) {
        // The running webcam recording keeps its camera.
        Log("camera", 1, "camera options: a webcam recording runs, no preview");
        return;
    }
    CameraManager::release();
    camera = CameraManager::instance();
    ui->cmbResolution->clear();
    const QString name = ui->cmbWebcam->currentText();
    // A camera is read at the size it delivers: that size is what the list offers.
    if (!name.isEmpty() && camera->openCamera(name, ui->wdgWebcamRender, false)) {
        int width = 0;
        int height = 0;
        camera->getVideoSize(width, height);
        if (width > 0 && height > 0)
            ui->cmbResolution->addItem(tr("%1 x %2").arg(width).arg(height), QSize(width, height));
    }
    ui->cmbResolution->setEnabled(ui->cmbResolution->count() > 0);
}

void DlgWebcamOptions::showEvent(QShowEvent* event)
{
    OvDialogBase::showEvent(event);
    checkedCameraIndex();
    onChangeDevice();
}

void DlgWebcamOptions::resizeEvent(QResizeEvent* event)
{
    OvDialogBase::resizeEvent(event);
    CameraManager::instance();
}

bool DlgWebcamOptions::isChanged() const
{
    RecordParameter* parameter = RecordParameter::instance();
    const bool cameraChanged = ui->cmbWebcam->count() > 0 && ui->cmbWebcam->currentIndex() != parameter->getCameraIndex();
    return cameraChanged || ui->cmbPos->currentIndex() != parameter->getCameraDefaultPos();
}

void DlgWebcamOptions::closeEvent(QCloseEvent* event)
{
    if (!isChanged()) {
        event->accept();
        OvDialogBase::reject();
        return;
    }
    const int answer = OvMessageBox::question(
        this, tr("Preferences"), tr("You have changed some settings. Do you want to save the changes before exiting?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel) {
        event->ignore();
        return;
    }
    event->accept();
    if (answer == QMessageBox::Yes)
        accept();
    else
        OvDialogBase::reject();
}

void DlgWebcamOptions::accept()
{
    RecordParameter* parameter = RecordParameter::instance();
    const int pos = ui->cmbPos->currentIndex();
    parameter->setCameraDefaultPos(RP_DefalutPos(pos));
    if (ui->cmbWebcam->currentIndex() >= 0)
        parameter->setCameraIndex(ui->cmbWebcam->currentIndex());
    OvDialogBase::accept();
}

void DlgWebcamOptions::reject() { OvDialogBase::reject(); }

void DlgWebcamOptions::onSnapshot()
{
    const QRect view(ui->frmWebcamView->mapToGlobal(QPoint(0, 0)), ui->frmWebcamView->size());
    CameraPhoto::take(QStringLiteral("Snapshot_"), this, view);
}
