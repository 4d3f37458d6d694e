#include "RecordChecks.h"

#include "Log.h"
#include "MainWindowBase.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"
#include "RecordTarget.h"
#include "core/RecordParameter.h"
#include "core/ScreenRecorder.h"
#include "core/WindowListManger.h"
#include "recording/AudioDriverManager.h"
#include "recording/DlgSetPermissions.h"
#include "services/PlatformSeam.h"
#include "services/Utils.h"
#include "tasks/TaskManage.h"
#include "watermark/WaterMarkDataManage.h"

#include <QCoreApplication>

namespace {
// The checks speak as the main window does.
QString tr(const char* text) { return QCoreApplication::translate("MainWindow", text); }

// The chosen watermark of a screen recording is prepared now, so that the user hears before
// the recording when it cannot be drawn, and why. True when it can, or when the user would
// record without it. A scheduled recording goes on without it: nobody is there to answer.
bool watermarkAccepted(QWidget* parent)
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    QRect placement;
    QString why;
    const QSize frame = ScreenRecorder::recordFrameSize(*RecordParameter::instance());
    if (!store->makeWaterMark(frame, placement, &why).isEmpty() || why.isEmpty())
        return true;
    if (TaskManage::instance()->m_bTasking)
        return true;
    const QString text = tr("The watermark \"%1\" cannot be used: %2\n\nRecord without the watermark?")
                             .arg(store->getWatermarkName(store->m_nCurIndex), why);
    return Utils::showMacWindowMessage(MT_QUESTION, parent, text, MB_OKCANCEL) == OvMessageBox::Ok;
}
} // namespace

bool RecordChecks::pass(MainWindowBase* base, bool roadBusy, const std::function<void()>& selectWindow)
{
    RecordParameter* parameter = RecordParameter::instance();
    QWidget* parent = base;
    // A scheduled task records with the choices of the window as they stand.
    if (TaskManage::instance()->m_bTasking)
        Log("MainWindow", 1, "record for a scheduled task");
    if (parameter->m_bRecording || parameter->m_bPreview || roadBusy) {
        Log("MainWindow", 1, "record refused: recording %d, preview %d, busy %d", bool(parameter->m_bRecording),
            bool(parameter->m_bPreview), roadBusy);
        return false;
    }
    if (parameter->isOnlyRecordAudio() && !parameter->isSystemAudioEnable() && !parameter->isMicrophoneEnable()) {
        Utils::showMacWindowMessage(MT_WARNING, parent,
                                    tr("Nothing to record: turn on System Sound or Microphone for an audio recording."),
                                    MB_OK);
        return false;
    }
    PlatformSeam* system = PlatformSeam::current();
    if (parameter->getVideoEnable() && !system->canRecord(PS_SCREEN) && !DlgSetPermissions::guide(PS_SCREEN, parent, base))
        return false;
    if (parameter->isWindowRecord()) {
        const QList<quint64> windows = parameter->getWindowList();
        if (windows.isEmpty() && parameter->getWindowMode() != WM_EXCLUDE) {
            Utils::showMacWindowMessage(MT_WARNING, parent, tr("Select the window to record first."), MB_OK);
            selectWindow();
            return false;
        }
        if (parameter->getWindowMode() != WM_EXCLUDE && WindowListManger::instance()->firstHiddenWindow(windows) != 0) {
            Utils::showMacWindowMessage(MT_WARNING, parent,
                                        tr("A window you selected is no longer visible. Please select it again."), MB_OK);
            return false;
        }
    }
    const QString excluded = OvProductInfo::instance()->extendParam(QStringLiteral("ExcludeProgress"));
    const QString running = RecordTarget::runningProgram(excluded);
    if (!running.isEmpty()) {
        QString name = OvProductInfo::instance()->extendParam(QStringLiteral("ExcludeProgressName"));
        if (name.isEmpty())
            name = running;
        Utils::showMacWindowMessage(MT_WARNING, parent, tr("Please close %1 before recording.").arg(name), MB_OK);
        return false;
    }
    if (parameter->isMicrophoneEnable() && !system->canRecord(PS_MICROPHONE) && !DlgSetPermissions::guide(PS_MICROPHONE, parent, base))
        return false;
    if (parameter->isSystemAudioEnable() && !system->audioSourceStatus().available) {
        AudioDriverManager dlg(parent, 0);
        if (dlg.exec() != QDialog::Accepted)
            return false;
    }
    if (!parameter->isOnlyRecordAudio() && !watermarkAccepted(parent))
        return false;
    return true;
}
