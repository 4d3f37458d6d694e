#include "FileSizeLimit.h"
#include "ModalAnswers.h"
#include "OvDialogBase.h"
#include "OvInputDialog.h"
#include "OvMessageBox.h"
#include "OvSafeFile.h"
#include "OvSettings.h"
#include "SmallDisk.h"
#include "TestEnv.h"
#include "TestMain.h"

#include <QDataStream>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>

#include <atomic>
#include <csignal>
#include <thread>
#include <sys/resource.h>

namespace {
QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeContent(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}
} // namespace

class SettingsStoreTest : public QObject {
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

    // A file that cannot be read is kept aside byte for byte before anything is written, and
    // told once; a second one never replaces the first copy.
    void unreadableFileIsKeptAsideAndToldOnce_data()
    {
        QTest::addColumn<int>("cut");
        QTest::addColumn<QByteArray>("appended");
        QTest::newRow("truncated") << 3 << QByteArray();
        QByteArray junk;
        for (int i = 0; i < 512; ++i)
            junk += char(i * 37);
        QTest::newRow("garbage") << 0 << junk;
        QTest::newRow("oversized") << 0 << "[Zzz]\nPad=" + QByteArray(OvSettings::kMaxFileBytes, 'x') + "\n";
    }

    void unreadableFileIsKeptAsideAndToldOnce()
    {
        QFETCH(int, cut);
        QFETCH(QByteArray, appended);
        OvSettings* s = OvSettings::instance();
        const QVariantList history{QStringList{"a.mp4", "/v/a.mp4", "1", "640*480", "00:00:05", "1.2MB"}};
        s->setApplicationParam("Path/SavefilesHistroy", history);
        s->setApplicationParam("Zz/Tail", QStringLiteral("the last line of the file"));
        const QByteArray damaged = contentOf(s->fileName()).chopped(cut) + appended;
        QVERIFY(writeContent(s->fileName(), damaged));

        s->reload();
        QString keptAs;
        QVERIFY(s->takeDamageReport(&keptAs));
        QVERIFY(!s->takeDamageReport(nullptr));
        QCOMPARE(QFileInfo(keptAs).absolutePath(), QFileInfo(s->fileName()).absolutePath());
        QVERIFY(contentOf(keptAs) == damaged);
        QVERIFY(!s->contains("Path/SavefilesHistroy"));
        QVERIFY(s->setApplicationParam("Path/SavefilesHistroy", history));
        s->reload();
        QVERIFY(!s->takeDamageReport(nullptr));

        QVERIFY(writeContent(s->fileName(), damaged));
        s->reload();
        QString second;
        QVERIFY(s->takeDamageReport(&second));
        QVERIFY(second != keptAs);
        QVERIFY(contentOf(keptAs) == damaged);
    }

    // Another process replacing the file whole (as every write does) while this one loads it
    // is no damage: the file read is sound, nothing is set aside and nothing is told.
    void fileReplacedWhileReadIsNotTakenForDamaged()
    {
        OvSettings* s = OvSettings::instance();
        QVERIFY(s->setApplicationParam("Zz/Seed", 1));
        const QString path = s->fileName();
        const QByteArray base = contentOf(path);
        const QFileInfo info(path);
        const auto keptAside = [&] {
            return QDir(info.absolutePath()).entryList({info.fileName() + QStringLiteral(".damaged-*")});
        };
        const QStringList keptBefore = keptAside();
        std::atomic<bool> stop{false};
        std::thread writer([&] {
            for (int n = 0; !stop; ++n) {
                QSaveFile file(path);
                file.open(QIODevice::WriteOnly);
                file.write(base + "[Other]\nPad=" + QByteArray(n % 97, 'x') + "\n");
                file.commit();
            }
        });
        constexpr int kLoads = 2000;
        for (int i = 0; i < kLoads && !s->takeDamageReport(nullptr); ++i)
            s->reload();
        stop = true;
        writer.join();
        QCOMPARE(keptAside(), keptBefore);
        QCOMPARE(s->applicationParam("Zz/Seed", 0).toInt(), 1);
    }

    // A write that fails part-way (a full disk; here the file size limit) is reported and
    // leaves the file as it was; the user is told once, with the file's path. The value stays
    // in the store and goes with the next write.
    void failedWriteLeavesTheFileWholeAndIsToldOnce()
    {
        OvSettings* s = OvSettings::instance();
        QVERIFY(s->setApplicationParam("Test/Kept", QStringLiteral("before")));
        const QByteArray before = contentOf(s->fileName());
        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        bool written = true;
        bool writtenAgain = true;
        {
            SrTest::FileSizeLimit limit(before.size() + 4096);
            QVERIFY(limit.isSet());
            written = s->setApplicationParam("Test/Big", QString(256 * 1024, QLatin1Char('x')));
            writtenAgain = s->setApplicationParam("Test/Big2", QString(256 * 1024, QLatin1Char('y')));
        }
        QVERIFY(!written && !writtenAgain);
        QVERIFY(contentOf(s->fileName()) == before);
        QVERIFY(s->contains("Test/Big"));
        QCoreApplication::processEvents();
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains(s->fileName()));
        QVERIFY(s->setApplicationParam("Test/After", 1));
        s->reload();
        QCOMPARE(s->applicationParam("Test/Kept").toString(), QStringLiteral("before"));
        QCOMPARE(s->applicationParam("Test/Big2").toString().size(), 256 * 1024);
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }

    // On a real full disk a refused change is written at quit once there is room; while the
    // disk is still full the user is told, with the file's path, before the call returns.
    void changeRefusedByAFullDiskIsWrittenAtQuitOrTold()
    {
        OvSettings* s = OvSettings::instance();
        const QString folder = QFileInfo(s->fileName()).absolutePath();
        {
            SrTest::SmallDisk disk(folder, 1);
            if (!disk.isMounted())
                QSKIP("mounting a small filesystem needs root");
            s->reload();
            QVERIFY(!SrTest::writeFile(folder + "/filler", 2 * 1024 * 1024));
            ModalAnswers::clear();
            ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
            ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
            QVERIFY(!s->setApplicationParam("Quit/Refused", QStringLiteral("kept")));
            QCoreApplication::processEvents();
            QVERIFY(!s->flushPending());
            QCOMPARE(ModalAnswers::messages().size(), 2); // no event loop runs after it at quit
            QVERIFY(ModalAnswers::messages().last().contains(s->fileName()));
            QVERIFY(QFile::remove(folder + "/filler"));
            QVERIFY(s->flushPending());
            QVERIFY(contentOf(s->fileName()).contains("\nRefused=kept\n"));
        }
        s->reload();
    }

    // A settings file that is a link (to a file kept with the user's other settings) stays a
    // link; what it leads to is written, and a failed write leaves that file as it was.
    void linkedFileIsWrittenThroughTheLink()
    {
        OvSettings* s = OvSettings::instance();
        const QString real = SrTest::newFolder(QStringLiteral("dotfiles")) + QStringLiteral("/recorder.ini");
        QVERIFY(QFile::copy(s->fileName(), real));
        QVERIFY(QFile::remove(s->fileName()));
        QVERIFY(QFile::link(real, s->fileName()));
        s->reload();
        QVERIFY(s->setApplicationParam("Linked/Value", 7));
        QVERIFY(QFileInfo(s->fileName()).isSymLink());
        QVERIFY(contentOf(real).contains("Value=7"));
        const QByteArray before = contentOf(real);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        {
            SrTest::FileSizeLimit limit(before.size() + 4096);
            QVERIFY(!s->setApplicationParam("Linked/Big", QString(256 * 1024, QLatin1Char('x'))));
        }
        QCoreApplication::processEvents();
        QVERIFY(QFileInfo(s->fileName()).isSymLink());
        QVERIFY(contentOf(real) == before);
        QVERIFY(QFile::remove(s->fileName()));
        QVERIFY(QFile::copy(real, s->fileName()));
        s->reload();
        QCOMPARE(s->applicationParam("Linked/Value").toInt(), 7);
    }

    // A loop of links made where the file is is refused as the kernel refuses it: the links
    // stay links, and the user is told.
    void loopOfLinksIsNeverReplaced()
    {
        OvSettings* s = OvSettings::instance();
        const QString path = s->fileName();
        const QString other = path + QStringLiteral(".loop");
        QFile::remove(path);
        QVERIFY(QFile::link(other, path) && QFile::link(path, other));
        ModalAnswers::clear();
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        QVERIFY(!s->setApplicationParam("Loop/Value", 1));
        QVERIFY(!OvSafeFile::write(other, "x"));
        QVERIFY(QFileInfo(path).isSymLink() && QFileInfo(other).isSymLink());
        QCoreApplication::processEvents();
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(QFile::remove(path) && QFile::remove(other));
        s->reload();
    }

    // A history spelled with every byte escaped ("\xNN", which Qt reads but never writes) holds
    // the same value: it reads as it is, and nothing is kept aside or told.
    void typedValueIsJudgedByWhatItHoldsNotItsSpelling()
    {
        OvSettings* s = OvSettings::instance();
        const QVariantList history{QStringList{"a.mp4", "/v/a.mp4", "1", "640*480", "00:00:05", "1.2MB"}};
        QByteArray stream;
        QDataStream out(&stream, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_0);
        out << QVariant(history);
        QByteArray text = "[Path]\nSavefilesHistroy=@Variant(";
        for (const char byte : qAsConst(stream))
            text += "\\x" + QByteArray::number(uchar(byte), 16).rightJustified(2, '0');
        QVERIFY(writeContent(s->fileName(), text + ")\n"));
        ModalAnswers::clear();
        s->reload();
        QCoreApplication::processEvents();
        QCOMPARE(s->applicationParam("Path/SavefilesHistroy").toList(), history);
        QVERIFY(ModalAnswers::asked().isEmpty());
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
SR_TEST(SettingsStoreTest)

// The writer every store relies on.
class StoreFileTest : public QObject {
    Q_OBJECT
    QString m_dir;

    QStringList namesIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private slots:
    void init() { m_dir = SrTest::newFolder(QStringLiteral("store-%1").arg(QTest::currentTestFunction())); }

    void writeIsWholeOrNothingAndGoesThroughLinks()
    {
        const QString path = m_dir + QStringLiteral("/list.json");
        QVERIFY(OvSafeFile::write(path, "old content\n"));
        {
            SrTest::FileSizeLimit limit(64);
            QString why;
            QVERIFY(!OvSafeFile::write(path, QByteArray(4096, 'n'), &why));
            QVERIFY(!why.isEmpty());
        }
        QCOMPARE(contentOf(path), QByteArray("old content\n"));
        QCOMPARE(namesIn(m_dir), QStringList{"list.json"});

        // Through a chain of relative links, and a link leading nowhere yet.
        const QString elsewhere = SrTest::newFolder(QStringLiteral("elsewhere-store"));
        QVERIFY(QFile::link(QStringLiteral("../elsewhere-store/real.json"), m_dir + QStringLiteral("/hop.json")));
        QVERIFY(QFile::link(QStringLiteral("hop.json"), m_dir + QStringLiteral("/linked.json")));
        QVERIFY(OvSafeFile::write(m_dir + QStringLiteral("/linked.json"), "first"));
        QVERIFY(OvSafeFile::write(m_dir + QStringLiteral("/linked.json"), "second"));
        QVERIFY(QFileInfo(m_dir + QStringLiteral("/linked.json")).isSymLink());
        QVERIFY(QFileInfo(m_dir + QStringLiteral("/hop.json")).isSymLink());
        QCOMPARE(contentOf(elsewhere + QStringLiteral("/real.json")), QByteArray("second"));

        // Set aside: the bytes the link leads to, under a name no earlier copy has.
        const QString first = OvSafeFile::setAside(m_dir + QStringLiteral("/linked.json"));
        QCOMPARE(contentOf(first), QByteArray("second"));
        QVERIFY(OvSafeFile::write(m_dir + QStringLiteral("/linked.json"), "third"));
        const QString second = OvSafeFile::setAside(m_dir + QStringLiteral("/linked.json"));
        QVERIFY(!second.isEmpty() && second != first);
        QCOMPARE(contentOf(first), QByteArray("second"));
        QCOMPARE(contentOf(second), QByteArray("third"));
        QVERIFY(QFileInfo(m_dir + QStringLiteral("/linked.json")).isSymLink());
    }
};
SR_TEST(StoreFileTest)

class ModalQuestionsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalAnswers::clear(); }

    void messageBoxAnswersWithStandardButtonCodes()
    {
        ModalAnswers::push(OvModalRequest::MessageBox, 0x4000);
        const int answer = OvMessageBox::question(nullptr, "Title", "Replace it?");
        QCOMPARE(answer, 0x4000);
        QCOMPARE(ModalAnswers::messages(), QStringList{"Replace it?"});
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
SR_TEST(ModalQuestionsTest)

#include "tst_framework.moc"
