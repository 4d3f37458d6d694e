#include "RecordHistoryTool.h"

#include "Log.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "core/SignalsTransfer.h"
#include "output/RecordHistoryDlg.h"
#include "ui_RecordHistoryTool.h"
#include "watermark/WaterMarkDataManage.h"

#include <QFontMetrics>
#include <QIcon>

namespace {
// The watermark's name on its button is cut to this many pixels.
const int kWatermarkNameWidth = 160;
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
    m_pUi->btnSettings->setIcon(QIcon(QStringLiteral(":/sr/icons/tool_settings.svg")));
    connect(m_pUi->btnHistory, &QToolButton::clicked, this, &RecordHistoryTool::onShowHistory);
    connect(m_pUi->btnWatermark, &QToolButton::clicked, this, &RecordHistoryTool::onShowWhaterMarkMenuDlg);
    connect(m_pUi->btnTasks, &QToolButton::clicked, this, &RecordHistoryTool::onShowTaskDlg);
    connect(m_pUi->btnSettings, &QToolButton::clicked, this, &RecordHistoryTool::onShowSettings);
    connect(SignalsTransfer::instance(), &SignalsTransfer::onAddHistoryFile, this, &RecordHistoryTool::onAddHistoryFile);
    connect(SignalsTransfer::instance(), &SignalsTransfer::showHistory, this, &RecordHistoryTool::onShowHistory);
    onInitWaterMark();
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
    // This build has no task scheduler dialog.
    Log("RecordHistoryTool", 1, "task scheduler requested: not available in this build");
}

void RecordHistoryTool::onInitWaterMark()
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    const int index = store->m_nCurIndex;
    setWatermarkText(index, index >= 0 ? store->getWatermarkName(index) : QString());
}

void RecordHistoryTool::onShowWhaterMarkMenuDlg()
{
    // This build has no drop-down list of watermarks.
    Log("RecordHistoryTool", 1, "watermark menu requested: not available in this build");
}

void RecordHistoryTool::onPopViewListItemClicked(int index, const QString& name, int oldIndex)
{
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    store->m_nCurIndex = index;
    setWatermarkText(index, name);
    OvSettings::instance()->setApplicationParam(QStringLiteral("WatermarkIndex"), index);
    Log("RecordHistoryTool", 1, "watermark %d -> %d", oldIndex, index);
}

void RecordHistoryTool::onShowSettings()
{
    emit sigShowOption();
}

void RecordHistoryTool::setWatermarkText(int index, const QString& name)
{
    if (index < 0) {
        m_pUi->btnWatermark->setText(tr("Record Watermark (OFF)"));
        return;
    }
    const QFontMetrics fm(m_pUi->btnWatermark->font());
    m_pUi->btnWatermark->setText(fm.elidedText(name, Qt::ElideRight, kWatermarkNameWidth) + tr(" (ON)"));
    m_pUi->btnWatermark->setToolTip(name);
}
