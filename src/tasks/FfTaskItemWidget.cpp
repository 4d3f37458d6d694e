#include "FfTaskItemWidget.h"

#include "ui_FfTaskItemWidget.h"

#include "OvResourceMgr.h"
#include "TaskWire.h"

#include <QFontMetrics>
#include <QLocale>
#include <QTime>

namespace {
// The elided name keeps this many pixels free at the label's right end.
const int kNameMargin = 11;
// The size shown for a file-size stop: no size travels with a task.
const int kShownStopSizeMB = 100;
} // namespace

FfTaskItemWidget::FfTaskItemWidget(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::FfTaskItemWidget)
{
    ui->setupUi(this);
    // The days picture keeps its place in the row while a one-off task hides it.
    QSizePolicy policy = ui->labRepeat->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui->labRepeat->setSizePolicy(policy);
    connect(ui->frmSwichButton, &FfSwitchButton::clicked, this, &FfTaskItemWidget::onClicked);
    connect(ui->btnEdit, &QToolButton::clicked, this, &FfTaskItemWidget::onEdit);
}

FfTaskItemWidget::~FfTaskItemWidget() { delete ui; }

void FfTaskItemWidget::setTaskInfo(const TaskInfo& task)
{
    m_strName = task.name;
    const int width = int(ui->lblTaskName->width() * OvResourceMgr::instance()->getZoomDPI()) - kNameMargin;
    ui->lblTaskName->setText(QFontMetrics(ui->lblTaskName->font()).elidedText(task.name, Qt::ElideRight, width));
    ui->lblTaskName->setToolTip(task.name);

    ui->frmSwichButton->setBtnChecked(task.enable);

    if (task.repeat) {
        ui->lblStartTime->setText(task.date.mid(task.date.lastIndexOf(QLatin1Char(' ')) + 1));
        const QString dayNames[] = {tr("Sun"), tr("Mon"), tr("Tues"), tr("Wed"), tr("Thur"), tr("Fri"), tr("Sat")};
        QStringList days;
        for (int day = 0; day < 7; ++day) {
            if (task.week & (1 << day))
                days << dayNames[day];
        }
        ui->labRepeat->setToolTip(days.join(QStringLiteral(", ")));
    } else {
        ui->lblStartTime->setText(task.date);
    }
    ui->labRepeat->setVisible(task.repeat);

    switch (task.recinfo.stop) {
    case RecordInfo::StopManually:
        ui->lblStop->setText(tr("Stop manually"));
        break;
    case RecordInfo::StopAtDate:
        ui->lblStop->setText(taskwire::dateText(task.recinfo.date));
        break;
    case RecordInfo::StopAfterLength:
        // A day or more wraps round: the text shows the time of day of the length.
        ui->lblStop->setText(
            QLocale::c().toString(task.recinfo.lengthTime(), QStringLiteral("hh:mm:ss")));
        break;
    case RecordInfo::StopAtSize:
        ui->lblStop->setText(QStringLiteral("%1MB").arg(kShownStopSizeMB));
        break;
    default:
        break;
    }
}

void FfTaskItemWidget::changeChecked() { ui->frmSwichButton->setBtnChecked(!ui->frmSwichButton->isChecked()); }

bool FfTaskItemWidget::isChecked() const { return ui->frmSwichButton->isChecked(); }

void FfTaskItemWidget::onClicked(bool b) { emit checked(b, m_strName); }

void FfTaskItemWidget::onEdit() { emit edited(m_strName); }
