// Dialogs centred on a window stay on the screen, also when the window sits in a corner; under
// the window manager a question opens centred on the window it belongs to.

#include "OvDialogBase.h"
#include "OvMessageBox.h"
#include "ModalAnswers.h"
#include "WaitFor.h"
#include "TestMain.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
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

namespace {
// A box may settle its size a few pixels after it is placed.
const int kCentreSlack = 8;

// The window manager has framed `w` (the native window knows its frame; QWidget's own idea
// of it may lag behind).
bool framed(const QWidget* w) { return w->isVisible() && !w->windowHandle()->frameMargins().isNull(); }
QRect frameOf(const QWidget* w) { return w->windowHandle()->frameGeometry(); }

// Runs `ask`, which asks a question of `kind`; the question is shown as its modal loop
// shows it, and its frame's place once the window manager has framed it is returned.
QRect placeOfQuestion(OvModalRequest::Kind kind, const std::function<void()>& ask)
{
    QRect seen;
    ModalAnswers::pushHandler(kind, [&seen](const OvModalRequest& request) {
        QWidget* question = request.widget;
        question->show();
        if (SrTest::spinUntil([question] { return framed(question); }, 30000)) {
            // The window manager has had its say.
            SrTest::spinUntil([] { return false; }, 300);
            seen = frameOf(question);
        }
        question->hide();
        return QVariant();
    });
    ask();
    return seen;
}
} // namespace

class QuestionPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void questionOpensCentredOnItsWindow_data()
    {
        QTest::addColumn<bool>("messageBox");
        QTest::newRow("message box") << true;
        QTest::newRow("dialog") << false;
    }
    void questionOpensCentredOnItsWindow()
    {
        QFETCH(bool, messageBox);
        ModalAnswers::clear();
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget window;
        window.setWindowTitle(QStringLiteral("owner"));
        window.setGeometry(QRect(available.topLeft() + QPoint(available.width() / 2, available.height() / 3),
                                 QSize(600, 400)));
        window.show();
        QVERIFY(SrTest::spinUntil([&window] { return framed(&window); }, 5000));
        const QRect question = placeOfQuestion(messageBox ? OvModalRequest::MessageBox : OvModalRequest::Dialog,
                                               [&window, messageBox] {
            if (messageBox) {
                OvMessageBox::question(&window, QStringLiteral("Question"), QStringLiteral("Save the changes?"));
            } else {
                OvDialogBase dialog(&window);
                dialog.resize(300, 200);
                dialog.exec();
            }
        });
        QVERIFY(question.isValid());
        const QPoint off = question.center() - frameOf(&window).center();
        QVERIFY2(qAbs(off.x()) <= kCentreSlack && qAbs(off.y()) <= kCentreSlack,
                 qPrintable(QStringLiteral("%1,%2 off the window's centre").arg(off.x()).arg(off.y())));
    }
};

SR_TEST_DISPLAY(QuestionPlacementTest)
#include "tst_dialogplacement.moc"
