// The task row: what it shows of a task, and the name its signals carry.

#include "TestMain.h"
#include "tasks/FfTaskItemWidget.h"
#include "widgets/FfSwitchButton.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {
QString text(const QWidget& row, const char* label) { return row.findChild<QLabel*>(label)->text(); }

TaskInfo task(bool repeat, short week, int stop, qint64 length)
{
    TaskInfo info;
    info.name = QStringLiteral("Morning");
    info.enable = true;
    info.repeat = repeat;
    info.week = week;
    info.date = QStringLiteral("12-05-2026 07:30:00");
    info.recinfo.stop = stop;
    info.recinfo.length = length;
    info.recinfo.date = QDateTime(QDate(2026, 12, 5), QTime(8, 0));
    return info;
}
} // namespace

class TaskItemWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void showsStartDaysAndStop()
    {
        FfTaskItemWidget row;
        row.setTaskInfo(task(true, 65, RecordInfo::StopAfterLength, 3725));
        QCOMPARE(text(row, "lblStartTime"), QStringLiteral("07:30:00"));
        QCOMPARE(row.findChild<QLabel*>("labRepeat")->toolTip(), QStringLiteral("Sun, Sat"));
        QCOMPARE(text(row, "lblStop"), QStringLiteral("01:02:05"));

        row.setTaskInfo(task(true, 2, RecordInfo::StopAfterLength, 25 * 3600));
        QCOMPARE(text(row, "lblStop"), QStringLiteral("01:00:00"));

        row.setTaskInfo(task(false, 0, RecordInfo::StopAtDate, 0));
        QCOMPARE(text(row, "lblStartTime"), QStringLiteral("12-05-2026 07:30:00"));
        QCOMPARE(text(row, "lblStop"), QStringLiteral("12-05-2026 08:00:00"));
    }

    void reportsStateAndEditWithItsName()
    {
        FfTaskItemWidget row;
        QSignalSpy checked(&row, &FfTaskItemWidget::checked);
        QSignalSpy edited(&row, &FfTaskItemWidget::edited);
        row.setTaskInfo(task(false, 0, RecordInfo::StopManually, 0));
        QCOMPARE(checked.takeFirst(), (QVariantList{true, QStringLiteral("Morning")}));

        row.show();
        auto* toggle = row.findChild<FfSwitchButton*>("frmSwichButton");
        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(checked.takeFirst(), (QVariantList{false, QStringLiteral("Morning")}));
        QVERIFY(!row.isChecked());
        row.findChild<QToolButton*>("btnEdit")->click();
        QCOMPARE(edited.takeFirst(), QVariantList{QStringLiteral("Morning")});
    }
};

SR_TEST(TaskItemWidgetTest)
#include "tst_fftaskitemwidget.moc"
