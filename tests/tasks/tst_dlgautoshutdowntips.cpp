// The countdown before a finishing action (run modally in the scheduled recording tests):
// its count and end, and the global hotkeys coming back however it ends.

#include "TestMain.h"
#include "core/SignalsTransfer.h"
#include "tasks/DlgAutoShutdownTips.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
// Long enough that only the test ticks.
const int kManualTickMs = 3600 * 1000;

QString count(const QDialog& dialog) { return dialog.findChild<QLabel*>(QStringLiteral("lblCountTips"))->text(); }
} // namespace

class DlgAutoShutdownTipsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { DlgAutoShutdownTips::setTickIntervalForTests(1000); }
    void acceptsOnTheThirtyFirstTickShowingZero();
    void hotKeysComeBackOnceHoweverItEnds();
};

void DlgAutoShutdownTipsTest::acceptsOnTheThirtyFirstTickShowingZero()
{
    DlgAutoShutdownTips::setTickIntervalForTests(kManualTickMs);
    DlgAutoShutdownTips dialog(QStringLiteral("notice"));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QCOMPARE(count(dialog), QStringLiteral("30s"));
    dialog.updateTips();
    QCOMPARE(count(dialog), QStringLiteral("30s"));
    for (int tick = 2; tick <= 30; ++tick)
        dialog.updateTips();
    QCOMPARE(count(dialog), QStringLiteral("1s"));
    QCOMPARE(accepted.count(), 0);
    dialog.updateTips();
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(count(dialog), QStringLiteral("0s"));
}

void DlgAutoShutdownTipsTest::hotKeysComeBackOnceHoweverItEnds()
{
    DlgAutoShutdownTips::setTickIntervalForTests(kManualTickMs);
    const std::function<void(DlgAutoShutdownTips&)> endings[] = {
        [](DlgAutoShutdownTips& d) { d.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click(); },
        [](DlgAutoShutdownTips& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](DlgAutoShutdownTips& d) { d.close(); },
        [](DlgAutoShutdownTips& d) {
            for (int tick = 0; tick <= 30; ++tick)
                d.updateTips();
        },
    };
    int ending = 0;
    for (const auto& end : endings) {
        QSignalSpy hotKeys(SignalsTransfer::instance(), &SignalsTransfer::hotKeyEnable);
        {
            DlgAutoShutdownTips dialog(QStringLiteral("notice"));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            end(dialog);
            QCOMPARE(dialog.result(), ending == 3 ? int(QDialog::Accepted) : int(QDialog::Rejected));
        }
        QCOMPARE(hotKeys.count(), 2);
        QCOMPARE(hotKeys[0][0].toBool(), false);
        QCOMPARE(hotKeys[1][0].toBool(), true);
        ++ending;
    }
}

SR_TEST(DlgAutoShutdownTipsTest)
#include "tst_dlgautoshutdowntips.moc"
