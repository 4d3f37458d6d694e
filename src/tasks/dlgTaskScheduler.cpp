#include "dlgTaskScheduler.h"

#include "ui_dlgTaskScheduler.h"

#include "FfTaskItemWidget.h"
#include "Log.h"
#include "OvInputDialog.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"
#include "OvResourceMgr.h"
#include "TaskManage.h"
#include "TaskWire.h"
#include "feedback/FeedBackDialog.h"
#include "services/OSServiceUtils.h"
#include "services/Utils.h"
#include "widgets/OvComboboxViewItemDelegate.h"
#include "widgets/SectionTypingFilter.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMovie>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

namespace {
// Pages of stackedWidget and of stkConnect.
enum Page { PageAdd = 0, PageList = 1, PageSetting = 2, PageConnect = 3 };
enum ConnectPage { CntWaitting = 0, CntInvalid = 1, CntWorking = 2, CntNotInstalled = 3 };
// Ids of the stop-way buttons.
enum StopButton { BtnDuration = 0, BtnTime = 1, BtnManually = 2, BtnSize = 3 };

const int kLabelWidth = 120;           // "Task name:" and "Start time:"
const double kWideZoom = 1.25;         // above this zoom the labels grow with it
const int kNameMaxLength = 64;
const int kNewTaskLeadSecs = 180;      // a new task starts this long from now
const int kNewStopAfterStartSecs = 180; // ... and stops this long after its start
const int kMinStopAfterStartSecs = 3;
const int kCheckDelayMs = 500;         // lets a freshly installed service come up
const char kTimeOnlyFormat[] = "HH:mm:ss";
const char kLengthFormat[] = "hh:mm:ss";
const char kLatestStart[] = "12-31-7999 23:59:59";
} // namespace

class dlgTaskScheduler::ActionScope {
public:
    explicit ActionScope(dlgTaskScheduler* dialog)
        : m_pDialog(dialog)
    {
        ++m_pDialog->m_nActionDepth;
    }
    ~ActionScope()
    {
        if (--m_pDialog->m_nActionDepth == 0)
            m_pDialog->showNotSaved();
    }
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

private:
    dlgTaskScheduler* m_pDialog;
};

dlgTaskScheduler::dlgTaskScheduler(QWidget* parent)
    : OvDialogBase(parent)
    , ui(new Ui::dlgTaskScheduler)
{
    ui->setupUi(this);
    m_strInvalidText = ui->lblInvalid->text();
    const double zoom = OvResourceMgr::instance()->getZoomDPI();
    const int labelWidth = zoom > kWideZoom ? int(kLabelWidth * zoom) : kLabelWidth;
    ui->lblTaskName->setFixedWidth(labelWidth);
    ui->lblStartTime->setFixedWidth(labelWidth);

    // The edits show and take the C locale's digits, as the task texts are written, and take
    // them typed after a click.
    for (QDateTimeEdit* edit : {ui->dtEdtStartTime, ui->dtEdtStopTime, static_cast<QDateTimeEdit*>(ui->dtEdtStopDuraion)}) {
        edit->setLocale(QLocale::c());
        SectionTypingFilter::install(edit);
    }

    ui->frmDay->setEnabled(false);
    m_pStopGroup = new QButtonGroup(this);
    m_pStopGroup->addButton(ui->rdbDuration, BtnDuration);
    m_pStopGroup->addButton(ui->rdbTime, BtnTime);
    m_pStopGroup->addButton(ui->rdbManually, BtnManually);
    m_pStopGroup->addButton(ui->rdbSize, BtnSize);
    ui->rdbDuration->setChecked(true);

    connect(ui->btnAdd, &QToolButton::clicked, this, &dlgTaskScheduler::onAddNewTask);
    connect(ui->btnNew, &QToolButton::clicked, this, &dlgTaskScheduler::onAddNewTask);
    connect(ui->btnReInstall, &QPushButton::clicked, this, &dlgTaskScheduler::onInstallXPC);
    connect(ui->btnInstallNow, &QPushButton::clicked, this, &dlgTaskScheduler::onInstallXPC);
    connect(ui->btnConnectOk, &QPushButton::clicked, this, &dlgTaskScheduler::onXPCBack);
    connect(ui->btnDelele, &QToolButton::clicked, this, &dlgTaskScheduler::onDeleteTask);
    connect(ui->btnOK, &QPushButton::clicked, this, &dlgTaskScheduler::onSaveTaskInfo);
    connect(ui->btnFeedback, &QPushButton::clicked, this, &dlgTaskScheduler::onFeedback);
    connect(ui->btnSaveAndBack, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->chbRepeat, &QCheckBox::toggled, this, &dlgTaskScheduler::setDaily);
    connect(ui->chbLoop, &QCheckBox::stateChanged, this, &dlgTaskScheduler::setLoopEnable);
    connect(ui->dtEdtStartTime, &QDateTimeEdit::dateTimeChanged, this, &dlgTaskScheduler::setMinimumStopTime);
    connect(m_pStopGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &dlgTaskScheduler::onChangeStop);
    connect(ui->lblReInstall, &QLabel::linkActivated, this, &dlgTaskScheduler::onUrl);
    connect(TaskManage::instance(), &TaskManage::sigConnectionChanged, this, &dlgTaskScheduler::onConnectionChanged);

    for (QWidget* widget : std::initializer_list<QWidget*>{ui->taskList, ui->edtName, ui->dtEdtStartTime,
                                                           ui->dtEdtStopTime, ui->dtEdtStopDuraion})
        widget->setAttribute(Qt::WA_MacShowFocusRect, false);
    ui->lblCheckXPC->installEventFilter(this);
    ui->lblUninstall->installEventFilter(this);
    for (QWidget* widget : std::initializer_list<QWidget*>{ui->chbLoop, ui->sbLoop, ui->rdbSize, ui->spbStopSize, ui->lblMB})
        widget->hide();
    onChangeStop(ui->rdbDuration);

    if (!TaskManage::instance()->isConnected()) {
        ui->stackedWidget->setCurrentIndex(PageConnect);
        QTimer::singleShot(1, this, &dlgTaskScheduler::onInstallXPC);
    } else {
        initTaskList();
    }

    postCreateDerivedDialog(true, false, nullptr);
    m_pRecSetDelegate = new OvComboboxViewItemDelegate(ui->cmbRecSet);
    m_pStopEventDelegate = new OvComboboxViewItemDelegate(ui->cbTaskStopEvent);
    for (OvComboboxViewItemDelegate* delegate : {m_pRecSetDelegate, m_pStopEventDelegate}) {
        delegate->setTextColorH(m_colorHover);
        delegate->setTextColorN(m_colorNormal);
        delegate->setBacColorH(m_colorBacHover);
        delegate->setBacColorN(m_colorBacNormal);
    }
    ui->cmbRecSet->setItemDelegate(m_pRecSetDelegate);
    ui->cbTaskStopEvent->setItemDelegate(m_pStopEventDelegate);
    if (!m_strWaitImg.isEmpty()) {
        m_pMovie = new QMovie(m_strWaitImg, QByteArray(), this);
        ui->lblWaitting->setMovie(m_pMovie);
        m_pMovie->start();
    }
    ui->lblReInstall->setText(
        tr("If you can't use Task Schedule normally, please click <a style='color:%1;' href=\" \">Reinstall</a> to "
           "try again.")
            .arg(m_strUrlColor));
}

dlgTaskScheduler::~dlgTaskScheduler() { delete ui; }

QString dlgTaskScheduler::storedName(const QListWidgetItem* item) { return item->data(Qt::UserRole).toString(); }

FfTaskItemWidget* dlgTaskScheduler::rowWidget(QListWidgetItem* item) const
{
    return qobject_cast<FfTaskItemWidget*>(ui->taskList->itemWidget(item));
}

// ---- the list ---------------------------------------------------------------------------

void dlgTaskScheduler::initTaskList()
{
    // Rows stay in the coordinator's order.
    const QList<TaskInfo> tasks = TaskManage::instance()->getLstTaskInfo();
    if (tasks.isEmpty()) {
        ui->stackedWidget->setCurrentIndex(PageAdd);
        return;
    }
    ui->stackedWidget->setCurrentIndex(PageList);
    for (const TaskInfo& task : tasks)
        addTaskItem(task);
    ui->taskList->setCurrentRow(0);
}

void dlgTaskScheduler::addTaskItem(const TaskInfo& task)
{
    auto* item = new QListWidgetItem(ui->taskList);
    item->setData(Qt::UserRole, task.name);
    auto* row = new FfTaskItemWidget(ui->taskList);
    item->setSizeHint(QSize(row->sizeHint().width(), row->height()));
    ui->taskList->setItemWidget(item, row);
    // Connected only after the row has been given its task: that emits checked.
    row->setTaskInfo(task);
    connect(row, &FfTaskItemWidget::checked, this, &dlgTaskScheduler::onSetTaskEnable);
    connect(row, &FfTaskItemWidget::edited, this, &dlgTaskScheduler::onEdit);
}

void dlgTaskScheduler::onCheckItem(const QString& name, const TaskInfo& task)
{
    if (ui->taskList->count() == 0) {
        ui->stackedWidget->setCurrentIndex(PageAdd);
        return;
    }
    for (int i = 0; i < ui->taskList->count(); ++i) {
        if (storedName(ui->taskList->item(i)) == name)
            ui->taskList->setCurrentRow(i);
    }
    initTaskInfo(task);
}

void dlgTaskScheduler::onAddNewTask()
{
    TaskManage* manage = TaskManage::instance();
    const QString proposal = manage->getNoRepeatName(tr("New task"), 0);
    OvInputDialog input(this);
    input.setWindowModality(Qt::WindowModal);
    input.setWindowTitle(OvProductInfo::instance()->productName());
    input.setLabelText(tr("Please enter the new task schedule name:"));
    input.setTextValue(proposal);
    input.setMaxInputLength(kNameMaxLength);
    if (input.exec() != QDialog::Accepted)
        return;
    QString name = input.textValue().trimmed();
    if (name.isEmpty())
        return;
    if (manage->existRepeatName(name))
        name = proposal;

    TaskInfo task;
    task.name = name;
    task.enable = true;
    task.repeat = false;
    task.week = 127;
    task.date = taskwire::dateText(QDateTime::currentDateTime().addSecs(kNewTaskLeadSecs));
    addTaskItem(task);
    m_bNew = true;
    ui->stackedWidget->setCurrentIndex(PageSetting);
    onCheckItem(name, task);
    ui->scrollArea->verticalScrollBar()->setValue(0);
}

void dlgTaskScheduler::onEdit(const QString& taskname)
{
    m_bNew = false;
    ui->stackedWidget->setCurrentIndex(PageSetting);
    onCheckItem(taskname, TaskManage::instance()->getTaskInfo(taskname));
    ui->scrollArea->verticalScrollBar()->setValue(0);
}

void dlgTaskScheduler::onSetTaskEnable(bool b, const QString& taskname)
{
    const ActionScope scope(this);
    TaskManage* manage = TaskManage::instance();
    TaskInfo task = manage->getTaskInfo(taskname);
    onCheckItem(taskname, task);
    task.enable = b;
    QString error;
    if (!manage->changeTaskInfo(task, taskname, &error))
        tellNotSaved(tr("The task \"%1\" could not be saved: %2").arg(shownTaskName(taskname), error));
    if (!manage->isConnected())
        onCheckXPC();
}

void dlgTaskScheduler::onDeleteTask() { deleteTask(true); }

void dlgTaskScheduler::deleteTask(bool ask)
{
    const ActionScope scope(this);
    QListWidgetItem* item = ui->taskList->currentItem();
    if (!item)
        return;
    // Only an explicit Yes deletes: closing the question keeps the task.
    if (ask && askQuestion(tr("Are you sure to delete this task schedule?"), QMessageBox::Yes | QMessageBox::No)
                   != QMessageBox::Yes)
        return;
    TaskManage* manage = TaskManage::instance();
    const QString name = storedName(item);
    const bool known = manage->existRepeatName(name);
    QString error;
    if (!manage->deleteTaskInfo(name, &error))
        tellNotSaved(tr("The task \"%1\" could not be deleted: %2").arg(shownTaskName(name), error));
    // A task the coordinator never knew has nothing to wait for.
    if (!known || manage->isConnected())
        delete item; // also destroys its row widget
    else
        onCheckXPC();
}

// ---- the editor -------------------------------------------------------------------------

void dlgTaskScheduler::setTimeOnly(bool timeOnly)
{
    const QString format = QLatin1String(timeOnly ? kTimeOnlyFormat : taskwire::kDateFormat);
    const QDateTime latest = taskwire::parseDateText(QLatin1String(kLatestStart));
    for (QDateTimeEdit* edit : {ui->dtEdtStartTime, ui->dtEdtStopTime}) {
        edit->setDisplayFormat(format);
        // A format without a date pins the edit to the day it shows; a task loaded later
        // keeps its own date.
        edit->clearMinimumDateTime();
        edit->setMaximumDateTime(latest);
    }
    setMinimumStopTime(ui->dtEdtStartTime->dateTime());
}

void dlgTaskScheduler::setWeekily(short week)
{
    {
        // Ticking "Repeat" here must not tick every day.
        const QSignalBlocker blocker(ui->chbRepeat);
        ui->chbRepeat->setChecked(week != 0);
    }
    ui->frmDay->setEnabled(week != 0);
    const QList<QCheckBox*> days = dayBoxes();
    for (int day = 0; day < days.size(); ++day)
        days[day]->setChecked(week & (1 << day));
    setTimeOnly(week != 0);
}

QList<QCheckBox*> dlgTaskScheduler::dayBoxes() const
{
    return {ui->chbSun, ui->chbMon, ui->chbTues, ui->chbWed, ui->chbThur, ui->chbFri, ui->chbSat};
}

void dlgTaskScheduler::setDaily(bool on)
{
    ui->chbRepeat->setChecked(on);
    for (QCheckBox* day : dayBoxes())
        day->setChecked(on);
    ui->frmDay->setEnabled(on);
    setTimeOnly(on);
}

void dlgTaskScheduler::setLoopEnable(int state) { ui->sbLoop->setEnabled(state != 0); }

void dlgTaskScheduler::setMinimumStopTime(const QDateTime& start)
{
    ui->dtEdtStopTime->setMinimumDateTime(start.addSecs(kMinStopAfterStartSecs));
}

void dlgTaskScheduler::onChangeStop(QAbstractButton* btn)
{
    for (QWidget* widget : std::initializer_list<QWidget*>{ui->dtEdtStopDuraion, ui->dtEdtStopTime, ui->spbStopSize,
                                                           ui->chbLoop, ui->sbLoop})
        widget->setEnabled(false);
    if (btn == ui->rdbDuration) {
        ui->dtEdtStopDuraion->setEnabled(true);
        ui->chbLoop->setEnabled(true);
        ui->sbLoop->setEnabled(ui->chbLoop->isChecked());
    } else if (btn == ui->rdbTime) {
        ui->dtEdtStopTime->setEnabled(true);
    } else if (btn == ui->rdbSize) {
        ui->spbStopSize->setEnabled(true);
    }
}

void dlgTaskScheduler::initTaskInfo(const TaskInfo& task)
{
    ui->edtName->setText(task.name);
    const int recSet = task.recinfo.recwhat == TaskManage::RecordAudio    ? 1
                       : task.recinfo.recwhat == TaskManage::RecordWebcam ? 2
                                                                          : 0;
    ui->cmbRecSet->setCurrentIndex(recSet);

    const QDateTime start = taskwire::parseDateText(task.date);
    setWeekily(task.repeat ? task.week : 0);
    ui->dtEdtStartTime->setDateTime(start);

    ui->dtEdtStopDuraion->setTime(task.recinfo.lengthTime());

    const QDateTime stop = m_bNew ? start.addSecs(kNewStopAfterStartSecs) : task.recinfo.date;
    ui->dtEdtStopTime->setDateTime(stop);

    if (task.recinfo.completedtask >= 0 && task.recinfo.completedtask < ui->cbTaskStopEvent->count())
        ui->cbTaskStopEvent->setCurrentIndex(task.recinfo.completedtask);

    QAbstractButton* stopButton = nullptr;
    switch (task.recinfo.stop) {
    case RecordInfo::StopManually: stopButton = ui->rdbManually; break;
    case RecordInfo::StopAtDate: stopButton = ui->rdbTime; break;
    case RecordInfo::StopAfterLength: stopButton = ui->rdbDuration; break;
    case RecordInfo::StopAtSize: stopButton = ui->rdbSize; break;
    default: break;
    }
    if (stopButton) {
        stopButton->setChecked(true);
        onChangeStop(stopButton);
    }
}

TaskInfo dlgTaskScheduler::getCurrenntInfo(const QString& storedName) const
{
    short week = 0;
    const QList<QCheckBox*> days = dayBoxes();
    for (int day = 0; day < days.size(); ++day) {
        if (days[day]->isChecked())
            week |= short(1 << day);
    }
    TaskManage* manage = TaskManage::instance();
    TaskInfo task = manage->getTaskInfo(storedName);
    // A name that is empty or belongs to another task is not taken.
    const QString name = ui->edtName->text().trimmed();
    task.name = (name.isEmpty() || (name != storedName && manage->existRepeatName(name))) ? storedName : name;
    if (m_bNew)
        task.enable = true;
    task.week = week;
    task.repeat = week != 0;
    task.date = taskwire::dateText(ui->dtEdtStartTime->dateTime());

    RecordInfo info;
    const int recSet = ui->cmbRecSet->currentIndex();
    info.recwhat = recSet == 1 ? TaskManage::RecordAudio : recSet == 2 ? TaskManage::RecordWebcam : TaskManage::RecordVideo;
    info.stop = ui->rdbManually->isChecked()   ? RecordInfo::StopManually
                : ui->rdbDuration->isChecked() ? RecordInfo::StopAfterLength
                : ui->rdbSize->isChecked()     ? RecordInfo::StopAtSize
                                               : RecordInfo::StopAtDate;
    info.date = ui->dtEdtStopTime->dateTime();
    info.length = QTime(0, 0).secsTo(ui->dtEdtStopDuraion->time());
    info.loop = false;
    info.nloop = 1;
    info.completedtask = ui->cbTaskStopEvent->currentIndex();
    task.recinfo = info;
    return task;
}

void dlgTaskScheduler::onSaveTaskInfo()
{
    const ActionScope scope(this);
    QListWidgetItem* item = ui->taskList->currentItem();
    if (!item)
        return;
    const QString stored = storedName(item);
    const TaskInfo task = getCurrenntInfo(stored);
    // The row reports the task's state at once (onSetTaskEnable).
    if (FfTaskItemWidget* row = rowWidget(item))
        row->setTaskInfo(task);
    TaskManage* manage = TaskManage::instance();
    QString error;
    const bool saved = m_bNew ? manage->addTaskInfo(task, &error) : manage->changeTaskInfo(task, stored, &error);
    m_bNew = false;
    if (!saved)
        tellNotSaved(tr("The task \"%1\" could not be saved: %2").arg(shownTaskName(task.name), error));
    item->setData(Qt::UserRole, task.name);
    if (manage->isConnected())
        ui->stackedWidget->setCurrentIndex(PageList);
    else
        onCheckXPC();
}

bool dlgTaskScheduler::isEdited() const
{
    if (m_bNew)
        return true;
    QListWidgetItem* item = ui->taskList->currentItem();
    if (!item)
        return false;
    const QString stored = storedName(item);
    return TaskManage::instance()->getTaskInfo(stored) != getCurrenntInfo(stored);
}

int dlgTaskScheduler::askQuestion(const QString& text, int buttons)
{
    OvMessageBox box(this, true);
    box.setMsgTitle(OvProductInfo::instance()->productName());
    box.setLabelInfo(text);
    box.setIcon(OvMessageBox::IconWarning);
    box.setButtons(buttons);
    return box.exec();
}

bool dlgTaskScheduler::askSaveing()
{
    if (ui->stackedWidget->currentIndex() != PageSetting)
        return false;
    if (!m_bNew && !isEdited()) {
        ui->stackedWidget->setCurrentIndex(PageList);
        return true;
    }
    const int answer
        = askQuestion(tr("Do you want to save this Task?"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) {
        onSaveTaskInfo(); // shows the list, or the daemon's state when it could not be reached
    } else if (answer == QMessageBox::No) {
        if (m_bNew)
            deleteTask(false);
        m_bNew = false;
        ui->stackedWidget->setCurrentIndex(PageList);
    }
    // Any other answer (the question was closed) stays in the editor.
    return true;
}

void dlgTaskScheduler::closeEvent(QCloseEvent* event)
{
    if (askSaveing()) {
        event->ignore();
        return;
    }
    OvDialogBase::closeEvent(event);
}

void dlgTaskScheduler::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && askSaveing()) {
        event->accept();
        return;
    }
    OvDialogBase::keyPressEvent(event);
}

// ---- the daemon -------------------------------------------------------------------------

void dlgTaskScheduler::onInstallXPC() { runScript(true); }

void dlgTaskScheduler::onUninstallXPC() { runScript(false); }

void dlgTaskScheduler::onUrl(const QString&) { onInstallXPC(); }

void dlgTaskScheduler::runScript(bool install)
{
    // No administrator password is asked for: the daemon is a service of the user's own.
    ui->lblWaitText->setText(install ? tr("Installing Task Schedule, please wait...")
                                     : tr("Uninstalling Task Schedule, please wait..."));
    ui->stackedWidget->setCurrentIndex(PageConnect);
    ui->stkConnect->setCurrentIndex(CntWaitting);
    Log("dlgTaskScheduler", 1, "%s the task daemon", install ? "installing" : "uninstalling");
    const QPointer<dlgTaskScheduler> self(this);
    OSServiceUtils::UserExecuteAsync(Utils::getRecorderTmpRoot(), install ? 1 : 0, this,
                                     [self, install](int status, const QString& message) {
                                         if (!self)
                                             return;
                                         if (status != 0) {
                                             self->showScriptFailure(install, message);
                                             return;
                                         }
                                         QTimer::singleShot(kCheckDelayMs, self, [self] {
                                             if (self)
                                                 self->onCheckXPC();
                                         });
                                     });
}

void dlgTaskScheduler::showScriptFailure(bool install, const QString& reason)
{
    const QString what = install ? tr("Task Schedule could not be installed: %1")
                                 : tr("Task Schedule could not be uninstalled: %1");
    ui->lblInvalid->setText(what.arg(reason) + QStringLiteral("\n\n") + m_strInvalidText);
    ui->stackedWidget->setCurrentIndex(PageConnect);
    ui->stkConnect->setCurrentIndex(CntInvalid);
}

void dlgTaskScheduler::onCheckXPC()
{
    ui->lblWaitText->setText(tr("Detecting the status of Task Schedule..."));
    ui->lblInvalid->setText(m_strInvalidText);
    ui->stackedWidget->setCurrentIndex(PageConnect);
    ui->stkConnect->setCurrentIndex(CntWaitting);
    TaskManage* manage = TaskManage::instance();
    // After an uninstall the check only looks: the daemon is started again by an install.
    manage->reConnectXPCServer();
    if (manage->isConnected()) {
        manage->reReportInfo();
        ui->stkConnect->setCurrentIndex(CntWorking);
    } else {
        ui->stkConnect->setCurrentIndex(OSServiceUtils::isTaskDaemonUninstalled() ? CntNotInstalled : CntInvalid);
    }
}

void dlgTaskScheduler::onConnectionChanged()
{
    // A script or a check under way, and an uninstalled service, show their own state.
    if (ui->stackedWidget->currentIndex() != PageConnect)
        return;
    const int shown = ui->stkConnect->currentIndex();
    if (shown != CntInvalid && shown != CntWorking)
        return;
    // The connection as it is now: the change told may be older.
    if (TaskManage::instance()->isConnected()) {
        ui->stkConnect->setCurrentIndex(CntWorking);
    } else if (shown == CntWorking) {
        ui->lblInvalid->setText(m_strInvalidText);
        ui->stkConnect->setCurrentIndex(CntInvalid);
    }
}

void dlgTaskScheduler::onXPCBack()
{
    ui->stackedWidget->setCurrentIndex(PageList);
    ui->taskList->clear(); // destroys the rows
    initTaskList();
}

void dlgTaskScheduler::tellNotSaved(const QString& text)
{
    if (m_strNotSaved.isEmpty())
        m_strNotSaved = text;
}

void dlgTaskScheduler::showNotSaved()
{
    if (m_strNotSaved.isEmpty())
        return;
    const QString text = m_strNotSaved;
    m_strNotSaved.clear();
    if (ui->stackedWidget->currentIndex() != PageConnect)
        onXPCBack();
    OvMessageBox::warning(this, OvProductInfo::instance()->productName(), text);
}

void dlgTaskScheduler::onFeedback() { FeedBackDialog::showFeedBack(this); }

bool dlgTaskScheduler::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == ui->lblCheckXPC)
            onCheckXPC();
        else if (watched == ui->lblUninstall)
            onUninstallXPC();
    }
    return OvDialogBase::eventFilter(watched, event);
}
