// The Preferences closed from outside (the main window closing its pop-ups) while one of its
// own questions is open, and after it has been answered: the dialog goes exactly once,
// nothing is saved and nothing is touched after it has gone. Run under AddressSanitizer by
// the test script.

#include "ModalAnswers.h"
#include "TestMain.h"
#include "core/RecordParameter.h"
#include "preferences/OptionDialog.h"
#include "preferences/ShortcutTool.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>

namespace {
const int kCancel = 0x400000; // QMessageBox::Cancel
}

class OptionLifetimeTest : public QObject {
    Q_OBJECT
private slots:
    void closedAroundItsQuestions_data();
    void closedAroundItsQuestions();
};

void OptionLifetimeTest::closedAroundItsQuestions_data()
{
    QTest::addColumn<QString>("control"); // pressed to ask; empty: the close button
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("whileAsking");
    const struct {
        const char* name;
        const char* control;
        OvModalRequest::Kind kind;
    } questions[] = {{"close question", "", OvModalRequest::MessageBox},
                     {"output folder", "btnOutputFolderBrowse", OvModalRequest::Directory},
                     {"screenshot folder", "btnSnapshotBrowse", OvModalRequest::Directory},
                     {"click colour", "btnClickChoose", OvModalRequest::ColorDialog},
                     {"area colour", "btnAreaChoose", OvModalRequest::ColorDialog}};
    for (const auto& q : questions) {
        QTest::addRow("%s, while asking", q.name) << QString::fromLatin1(q.control) << int(q.kind) << true;
        QTest::addRow("%s, answered", q.name) << QString::fromLatin1(q.control) << int(q.kind) << false;
    }
}

void OptionLifetimeTest::closedAroundItsQuestions()
{
    QFETCH(QString, control);
    QFETCH(int, kind);
    QFETCH(bool, whileAsking);
    ModalAnswers::clear();
    RecordParameter* param = RecordParameter::instance();
    param->setCountDown(false);

    ShortcutTool tool;
    QSignalSpy ended(&tool, &ShortcutTool::sigHideOptionDlg);
    bool asked = false;
    ModalAnswers::pushHandler(OvModalRequest::Kind(kind), [&](const OvModalRequest&) {
        asked = true;
        if (whileAsking)
            tool.hideOptionDlg();
        return kind == OvModalRequest::MessageBox ? QVariant(kCancel) : QVariant();
    });
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) {
        auto* dlg = qobject_cast<OptionDialog*>(request.widget);
        dlg->show();
        // A change that a save would store, and the colour choices made reachable; a second
        // opening meanwhile opens nothing.
        dlg->findChild<QAbstractButton*>(QStringLiteral("chbCountdown"))->click();
        dlg->findChild<QAbstractButton*>(QStringLiteral("btnMouseClick"))->click();
        if (auto* indicate = dlg->findChild<QAbstractButton*>(QStringLiteral("chbIndicate")); !indicate->isChecked())
            indicate->click();
        tool.showOptionDlg(SP_MOUSE);
        if (control.isEmpty())
            dlg->close();
        else
            dlg->findChild<QAbstractButton*>(control)->click();
        if (!whileAsking)
            tool.hideOptionDlg();
        return QVariant();
    });
    tool.showOptionDlg(SP_OUTPUT);

    QVERIFY(asked);
    QCOMPARE(ended.count(), 1);
    QVERIFY(!tool.optionDialog() && !tool.findChild<OptionDialog*>());
    QVERIFY(!param->isCountDown());
    QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    tool.hideOptionDlg(); // with none open: nothing
    QCOMPARE(ended.count(), 1);
}

SR_TEST(OptionLifetimeTest)
#include "tst_optionlifetime.moc"
