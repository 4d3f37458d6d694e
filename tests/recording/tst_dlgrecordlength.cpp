// The record length dialog: the settings model's timed stop changes only when confirmed,
// and never to less than the shortest length; on the X display its length takes digits typed
// from the keyboard after a click, as a user enters it.

#include "DesktopInput.h"
#include "TestMain.h"
#include "core/RecordParameter.h"
#include "recording/DlgRecordLength.h"
#include "widgets/FfSwitchButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>

class DlgRecordLengthTest : public QObject {
    Q_OBJECT
private slots:
    void writesTheTimedStopOnlyOnOk();
};

void DlgRecordLengthTest::writesTheTimedStopOnlyOnOk()
{
    RecordParameter* param = RecordParameter::instance();
    param->setTimerEnable(false);
    param->setTimerDuration(600);
    param->setTimerRepeat(true);
    param->setTimerStopEvent(RSE_NOTHING);
    const auto edit = [](DlgRecordLength& dialog) {
        dialog.findChild<FfSwitchButton*>(QStringLiteral("swEnable"))->setBtnChecked(true);
        dialog.findChild<QTimeEdit*>(QStringLiteral("timeLength"))->setTime(QTime(0, 0, 1));
        dialog.findChild<QCheckBox*>(QStringLiteral("chkRepeat"))->setChecked(false);
        auto* finish = dialog.findChild<QComboBox*>(QStringLiteral("cmbFinish"));
        finish->setCurrentIndex(finish->findData(int(RSE_EXIT)));
    };
    const auto press = [](DlgRecordLength& dialog, const char* button) {
        dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    };
    {
        DlgRecordLength dialog;
        edit(dialog);
        press(dialog, "btnCancel");
    }
    QCOMPARE(param->timerEnable(), false);
    QCOMPARE(param->timerDuration(), qint64(600));
    QCOMPARE(param->TimerRepeat(), true);
    QCOMPARE(param->timerStopEvent(), RSE_NOTHING);
    QCOMPARE(DlgRecordLength::buttonText(), QStringLiteral("Record Length"));
    {
        DlgRecordLength dialog;
        edit(dialog);
        press(dialog, "btnOk");
    }
    QCOMPARE(param->timerEnable(), true);
    QCOMPARE(param->timerDuration(), DlgRecordLength::kMinSeconds);
    QCOMPARE(param->TimerRepeat(), false);
    QCOMPARE(param->timerStopEvent(), RSE_EXIT);
    QCOMPARE(DlgRecordLength::buttonText(), QStringLiteral("Stop after 00:00:03"));
}

class DlgRecordLengthTypingTest : public QObject {
    Q_OBJECT
private slots:
    void typedDigitsSetTheLength();
};

void DlgRecordLengthTypingTest::typedDigitsSetTheLength()
{
    RecordParameter* param = RecordParameter::instance();
    param->setTimerEnable(true);
    param->setTimerDuration(600);
    DlgRecordLength dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* length = dialog.findChild<QTimeEdit*>(QStringLiteral("timeLength"));
    QVERIFY(SrTest::waitPlaced(&dialog));
    // A click on the hours, then hours, minutes and seconds typed as they are read.
    QVERIFY(SrTest::clickAt(length, QPoint(length->height() / 2, length->height() / 2)));
    QVERIFY(SrTest::typeText(QStringLiteral("012345")));
    QTRY_COMPARE(length->time(), QTime(1, 23, 45));
    dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    QCOMPARE(param->timerDuration(), qint64(3600 + 23 * 60 + 45));
}

SR_TEST(DlgRecordLengthTest)
SR_TEST_DISPLAY(DlgRecordLengthTypingTest)
#include "tst_dlgrecordlength.moc"
