// The task editor's date and time fields on the X display, typed into as a user does: a
// click on the field's first part, then digits from the keyboard (xdotool). Each typed
// digit lands in its part, and a full part moves on to the next one.

#include "DesktopInput.h"
#include "FindChild.h"
#include "ModalAnswers.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "tasks/TaskManage.h"
#include "tasks/dlgTaskScheduler.h"

#include <QDateTimeEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

namespace {
using SrTest::child;

const int kDaemonStartMs = 10000;

// Clicks `edit` on its first part (the month, or the hours) and types `digits`.
bool typeInto(QDateTimeEdit* edit, const QString& digits)
{
    return SrTest::clickAt(edit, QPoint(edit->height() / 2, edit->height() / 2)) && SrTest::typeText(digits);
}
} // namespace

class TaskEditorFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(SrTest::spinUntil([] {
            TaskManage::instance()->reConnectXPCServer();
            return TaskManage::instance()->isConnected();
        }, kDaemonStartMs));
    }
    void typedDigitsSetTheFields();
};

void TaskEditorFieldsTest::typedDigitsSetTheFields()
{
    ModalAnswers::clear();
    dlgTaskScheduler dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    ModalAnswers::push(OvModalRequest::InputDialog, QStringLiteral("Typed"));
    QVERIFY(SrTest::clickAt(child<QToolButton>(&dialog, "btnAdd")));
    auto* start = child<QDateTimeEdit>(&dialog, "dtEdtStartTime");
    QTRY_VERIFY(!start->visibleRegion().isEmpty());

    QVERIFY(typeInto(start, QStringLiteral("12052030073000")));
    QTRY_COMPARE(start->dateTime(), QDateTime(QDate(2030, 12, 5), QTime(7, 30)));

    QVERIFY(SrTest::clickAt(child<QRadioButton>(&dialog, "rdbDuration")));
    auto* length = child<QTimeEdit>(&dialog, "dtEdtStopDuraion");
    QTRY_VERIFY(length->isEnabled());
    QVERIFY(typeInto(length, QStringLiteral("012345")));
    QTRY_COMPARE(length->time(), QTime(1, 23, 45));

    QVERIFY(SrTest::clickAt(child<QRadioButton>(&dialog, "rdbTime")));
    auto* stop = child<QDateTimeEdit>(&dialog, "dtEdtStopTime");
    QTRY_VERIFY(stop->isEnabled());
    QVERIFY(typeInto(stop, QStringLiteral("12052030083000")));
    QTRY_COMPARE(stop->dateTime(), QDateTime(QDate(2030, 12, 5), QTime(8, 30)));

    // The editor is left without saving.
    ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::No));
    dialog.close();
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

SR_TEST_DISPLAY(TaskEditorFieldsTest)
#include "tst_taskeditorfields.moc"
