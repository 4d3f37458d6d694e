// Dialogs centred on a window stay on the screen, also when the window sits in a corner.

#include "OvDialogBase.h"
#include "TestMain.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class DialogPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void keptInsideTheAvailableArea_data()
    {
        QTest::addColumn<QRect>("dialog");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("topLeft");
        const QRect screen(0, 0, 1920, 1040);
        QTest::newRow("inside") << QRect(100, 50, 400, 300) << screen << QPoint(100, 50);
        QTest::newRow("over top-left") << QRect(-80, -77, 600, 400) << screen << QPoint(0, 0);
        QTest::newRow("over bottom-right") << QRect(1700, 900, 600, 400) << screen << QPoint(1320, 640);
        QTest::newRow("larger than the area") << QRect(-10, 30, 2000, 1200) << screen << QPoint(0, 0);
        const QRect second(1920, 24, 1280, 1000); // a second monitor under a top panel
        QTest::newRow("second screen, left of it") << QRect(1800, 0, 600, 400) << second << QPoint(1920, 24);
        QTest::newRow("second screen, past it") << QRect(3000, 900, 600, 400) << second << QPoint(2600, 624);
    }
    void keptInsideTheAvailableArea()
    {
        QFETCH(QRect, dialog);
        QFETCH(QRect, available);
        QFETCH(QPoint, topLeft);
        QCOMPARE(OvDialogBase::keptInside(dialog, available), QRect(topLeft, dialog.size()));
    }

    void dialogCentredOnACornerWindowStaysOnScreen()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget window;
        window.setGeometry(QRect(available.topLeft(), QSize(160, 120)));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        OvDialogBase dialog(&window);
        dialog.resize(available.width() / 2, available.height() / 2);
        dialog.centreOn(&window);
        QCOMPARE(dialog.frameGeometry().topLeft(), available.topLeft());
    }
};

SR_TEST(DialogPlacementTest)
#include "tst_dialogplacement.moc"
