#pragma once
// One row of the scheduler window's task list: a task's name, start, repeat days and stop
// rule, its on/off switch and an edit button. It reports the user's actions with the name of
// the task it was last given and keeps no other task data. GUI thread.

#include "TaskInfo.h"

#include <QWidget>

namespace Ui {
class FfTaskItemWidget;
}

class FfTaskItemWidget : public QWidget {
    Q_OBJECT
public:
    explicit FfTaskItemWidget(QWidget* parent = nullptr);
    ~FfTaskItemWidget() override;

    // Shows the task and remembers its name. Always emits checked(task.enable, task.name).
    void setTaskInfo(const TaskInfo& task);
    // Flips the switch (emits checked).
    void changeChecked();
    bool isChecked() const;

public slots:
    void onClicked(bool b);
    void onEdit();

signals:
    void checked(bool b, const QString& taskname);
    void edited(const QString& taskname);

private:
    Ui::FfTaskItemWidget* ui = nullptr;
    QString m_strName;
};
