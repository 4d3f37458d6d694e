// The feedback form: its rules, the request file it writes, packing and the hand-over to
// the real helpers, which send the request to a server on 127.0.0.1.

#include "TestTools.h"
#include "HttpFixture.h"
#include "ModalAnswers.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "feedback/FeedBackDialog.h"
#include "feedback/FeedbackSender.h"
#include "feedback/FeedbackTask.h"
#include "services/Utils.h"
#include "widgets/CustomCombox.h"

#include "OvProductInfo.h"
#include "OvSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

namespace {
QString feedbackFolder() { return Utils::getAppDataLocation() + "/feedback"; }

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class T> T* child(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

void typeEmail(QWidget* dialog, const QString& text)
{
    auto* edit = child<QLineEdit>(dialog, "leFeedbackEmail");
    edit->clear();
    QTest::keyClicks(edit, text);
}

void addAttachments(QWidget* dialog, const QStringList& files)
{
    ModalAnswers::push(OvModalRequest::OpenFiles, files);
    emit child<QLabel>(dialog, "lblAddAttach")->linkActivated("#attach");
}

QMessageBox* shownMessage()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            return box;
    return nullptr;
}

QString writeRequest(const QString& path, const QString& url)
{
    FeedbackTask task;
    task.setFeedbackUrl(url);
    task.setEmail("a@b");
    task.setNeedSendNodes({"email"});
    QByteArray text;
    task.saveTo(text);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() ? path : QString();
}
} // namespace

class FeedBackDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ModalAnswers::clear();
        QDir(feedbackFolder()).removeRecursively();
        QFile::remove(feedbackFolder());
        FeedBackDialog::setHelperFolder(QString());
        OvProductInfo::instance()->setExtendParam("feedbackUrl", "http://127.0.0.1:9/feedback");
    }

    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void emailRule()
    {
        FeedBackDialog dialog;
        const QList<QPair<QString, bool>> cases{{"a@b", true}, {"a@@", true}, {"me@example.org", true},
                                                {"@ab", false}, {"ab@", false}, {"ab", false}, {"", false}};
        for (const auto& c : cases) {
            typeEmail(&dialog, c.first);
            QCOMPARE(dialog.isEmailValid(), c.second);
            if (!c.second) {
                child<QPushButton>(&dialog, "btnSubmit")->click();
                QCOMPARE(child<QLabel>(&dialog, "lblEmailError")->text(), QString("Invalid email address!"));
                QCOMPARE(dialog.result(), int(QDialog::Rejected));
            }
        }
        QVERIFY(!QFileInfo::exists(feedbackFolder() + "/fb.cnf"));

        // White space typed anywhere vanishes at once, and the next edit clears the error.
        typeEmail(&dialog, " a b\t@c ");
        QCOMPARE(child<QLineEdit>(&dialog, "leFeedbackEmail")->text(), QString("ab@c"));
        QCOMPARE(child<QLabel>(&dialog, "lblEmailError")->text(), QString());
    }

    void attachmentLimit()
    {
        const QString first = SrTest::newFolder("att-1");
        const QString second = SrTest::newFolder("att-2");
        QVERIFY(SrTest::writeFile(first + "/ten.bin", 10 * 1024 * 1024));
        QVERIFY(SrTest::writeFile(first + "/five.bin", 5 * 1024 * 1024));
        QVERIFY(SrTest::writeFile(second + "/one.bin", 1));

        FeedBackDialog dialog;
        auto* combo = child<QComboBox>(&dialog, "cmbAttachs");
        QVERIFY(combo->isHidden());
        addAttachments(&dialog, {first + "/ten.bin", first + "/five.bin"}); // exactly 15 MiB
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(1), QString("five.bin"));
        QCOMPARE(combo->itemData(1).toString(), first + "/five.bin");
        QVERIFY(!combo->isHidden());
        QCOMPARE(ModalAnswers::asked().first().text,
                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        // The chooser's filter lets files without a dot in their name through.
        const QString filter = ModalAnswers::asked().first().filter;
        const QStringList patterns = filter.section('(', 1).section(')', 0, 0).split(' ', Qt::SkipEmptyParts);
        QVERIFY2(QDir::match(patterns, "README") && QDir::match(patterns, "notes.txt"), qPrintable(filter));

        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        addAttachments(&dialog, {second + "/one.bin"}); // one byte more
        QCOMPARE(combo->count(), 2);
        QCOMPARE(ModalAnswers::messages(),
                 QStringList({"The maximum size of the attachment is 15MB. Your file size is larger than 15 MB."}));
        QCOMPARE(OvSettings::instance()->applicationParam("Recover/attachmentDir").toString(), second);
    }

    void writesTheRequestWithoutLogs()
    {
        QVERIFY(QDir().mkpath(feedbackFolder()));
        QVERIFY(SrTest::writeFile(feedbackFolder() + "/fb.cnf", 1));
        QVERIFY(SrTest::writeFile(feedbackFolder() + "/fb_1.cnf", 1));
        // A fake Launcher records its arguments.
        const QString helpers = SrTest::newFolder("fake-helpers");
        QVERIFY(!writeScript(helpers, "Launcher", "echo \"$@\" >> \"$(dirname \"$0\")/args.txt\"\n").isEmpty());
        FeedBackDialog::setHelperFolder(helpers);

        FeedBackDialog dialog;
        typeEmail(&dialog, "me@example.org");
        child<QTextEdit>(&dialog, "txtFeedbackContentsEdit")->setPlainText("It <broke> & \"stopped\"\nTwice.");
        child<QCheckBox>(&dialog, "chkAttachLog")->setChecked(false);
        QVERIFY(child<QLabel>(&dialog, "lblLog")->isHidden());
        child<QPushButton>(&dialog, "btnSubmit")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const QString request = feedbackFolder() + "/fb_2.cnf";
        QCOMPARE(dialog.feedbackFilePath(), request);
        QVERIFY(!QFileInfo::exists(request + ".log.7z"));
        const QByteArray text = readAll(request);
        FeedbackTask loaded;
        QVERIFY(loaded.loadFrom(text));
        QCOMPARE(loaded.content(), QString("It <broke> & \"stopped\"\nTwice."));
        QStringList order;
        for (const QByteArray& line : text.split('\n'))
            if (line.startsWith(" <"))
                order << QString::fromUtf8(line.mid(2, line.indexOf('>') - 2));
        QCOMPARE(order, QStringList({"brand_id", "product_id", "product_version", "product_name", "affiliate_id",
                                     "os", "type", "level", "email", "content", "url"}));
        QVERIFY(text.contains(" <os></os>\n <type>3</type>\n <level>2</level>\n"));
        QVERIFY(text.contains(" <product_id>" + OvProductInfo::instance()->productID().toUtf8() + "</product_id>"));

        QTRY_VERIFY(readAll(helpers + "/args.txt").contains((helpers + "/Feedback " + request + "\n").toUtf8()));
    }

    void packsLogsAndAttachments()
    {
        const QString a = SrTest::newFolder("dlg-a");
        const QString b = SrTest::newFolder("dlg-b");
        QVERIFY(SrTest::writeFile(a + "/same.txt", 10));
        QVERIFY(SrTest::writeFile(b + "/same.txt", 11));
        QVERIFY(SrTest::writeFile(Utils::getAppLogPath(), 100));
        // A leftover archive without its request must not ride along.
        QVERIFY(QDir().mkpath(feedbackFolder()));
        const QString stale = SrTest::newFolder("dlg-stale");
        QVERIFY(SrTest::writeFile(stale + "/secret.txt", 10));
        QVERIFY(SrTest::run(QStandardPaths::findExecutable("7z"),
                            {"a", feedbackFolder() + "/fb.cnf.log.7z", stale + "/secret.txt"}));
        FeedBackDialog::setHelperFolder(SrTest::newFolder("no-helpers"));

        FeedBackDialog dialog;
        typeEmail(&dialog, "a@b");
        addAttachments(&dialog, {a + "/same.txt", b + "/same.txt"});
        addAttachments(&dialog, {a + "/same.txt"});
        // The empty helper folder has no Launcher: the user is told and the dialog stays open.
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        child<QPushButton>(&dialog, "btnSubmit")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains("Launcher"));
        QVERIFY(!QFileInfo::exists(feedbackFolder() + "/fb.cnf"));
        QVERIFY(!QFileInfo::exists(feedbackFolder() + "/fb.cnf.log.7z"));

        // Keep the archive this time by handing over to a Launcher that does nothing.
        const QString helpers = SrTest::newFolder("idle-helpers");
        QVERIFY(!writeScript(helpers, "Launcher", "exit 0\n").isEmpty());
        FeedBackDialog::setHelperFolder(helpers);
        child<QPushButton>(&dialog, "btnSubmit")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const QString archive = feedbackFolder() + "/fb.cnf.log.7z";
        QStringList expected{"sr.log", "same.txt", "same(1).txt"};
        expected.sort();
        QCOMPARE(archiveEntries(archive), expected);
        FeedbackTask loaded;
        QVERIFY(loaded.loadFrom(readAll(feedbackFolder() + "/fb.cnf")));
        QCOMPARE(loaded.logFile(), archive);
        // The request names the user's e-mail and the archive holds their logs.
        QCOMPARE(SrTest::openToOthers({feedbackFolder()}), QString());
    }

    void packsOnlyWhatIsAsked()
    {
        const QString helpers = SrTest::newFolder("only-helpers");
        QVERIFY(!writeScript(helpers, "Launcher", "exit 0\n").isEmpty());
        FeedBackDialog::setHelperFolder(helpers);
        const QString a = SrTest::newFolder("only-a");
        QVERIFY(SrTest::writeFile(a + "/one.txt", 10));
        QVERIFY(SrTest::writeFile(Utils::getAppLogPath(), 100));

        FeedBackDialog dialog;
        typeEmail(&dialog, "a@b");
        child<QCheckBox>(&dialog, "chkAttachLog")->setChecked(false);
        QVERIFY(SrTest::writeFile(a + "/dropped.txt", 10));
        addAttachments(&dialog, {a + "/dropped.txt", a + "/one.txt"});
        // The user takes the first attachment off the list again.
        auto* combo = child<CustomCombox>(&dialog, "cmbAttachs");
        QVERIFY(combo->rowDeleteButton(0));
        QTest::mouseClick(combo->rowDeleteButton(0), Qt::LeftButton);
        QCOMPARE(combo->count(), 1);
        child<QPushButton>(&dialog, "btnSubmit")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(archiveEntries(feedbackFolder() + "/fb.cnf.log.7z"), QStringList({"one.txt"}));
    }

    void failedPackingIsNotNamed()
    {
        // A 7z that breaks off after writing part of the archive.
        const QString helpers = SrTest::newFolder("broken-helpers");
        QVERIFY(!writeScript(helpers, "7z", "printf partial > \"$2\"\nexit 2\n").isEmpty());
        QVERIFY(!writeScript(helpers, "Launcher", "exit 0\n").isEmpty());
        FeedBackDialog::setHelperFolder(helpers);
        QVERIFY(SrTest::writeFile(Utils::getAppLogPath(), 100));

        FeedBackDialog dialog;
        typeEmail(&dialog, "a@b");
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok)); // send without the files
        child<QPushButton>(&dialog, "btnSubmit")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(ModalAnswers::messages().value(0).contains("could not be packed"));
        QVERIFY(!QFileInfo::exists(feedbackFolder() + "/fb.cnf.log.7z"));
        const QByteArray text = readAll(feedbackFolder() + "/fb.cnf");
        QVERIFY(text.contains("<email>a@b</email>"));
        QVERIFY(!text.contains("log_file"));
    }

    void unwritableRequestKeepsTheDialogOpen()
    {
        // A file where the feedback folder should be: nothing can be written there.
        QVERIFY(SrTest::writeFile(feedbackFolder(), 1));
        FeedBackDialog dialog;
        typeEmail(&dialog, "a@b");
        child<QCheckBox>(&dialog, "chkAttachLog")->setChecked(false);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        child<QPushButton>(&dialog, "btnSubmit")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().startsWith("The feedback could not be saved"));

        // With the log box checked the packing fails first; the user may stop there.
        child<QCheckBox>(&dialog, "chkAttachLog")->setChecked(true);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Cancel));
        child<QPushButton>(&dialog, "btnSubmit")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(ModalAnswers::messages().size(), 2);
        QVERIFY(ModalAnswers::messages().last().contains("could not be packed"));
        QFile::remove(feedbackFolder());
    }

    void oneDialogAtATime()
    {
        QWidget parent;
        int opened = 0;
        QString className, title;
        Qt::WindowModality modality = Qt::NonModal;
        bool ownWindow = false;
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) -> QVariant {
            ++opened;
            className = request.className;
            title = request.title;
            modality = request.widget->windowModality();
            ownWindow = request.widget->isWindow() && request.widget->parentWidget() == &parent;
            FeedBackDialog::showFeedBack(&parent); // ignored while one is open
            return int(QDialog::Rejected);
        });
        FeedBackDialog::showFeedBack(&parent);
        QCOMPARE(opened, 1);
        QCOMPARE(className, QString("FeedBackDialog"));
        QCOMPARE(title, QString("Feedback"));
        QCOMPARE(modality, Qt::WindowModal);
        QVERIFY(ownWindow); // a window over the parent, not a child widget inside it
        QVERIFY(!QFileInfo::exists(feedbackFolder() + "/fb.cnf"));
    }

    void sendsThroughTheHelpers()
    {
        HttpFixture server(200);
        OvProductInfo::instance()->setExtendParam("feedbackUrl", server.url());
        const QString folder = SrTest::newFolder("e2e");
        QVERIFY(SrTest::writeFile(folder + "/shot.png", 4096));
        QVERIFY(SrTest::writeFile(Utils::getAppLogPath(), 100));

        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) -> QVariant {
            typeEmail(request.widget, "user@example.org");
            child<QTextEdit>(request.widget, "txtFeedbackContentsEdit")->setPlainText("Hello <there> & bye");
            addAttachments(request.widget, {folder + "/shot.png"});
            child<QPushButton>(request.widget, "btnSubmit")->click();
            return QVariant();
        });
        FeedBackDialog::showFeedBack(nullptr);
        const QString request = feedbackFolder() + "/fb.cnf";
        const QString archive = request + ".log.7z";
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, 30000);
        const QList<HttpFixture::Part> parts = HttpFixture::parts(server.requests().first());
        QMap<QString, HttpFixture::Part> byName;
        for (const auto& p : parts)
            byName.insert(QString::fromUtf8(p.name), p);
        QCOMPARE(byName.value("email").data, QByteArray("user@example.org"));
        QCOMPARE(byName.value("content").data, QByteArray("Hello <there> & bye"));
        QCOMPARE(byName.value("type").data, QByteArray("3"));
        QCOMPARE(byName.value("os").data, FeedbackTask::buildOSName().toUtf8());
        QCOMPARE(byName.value("log_file[]").fileName, QByteArray("fb.cnf.log.7z"));
        QVERIFY(byName.value("log_file[]").data.startsWith("7z\xbc\xaf\x27\x1c"));
        QVERIFY(!byName.contains("attach_file[]"));
        // After the send the helper removes the request and its archive, and nothing is told.
        QTRY_VERIFY_WITH_TIMEOUT(!FeedbackSender::instance()->isSending(), 60000);
        QCOMPARE(QDir(feedbackFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!shownMessage());
    }

    // The form closes at once; a send the server refused is told, and the request is kept.
    void toldWhenNotSent()
    {
        HttpFixture server(500);
        OvProductInfo::instance()->setExtendParam("feedbackUrl", server.url());
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&](const OvModalRequest& request) -> QVariant {
            typeEmail(request.widget, "user@example.org");
            child<QCheckBox>(request.widget, "chkAttachLog")->setChecked(false);
            child<QPushButton>(request.widget, "btnSubmit")->click();
            return QVariant();
        });
        FeedBackDialog::showFeedBack(nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(shownMessage(), 60000);
        const QString message = shownMessage()->text();
        shownMessage()->close();
        QVERIFY2(message.contains("not sent") && message.contains("HTTP status 500"), qPrintable(message));
    }

    // A failed send keeps the request and its archive, and says why in the application log.
    void failedSendKeepsTheRequest()
    {
        HttpFixture server(500);
        const QString folder = SrTest::newFolder("keep");
        const QString request = writeRequest(folder + "/fb.cnf", server.url());
        QVERIFY(SrTest::writeFile(request + ".log.7z", 10));
        QFile::remove(Utils::getAppLogPath());
        const QString bin = QCoreApplication::applicationDirPath();
        QVERIFY(!SrTest::run(bin + "/Feedback", {request}));
        QCOMPARE(server.requestCount(), 1);
        QVERIFY(QFileInfo::exists(request));
        QVERIFY(QFileInfo::exists(request + ".log.7z"));
        const QByteArray log = readAll(Utils::getAppLogPath());
        QVERIFY2(log.contains("[Feedback] L2 send feedback fail"), log.constData());
        // The next request takes the one left behind along; the reason comes through the Launcher.
        FeedbackSender sender;
        QSignalSpy notSent(&sender, &FeedbackSender::notSent);
        QVERIFY(sender.send(bin, writeRequest(folder + "/fb_1.cnf", server.url())));
        QTRY_COMPARE_WITH_TIMEOUT(notSent.count(), 1, 60000);
        QCOMPARE(notSent.first().first().toString(), QString("the server answered with HTTP status 500"));
        QCOMPARE(server.requestCount(), 3);
        QVERIFY(QFileInfo::exists(request) && QFileInfo::exists(folder + "/fb_1.cnf"));

        // A Launcher without a program to start, or with one that does not exist, says so.
        QVERIFY(!SrTest::run(bin + "/Launcher", {}));
        QVERIFY(!SrTest::run(bin + "/Launcher", {folder + "/missing-program"}));
    }

    // Quitting while a send runs ends it quietly; the request stays for the next send.
    void quittingWhileSending()
    {
        HttpFixture silent;
        silent.setSilent(true);
        const QString request = writeRequest(SrTest::newFolder("quit") + "/fb.cnf", silent.url());
        auto* sender = new FeedbackSender;
        QSignalSpy notSent(sender, &FeedbackSender::notSent);
        QVERIFY(sender->send(QCoreApplication::applicationDirPath(), request));
        QTRY_COMPARE_WITH_TIMEOUT(silent.requestCount(), 1, 60000);
        delete sender;
        QVERIFY(notSent.isEmpty() && QFileInfo::exists(request));
    }
};

SR_TEST(FeedBackDialogTest)
#include "tst_FeedBackDialog.moc"
