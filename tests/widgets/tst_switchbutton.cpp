#include "TestMain.h"

#include "widgets/FfSwitchButton.h"

#include <QSignalSpy>
#include <QTest>

class SwitchButtonTest : public QObject {
    Q_OBJECT

private:
    static void settle(FfSwitchButton& button) { QTRY_VERIFY_WITH_TIMEOUT(!button.isSliding(), 5000); }

private slots:
    void userClickFlipsAndReportsNewState()
    {
        FfSwitchButton button;
        button.resize(button.sizeHint());
        QSignalSpy spy(&button, &FfSwitchButton::clicked);
        QVERIFY(!button.isChecked());

        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(button.isChecked());
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(!button.isChecked());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
        QCOMPARE(spy.at(1).at(0).toBool(), false);

        // A right click or a release outside the switch is no click.
        QTest::mouseClick(&button, Qt::RightButton);
        QTest::mousePress(&button, Qt::LeftButton);
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(-20, -20));
        QCOMPARE(spy.count(), 2);
        QVERIFY(!button.isChecked());
    }

    void setBtnCheckedSlidesAndAlwaysEmits()
    {
        FfSwitchButton button;
        QSignalSpy spy(&button, &FfSwitchButton::clicked);
        button.setBtnChecked(true);
        QVERIFY(button.isChecked());
        QVERIFY(button.isSliding());
        settle(button);
        QCOMPARE(button.knobPos(), 1.0);

        // Setting the state it already has still reports it (callers rely on the signal).
        button.setBtnChecked(true);
        QVERIFY(button.isChecked());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toBool(), true);
    }

    void newStateDuringSlideWins()
    {
        FfSwitchButton button;
        button.resize(button.sizeHint());
        QSignalSpy spy(&button, &FfSwitchButton::clicked);

        button.setBtnChecked(true);
        QVERIFY(button.isSliding());
        button.setBtnChecked(false);
        QVERIFY(!button.isChecked());
        settle(button);
        QVERIFY(!button.isChecked());
        QCOMPARE(button.knobPos(), 0.0);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toBool(), false);

        // A user click in the middle of a slide turns it around as well.
        button.setBtnChecked(true);
        QVERIFY(button.isSliding());
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(!button.isChecked());
        QCOMPARE(spy.last().at(0).toBool(), false);
        settle(button);
        QVERIFY(!button.isChecked());
        QCOMPARE(button.knobPos(), 0.0);
    }

    void paintsTrackWithSkinColours()
    {
        FfSwitchButton button;
        button.setStyleSheet(QStringLiteral("FfSwitchButton { qproperty-ColorBacNormal: #102030; "
                                            "qproperty-ColorBacHover: #4f7cff; qproperty-ColorNormal: #fefefe; "
                                            "qproperty-ColorHover: #00ff00; }"));
        button.resize(button.sizeHint());
        // The knob's centre at either end: track where the knob is not, knob where it is.
        const QPoint offEnd(button.height() / 2, button.height() / 2);
        const QPoint onEnd(button.width() - button.height() / 2, button.height() / 2);

        const QImage off = button.grab().toImage();
        QCOMPARE(off.pixelColor(onEnd), QColor("#102030"));
        QCOMPARE(off.pixelColor(offEnd), QColor("#fefefe"));

        button.setBtnChecked(true);
        settle(button);
        const QImage on = button.grab().toImage();
        QCOMPARE(on.pixelColor(offEnd), QColor("#4f7cff"));
        QCOMPARE(on.pixelColor(onEnd), QColor("#00ff00"));
    }
};

SR_TEST(SwitchButtonTest)
#include "tst_switchbutton.moc"
