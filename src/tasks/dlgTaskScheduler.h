#pragma once
// The scheduler window: lists, adds, edits, switches on and off and deletes scheduled tasks,
// and installs, checks, repairs and uninstalls the task daemon. Every task change goes
// through TaskManage; the window keeps only its rows and the editor. The install scripts run
// on a worker thread while the window shows its waiting page; a script that fails shows its
// reason on the page that offers "Reinstall", and after an uninstall the page offers
// "Install now"; the daemon's state shown ("runs normally" or not) follows the connection.
// Nothing is deleted or discarded unless the user answered Yes (delete) or No (discard)
// explicitly. A change the daemon refuses (it could not save it) is told to the user, and
// the list is rebuilt from what the daemon holds. GUI thread.

#include "OvDialogBase.h"
#include "TaskInfo.h"

#include <QColor>
#include <QDateTime>
#include <QList>

class OvComboboxViewItemDelegate;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QListWidgetItem;
class QMovie;
class FfTaskItemWidget;

namespace Ui {
class dlgTaskScheduler;
}

class dlgTaskScheduler : public OvDialogBase {
    Q_OBJECT
    // Colours of the two drop-down lists' pop-ups, set by the skin.
    Q_PROPERTY(QColor ColorHover MEMBER m_colorHover)
    Q_PROPERTY(QColor ColorNormal MEMBER m_colorNormal)
    Q_PROPERTY(QColor ColorBacHover MEMBER m_colorBacHover)
    Q_PROPERTY(QColor ColorBacNormal MEMBER m_colorBacNormal)
    // The animation shown while the daemon is installed, and the colour of the
    // "Reinstall" link; set by the skin.
    Q_PROPERTY(QString waitImg MEMBER m_strWaitImg)
    Q_PROPERTY(QString urlColor MEMBER m_strUrlColor)
public:
    explicit dlgTaskScheduler(QWidget* parent = nullptr);
    ~dlgTaskScheduler() override;

public slots:
    void onChangeStop(QAbstractButton* btn);
    void onEdit(const QString& taskname);
    void onUrl(const QString& url);
    void onSetTaskEnable(bool b, const QString& taskname);
    void onInstallXPC();
    void onUninstallXPC();
    // Reconnects to the daemon; on success replays the last task operation.
    void onCheckXPC();
    void onXPCBack();
    void onFeedback();
    void onAddNewTask();
    void onDeleteTask();
    void onSaveTaskInfo();
    // The user ticked or unticked "Repeat": every day or none.
    void setDaily(bool on);
    void setLoopEnable(int state);
    void setMinimumStopTime(const QDateTime& start);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The week's day boxes, Sunday first (bit 0 of a week).
    QList<QCheckBox*> dayBoxes() const;
    // Shows the days of `week`; 0 means a one-off task.
    void setWeekily(short week);
    // The two date-time edits show the time of day only (repeating task) or the full date.
    void setTimeOnly(bool timeOnly);
    void initTaskList();
    void addTaskItem(const TaskInfo& task);
    void onCheckItem(const QString& name, const TaskInfo& task);
    void initTaskInfo(const TaskInfo& task);
    TaskInfo getCurrenntInfo(const QString& storedName) const;
    void deleteTask(bool ask);
    bool isEdited() const;
    // The editor is showing and the close is to be held back (the user was asked, or
    // nothing was changed and the list is shown instead).
    bool askSaveing();
    int askQuestion(const QString& text, int buttons);
    // Runs the install (or uninstall) script off the GUI thread, then checks the daemon; a
    // script that fails shows its reason instead.
    void runScript(bool install);
    // The "abnormal" page with the reason the script gave.
    void showScriptFailure(bool install, const QString& reason);
    // The coordinator's connection changed: the state shown, if any, becomes the daemon's.
    void onConnectionChanged();
    // Held by each action that changes tasks; when the outermost one ends, a refusal is told.
    class ActionScope;
    // A change was refused: `text` is kept for the end of the action (the first one only).
    void tellNotSaved(const QString& text);
    // At the end of an action: rebuilds the rows from the coordinator's list and shows the
    // refusal kept, if any.
    void showNotSaved();
    FfTaskItemWidget* rowWidget(QListWidgetItem* item) const;
    static QString storedName(const QListWidgetItem* item);

    Ui::dlgTaskScheduler* ui = nullptr;
    QButtonGroup* m_pStopGroup = nullptr;
    bool m_bNew = false;
    OvComboboxViewItemDelegate* m_pRecSetDelegate = nullptr;
    OvComboboxViewItemDelegate* m_pStopEventDelegate = nullptr;
    QMovie* m_pMovie = nullptr;
    QColor m_colorHover;
    QColor m_colorNormal;
    QColor m_colorBacHover;
    QColor m_colorBacNormal;
    QString m_strWaitImg;
    QString m_strUrlColor;
    QString m_strInvalidText; // the "abnormal" page's own text, without a script's reason
    QString m_strNotSaved;    // a refusal waiting to be told
    int m_nActionDepth = 0;   // actions under way (saving sets a row, which switches it)
};
