// Where a user reaches the feedback form without an error first: the main window's bottom
// strip and the status item's menu, clicked with the real mouse on a desktop with a system
// tray. The hotkeys wait while the form is open.

#include "DesktopInput.h"
#include "FakeEngine.h"
#include "FindChild.h"
#include "ModalAnswers.h"
#include "StatusItemTray.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "app/MainEntry.h"
#include "app/MainWindowBase.h"
#include "core/RecordState.h"

#include <QDialog>
#include <QTest>
#include <QTimer>
#include <optional>

namespace {
// What the user met when the form was asked for: its class, whether it came on the screen,
// and whether the hotkeys were held back meanwhile.
struct FormSeen {
    QString className;
    bool shown = false;
    bool hotKeysHeld = false;
};

// Lets the next modal dialog run for real, notes what it was, and closes it once it is on
// the screen.
void expectForm(QList<FormSeen>& seen)
{
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&seen](const OvModalRequest& request) {
        auto* dialog = qobject_cast<QDialog*>(request.widget);
        seen.append({request.className, false, !RecordState::instance()->hotKeysEnabled()});
        QTimer::singleShot(0, dialog, [&seen, dialog] {
            seen.last().shown = QTest::qWaitForWindowExposed(dialog);
            dialog->reject();
        });
        return QVariant(dialog->QDialog::exec());
    });
}
} // namespace

class FeedbackEntryTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void formOpensFromTheStripAndTheStatusItem();

private:
    std::optional<FakeSeam> m_seam;
    MainWindowBase* m_pBase = nullptr;
};

void FeedbackEntryTest::init()
{
    ModalAnswers::clear();
    m_seam.emplace();
    m_pBase = MainEntry::createMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_pBase));
    QVERIFY(SrTest::waitPlaced(m_pBase));
}

void FeedbackEntryTest::cleanup()
{
    MainEntry::destroyMainWindow(m_pBase);
    m_pBase = nullptr;
    m_seam.reset();
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
}

void FeedbackEntryTest::formOpensFromTheStripAndTheStatusItem()
{
    QList<FormSeen> seen;
    expectForm(seen);
    QVERIFY(SrTest::clickAt(SrTest::child(m_pBase, "btnFeedback")));
    QVERIFY(SrTest::spinUntil([&seen] { return seen.size() == 1; }, 10000));
    QCOMPARE(seen[0].className, QStringLiteral("FeedBackDialog"));
    QVERIFY(seen[0].shown);
    QVERIFY(seen[0].hotKeysHeld);
    QVERIFY(RecordState::instance()->hotKeysEnabled());

    SrTest::StatusItemTray tray;
    QVERIFY(tray.start(QStringLiteral(SR_TRAYHOST)));
    expectForm(seen);
    QVERIFY(tray.choose(QStringLiteral("actFeedback")));
    QVERIFY(SrTest::spinUntil([&seen] { return seen.size() == 2; }, 10000));
    QCOMPARE(seen[1].className, QStringLiteral("FeedBackDialog"));
    QVERIFY(seen[1].shown);
    QVERIFY(RecordState::instance()->hotKeysEnabled());
}

SR_TEST_DISPLAY(FeedbackEntryTest)
#include "tst_feedbackentry.moc"
