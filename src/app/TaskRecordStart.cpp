#include "TaskRecordStart.h"

#include "Log.h"
#include "MainWindow.h"
#include "WebcamHost.h"
#include "capture_tools/CameraDlg.h"
#include "core/CameraManager.h"
#include "core/RecordParameter.h"
#include "tasks/TaskManage.h"

#include <QTimer>

void TaskRecordStart::start(MainWindow* main, WebcamHost* webcam, int recWhat, int startDelayMs)
{
    RecordParameter* parameter = RecordParameter::instance();
    TaskManage* tasks = TaskManage::instance();
    if (tasks->m_bTasking || parameter->m_bRecording || parameter->m_bPreview || main->isRecordBusy()) {
        Log("TaskManage", 2, "Task start cancel, isTasking:%d, isRecording:%d, isPreview:%d", tasks->m_bTasking,
            bool(parameter->m_bRecording), bool(parameter->m_bPreview));
        return;
    }
    if (recWhat == TaskManage::RecordWebcam) {
        if (webcam->camera() && !webcam->camera()->isOnlyCamera())
            webcam->close();
        if (!webcam->camera()) {
            parameter->setOnlyRecordCamera(true);
            webcam->open();
        }
        if (tasks->isOutOfDate()) {
            Log("TaskManage", 2, "Task start out of date");
            return;
        }
        CameraDlg* recorder = webcam->recorder();
        if (!recorder || !CameraManager::instance()->isCameraRunning()) {
            Log("TaskManage", 2, "camera task start failed: camera state failed");
            return;
        }
        tasks->m_bTasking = true;
        QTimer::singleShot(startDelayMs, recorder, &CameraDlg::on_btnRec_clicked);
        return;
    }
    if (recWhat != TaskManage::RecordVideo && recWhat != TaskManage::RecordAudio) {
        Log("TaskManage", 2, "Task start failed: invalid record type");
        return;
    }
    if (recWhat == TaskManage::RecordVideo && !RecordTarget::recordsScreen(main->recordMode()))
        main->setRecordMode(RecordTarget::FullScreen);
    else if (recWhat == TaskManage::RecordAudio && main->recordMode() != RecordTarget::AudioOnly)
        main->setRecordMode(RecordTarget::AudioOnly);
    if (tasks->isOutOfDate()) {
        Log("TaskManage", 2, "Task start out of date");
        return;
    }
    tasks->m_bTasking = true;
    QTimer::singleShot(startDelayMs, main, &MainWindow::onBtnRecClicked);
}
