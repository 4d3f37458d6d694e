#include "RecordHistoryTool.h"

#include "Log.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "core/SettingsKeys.h"
#include "core/SignalsTransfer.h"
#include "feedback/FeedBackDialog.h"
#include "output/RecordHistoryDlg.h"
#include "recording/DlgRecordLength.h"
#include "services/OSServiceUtils.h"
#include "services/Utils.h"
#include "tasks/TaskManage.h"
#include "tasks/dlgTaskScheduler.h"
#include "ui_RecordHistoryTool.h"
#include "watermark/DlgWatermarkManage.h"
#include "watermark/ProgressDialog.h"
#include "watermark/WaterMarkDataManage.h"
#include "watermark/WhaterMarkMenuDlg.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QStandardPaths>
#include <QTimer>

namespace {
// The watermark's name on its button is cut to this many pixels.
const int kWatermarkNameWidth = 160;
// The task daemon's user service, under the user's configuration folder, once installed.
const char kTaskServiceFile[] = "/systemd/user/screenrecorder-taskd.service";
} // namespace

RecordHistoryTool::RecordHistoryTool(QWidget* parent)
    : QFrame(parent)
    , m_pUi(new Ui::RecordHistoryTool)
{
    m_pUi->setupUi(this);
    setObjectName(QStringLiteral("historyTool"));
    m_pUi->btnHistory->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_history.svg")));
    m_pUi->btnWatermark->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_watermark.svg")));
    m_pUi->btnTasks->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_tasks.svg")));
    m_pUi->btnRecordLength->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_record_length.svg")));
    m_pUi->btnSettings->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_settings.svg")));
    m_pUi->btnFeedback->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_feedback.svg")));
    connect(m_pUi->btnHistory, &QToolButton::clicked, this, &RecordHistoryTool::onShowHistory);
    connect(m_pUi->btnWatermark, &QToolButton::clicked, this, &RecordHistoryTool::onShowWhaterMarkMenuDlg);
    connect(m_pUi->btnTasks, &QToolButton::clicked, this, &RecordHistoryTool::onShowTaskDlg);
    connect(m_pUi->btnRecordLength, &QToolButton::clicked, this, &RecordHistoryTool::onShowRecordLength);
    connect(m_pUi->btnSettings, &QToolButton::clicked, this, &RecordHistoryTool::onShowSettings);
    connect(m_pUi->btnFeedback, &QToolButton::clicked, this, &RecordHistoryTool::onShowFeedback);
    connect(SignalsTransfer::instance(), &SignalsTransfer::onAddHistoryFile, this, &RecordHistoryTool::onAddHistoryFile);
    connect(SignalsTransfer::instance(), &SignalsTransfer::showHistory, this, &RecordHistoryTool::onShowHistory);
    onInitWaterMark();
    updateRecordLengthText();
}

RecordHistoryTool::~RecordHistoryTool()
{
    delete m_pHistoryDlg;
    delete m_pUi;
}

RecordHistoryDlg* RecordHistoryTool::historyDlg()
{
    if (!m_pHistoryDlg) {
        m_pHistoryDlg = new RecordHistoryDlg(window());
        m_pHistoryDlg->setObjectName(QStringLiteral("RecordHistoryDlg"));
        m_pHistoryDlg->setModal(true);
        m_pHistoryDlg->setWindowTitle(OvProductInfo::instance()->productName());
    }
    return m_pHistoryDlg;
}

ShortcutTool* RecordHistoryTool::shortcutTool() const { return m_pUi->shortcutTool; }

bool RecordHistoryTool::isHistoryShowing() const { return m_pHistoryDlg && m_pHistoryDlg->isVisible(); }

void RecordHistoryTool::onShowHistory()
{
    RecordHistoryDlg* dlg = historyDlg();
    // Normal size, centred on the window it belongs to (or its screen).
    dlg->showNormal();
    dlg->centreOn(window());
    dlg->raise();
    dlg->activateWindow();
}

void RecordHistoryTool::onAddHistoryFile(const HistoryFileUtils::HistoryFile& file)
{
    Log("RecordHistoryTool", 1, "history: added %s", qUtf8Printable(file.fileName));
    historyDlg()->isAddedHistory();
}

void RecordHistoryTool::onShowTaskDlg()
{
    if (!TaskManage::instance()->isConnected() && !repairTaskDaemon())
        return;
    emit sigShowChildeDlg(false);
    {
        dlgTaskScheduler dialog(window());
        dialog.setObjectName(QStringLiteral("dlgTaskScheduler"));
        dialog.exec();
    }
    emit sigShowChildeDlg(true);
}

bool RecordHistoryTool::repairTaskDaemon()
{
    const bool installed = QFileInfo::exists(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1String(kTaskServiceFile));
    OvMessageBox question(window(), true);
    question.setMsgTitle(OvProductInfo::instance()->productName());
    question.setIcon(OvMessageBox::IconQuestion);
    question.setLabelInfo(installed ? tr("Task Schedule does not respond. Do you want to fix it now?")
                                    : tr("Task Schedule is not installed yet. Do you want to install it now?"));
    question.setButtons(QMessageBox::Yes | QMessageBox::Cancel);
    question.button(QMessageBox::Yes)->setText(installed ? tr("Fix now") : tr("Install now"));
    if (question.exec() != QMessageBox::Yes)
        return false;

    Log("RecordHistoryTool", 1, "%s the task daemon", installed ? "repairing" : "installing");
    ProgressDialog progress(window());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMessageText(tr("Installing Task Schedule, please wait..."));
    progress.show();
    // The script runs on a worker; this loop keeps the windows painting meanwhile.
    QEventLoop loop;
    OSServiceUtils::UserExecuteAsync(Utils::getRecorderTmpRoot(), 1, &loop, [&loop](int, const QString&) { loop.quit(); });
    loop.exec();
    TaskManage::instance()->reConnectXPCServer();
    progress.accept();
    return true;
}

void RecordHistoryTool::onShowRecordLength()
{
    emit sigShowChildeDlg(false);
    {
        DlgRecordLength dialog(window());
        dialog.setObjectName(QStringLiteral("DlgRecordLength"));
        dialog.exec();
    }
    updateRecordLengthText();
    emit sigShowChildeDlg(true);
}

void RecordHistoryTool::updateRecordLengthText() { m_pUi->btnRecordLength->setText(DlgRecordLength::buttonText()); }

void RecordHistoryTool::onInitWaterMark()
{
    if (!m_pWaterMarkMenuDlg) {
        m_pWaterMarkMenuDlg = new WhaterMarkMenuDlg(this);
        m_pWaterMarkMenuDlg->setObjectName(QStringLiteral("WhaterMarkMenuDlg"));
        connect(m_pWaterMarkMenuDlg, &WhaterMarkMenuDlg::sigBtnAMWaterMarkClicked, this,
                &RecordHistoryTool::onAMWaterMarkClicked);
        connect(m_pWaterMarkMenuDlg, &WhaterMarkMenuDlg::sigPopViewListItemClicked, this,
                &RecordHistoryTool::onPopViewListItemClicked);
    }
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    const int index = store->m_nCurIndex;
    setWatermarkText(index, index >= 0 ? store->getWatermarkName(index) : QString());
}

void RecordHistoryTool::onShowWhaterMarkMenuDlg()
{
    m_pWaterMarkMenuDlg->onLoadData(WaterMarkDataManage::instance()->m_nCurIndex);
    QToolButton* button = m_pUi->btnWatermark;
    WaterMarkDataManage::instance()->setPosShowDlg(m_pWaterMarkMenuDlg, button, button->rect());
    m_pWaterMarkMenuDlg->show();
    m_pWaterMarkMenuDlg->activateWindow();
}

void RecordHistoryTool::onPopViewListItemClicked(int index, const QString& name, int oldIndex)
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    store->m_nCurIndex = index;
    setWatermarkText(index, name);
    m_pWaterMarkMenuDlg->close();
    OvSettings::instance()->setApplicationParam(QLatin1String(SettingsKeys::kWatermarkIndex), index);
    Log("RecordHistoryTool", 1, "watermark %d -> %d", oldIndex, index);
    if (sender() == m_pWaterMarkMenuDlg) {
        // Rendered once the pop-up has closed, so that the next recording starts from it.
        QTimer::singleShot(1, this, [index] { WaterMarkDataManage::instance()->saveCurWaterMarkEditImg(index); });
    }
}

void RecordHistoryTool::onAMWaterMarkClicked()
{
    emit sigShowChildeDlg(false);
    m_pWaterMarkMenuDlg->close();
    m_pWatermarkManage = new DlgWatermarkManage(window());
    m_pWatermarkManage->setObjectName(QStringLiteral("DlgWatermarkManage"));
    m_pWatermarkManage->onInitUI();
    connect(m_pWatermarkManage, &QDialog::finished, this, &RecordHistoryTool::onWatermarkManageFinished);
    m_pWatermarkManage->exec();
}

void RecordHistoryTool::onWatermarkManageFinished()
{
    DlgWatermarkManage* dialog = m_pWatermarkManage;
    if (!dialog)
        return;
    m_pWatermarkManage = nullptr;
    if (dialog->result() == QDialog::Accepted || dialog->m_bSaved) {
        WaterMarkDataManage* store = WaterMarkDataManage::instance();
        const int index = dialog->m_bApplySelection ? dialog->m_nAppliedIndex : store->m_nCurIndex;
        m_pWaterMarkMenuDlg->onLoadData(index);
        if (dialog->m_bApplySelection)
            onPopViewListItemClicked(index, store->getWatermarkName(index), store->m_nCurIndex);
        else
            onInitWaterMark(); // the selected record may have been renamed
        store->saveWaterMarkDataFile();
    }
    dialog->deleteLater();
    emit sigShowChildeDlg(true);
}

void RecordHistoryTool::onShowSettings()
{
    emit sigShowOption();
}

void RecordHistoryTool::onShowFeedback()
{
    emit sigShowChildeDlg(false);
    FeedBackDialog::showFeedBack(window());
    emit sigShowChildeDlg(true);
}

void RecordHistoryTool::setWatermarkText(int index, const QString& name)
{
    if (index < 0) {
        m_pUi->btnWatermark->setText(tr("Record Watermark (OFF)"));
        m_pUi->btnWatermark->setToolTip(QString());
        return;
    }
    const QFontMetrics fm(m_pUi->btnWatermark->font());
    m_pUi->btnWatermark->setText(fm.elidedText(name, Qt::ElideRight, kWatermarkNameWidth) + tr(" (ON)"));
    m_pUi->btnWatermark->setToolTip(name);
}
