#include "ModalAnswers.h"
#include "OvDialogBase.h"
#include "OvInputDialog.h"
#include "OvMessageBox.h"
#include "OvSettings.h"
#include "TestMain.h"

#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void absentKeyGivesTheCallersDefault()
    {
        OvSettings* s = OvSettings::instance();
        QCOMPARE(s->applicationParam("Absent/Key", 42).toInt(), 42);
        QVERIFY(!s->applicationParam("Absent/Key").isValid());
    }

    void listsOfStringListsRoundTripThroughTheFile_data()
    {
        QTest::addColumn<QVariantList>("list");
        QTest::newRow("empty") << QVariantList();
        QTest::newRow("one") << QVariantList{QStringList{"a.mov", "/x/a.mov", "1", "10*10", "00:00:01", "1.00KB"}};
        QTest::newRow("one-single-string") << QVariantList{QStringList{"only"}};
        QTest::newRow("tricky-texts") << QVariantList{
            QStringList{"a,b", "@x", "say \"hi\"", "é ü 中文", "", "back\\slash"},
            QStringList{"@Variant(x)", "semi;colon", "line\nbreak", "=equals", "#hash", "  spaced  "},
            QStringList{}};
        QVariantList many;
        for (int i = 0; i < 50; ++i)
            many << QStringList{QString::number(i), QStringLiteral("/p/%1").arg(i), "2"};
        QTest::newRow("many") << many;
    }

    void listsOfStringListsRoundTripThroughTheFile()
    {
        QFETCH(QVariantList, list);
        OvSettings* s = OvSettings::instance();
        s->setApplicationParam("Test/List", list);
        s->reload(); // a new QSettings on the same file, as after a restart
        const QVariant back = s->applicationParam("Test/List");
        QCOMPARE(back.toList().size(), list.size());
        for (int i = 0; i < list.size(); ++i)
            QCOMPARE(back.toList().at(i).toStringList(), list.at(i).toStringList());
    }

    void plainStringListsAndScalarsKeepTheirValues()
    {
        OvSettings* s = OvSettings::instance();
        s->setApplicationParam("Test/Strings", QStringList{"one"});
        s->setApplicationParam("Test/Text", QStringLiteral("@leading at"));
        s->setApplicationParam("Test/Bool", true);
        s->reload();
        QCOMPARE(s->applicationParam("Test/Strings").toStringList(), QStringList{"one"});
        QCOMPARE(s->applicationParam("Test/Text").toString(), QStringLiteral("@leading at"));
        QCOMPARE(s->applicationParam("Test/Bool").toBool(), true);
    }

    void writesFromSeveralThreadsAllArrive()
    {
        OvSettings* s = OvSettings::instance();
        QList<QThread*> threads;
        for (int t = 0; t < 4; ++t) {
            threads << QThread::create([s, t] {
                for (int i = 0; i < 50; ++i) {
                    s->setApplicationParam(QStringLiteral("Threads/%1_%2").arg(t).arg(i), i);
                    s->applicationParam(QStringLiteral("Threads/%1_%2").arg(t).arg(i / 2));
                }
            });
            threads.last()->start();
        }
        for (QThread* th : threads) {
            QVERIFY(th->wait(30000));
            delete th;
        }
        s->reload();
        for (int t = 0; t < 4; ++t)
            for (int i = 0; i < 50; ++i)
                QCOMPARE(s->applicationParam(QStringLiteral("Threads/%1_%2").arg(t).arg(i)).toInt(), i);
    }
};
SR_TEST(TestSettingsStore)

class TestModalQuestions : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalAnswers::clear(); }

    void messageBoxAnswersWithStandardButtonCodes()
    {
        ModalAnswers::push(OvModalRequest::MessageBox, 0x4000);
        const int answer = OvMessageBox::question(nullptr, "Title", "Replace it?");
        QCOMPARE(answer, 0x4000);
        QCOMPARE(ModalAnswers::messages(), QStringList{"Replace it?"});
        QCOMPARE(int(QMessageBox::Ok), 0x400);
        QCOMPARE(int(QMessageBox::No), 0x10000);
        QCOMPARE(int(QMessageBox::Cancel), 0x400000);
    }

    void unscriptedQuestionsAreCancelledAndCounted()
    {
        QCOMPARE(OvMessageBox::information(nullptr, "T", "unplanned"), int(QMessageBox::Cancel));
        OvInputDialog input;
        QCOMPARE(input.exec(), 0);
        QCOMPARE(ModalAnswers::unexpectedCount(), 2);
        ModalAnswers::clear();
    }

    void inputDialogTakesTheAnswerWithinItsLengthLimit()
    {
        OvInputDialog input;
        input.setMaxInputLength(5);
        ModalAnswers::push(OvModalRequest::InputDialog, QStringLiteral("abcdefgh"));
        QCOMPARE(input.exec(), 1);
        QCOMPARE(input.textValue(), QStringLiteral("abcde"));
    }

    void dialogCanBeDrivenThroughItsOwnWidgets()
    {
        OvDialogBase dialog;
        auto* ok = new QPushButton("OK", &dialog);
        (new QVBoxLayout(&dialog))->addWidget(ok);
        connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        int finishedCount = 0;
        connect(&dialog, &QDialog::finished, [&finishedCount] { ++finishedCount; });
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [ok](const OvModalRequest& r) {
            QTest::mouseClick(ok, Qt::LeftButton);
            return QVariant(); // the dialog's own result
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(finishedCount, 1);
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }
};
SR_TEST(TestModalQuestions)

#include "tst_framework.moc"
