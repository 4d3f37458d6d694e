// The daemon's task file when a change cannot be written (a file-size limit stands for a
// full disk), and the changes it must refuse to keep the user's other tasks.

#include "DaemonHarness.h"
#include "SizeLimitedProcess.h"
#include "TestEnv.h"
#include "TestMain.h"

#include <QDir>
#include <QTest>

namespace {
// Larger than the file writer's buffer, so that the file is written by one large write.
const int kBigRecinfo = 24 * 1024;
const qint64 kFileLimit = 64 * 1024;

QJsonObject task(const QString& name, int recinfoBytes = 100)
{
    return {{"name", name},   {"enable", true},   {"repeat", false}, {"week", "0,1,0,0,0,0,0"},
            {"date", "03-10-2031 10:00:00"}, {"recinfo", QString(recinfoBytes, 'r')}};
}

QStringList names(WireClient& client)
{
    QStringList list;
    for (int i = 0; i < client.result("getTaskArrayCount").toInt(); ++i)
        list << client.result("getTaskInfo", {{"index", i}}).toObject().value("name").toString();
    return list;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TaskStoreLimitsTest : public QObject {
    Q_OBJECT
private slots:
    void changeThatCannotBeWrittenIsRefusedAndTheFileKept()
    {
        DaemonRun daemon(SrTest::newFolder("filled"));
        SrTest::SizeLimitedProcess limited(kFileLimit);
        limited.start(QCoreApplication::applicationDirPath() + "/screenrecorder-taskd",
                      QStringList{"--socket", daemon.socket()} + daemon.options());
        QVERIFY(SrTest::spinUntil([&] { return QFile::exists(daemon.socket()); }, 5000));
        {
            WireClient client(daemon.socket());
            QCOMPARE(client.call("addTask", task("A", kBigRecinfo)).value("ok"), QJsonValue(true));
            QCOMPARE(client.call("addTask", task("B")).value("ok"), QJsonValue(true));
            const QByteArray kept = bytesOf(daemon.store());
            QVERIFY(kept.size() > kBigRecinfo);

            // Each would make the file larger than the disk takes.
            QJsonObject grown = task("B", 2 * kBigRecinfo);
            grown.insert("oldName", "B");
            for (const auto& [op, args] : {qMakePair(QString("addTask"), task("C", 2 * kBigRecinfo)),
                                           qMakePair(QString("changeTask"), grown)}) {
                const QJsonObject reply = client.call(op, args);
                QCOMPARE(reply.value("ok"), QJsonValue(false));
                QVERIFY2(reply.value("error").toString().contains("could not be written"),
                         qPrintable(reply.value("error").toString()));
                QCOMPARE(bytesOf(daemon.store()), kept);
                QCOMPARE(names(client), QStringList({"A", "B"}));
            }
            QCOMPARE(client.result("getTaskInfo", {{"index", 1}}).toObject().value("recinfo").toString(),
                     QString(100, 'r'));
            // What fits is still written.
            QCOMPARE(client.call("removeTask", {{"name", "B"}}).value("ok"), QJsonValue(true));
        }
        limited.terminate();
        QVERIFY(limited.waitForFinished(5000));
        QVERIFY(daemon.start());
        WireClient client(daemon.socket());
        QCOMPARE(names(client), QStringList({"A"}));
        QCOMPARE(QDir(daemon.dir).entryList({"tasks.json*"}), QStringList({"tasks.json", "tasks.json.lock"}));
    }

    // On a disk that takes one byte the daemon still serves, and its process id file is whole
    // or absent, never a cut-short number.
    void processIdFileIsWholeOrAbsent()
    {
        DaemonRun daemon(SrTest::newFolder("full-pid"));
        SrTest::SizeLimitedProcess limited(1);
        limited.start(QCoreApplication::applicationDirPath() + "/screenrecorder-taskd",
                      QStringList{"--socket", daemon.socket()} + daemon.options());
        QVERIFY(SrTest::spinUntil([&] { return QFile::exists(daemon.socket()); }, 5000));
        QCOMPARE(WireClient(daemon.socket()).result("getVersion").toString(), QString("6.0"));
        const QString pidFile = daemon.socket() + ".pid";
        QVERIFY2(!QFile::exists(pidFile) || bytesOf(pidFile).trimmed().toLongLong() == limited.processId(),
                 bytesOf(pidFile).constData());
        limited.terminate();
        QVERIFY(limited.waitForFinished(5000));
    }

    void changeOfAnUnknownTaskNeverOverwritesAnother()
    {
        DaemonRun daemon(SrTest::newFolder("unknown"));
        QVERIFY(daemon.start());
        WireClient client(daemon.socket());
        QCOMPARE(client.call("addTask", task("Other", 10)).value("ok"), QJsonValue(true));
        QJsonObject change = task("Other", 20);
        change.insert("oldName", "Gone");
        QCOMPARE(client.call("changeTask", change).value("ok"), QJsonValue(false));
        QCOMPARE(client.result("getTaskInfo", {{"index", 0}}).toObject().value("recinfo").toString(), QString(10, 'r'));
        // A task stored again under its own name (a replay after the daemon lost it) is kept.
        QJsonObject replay = task("Lost", 30);
        replay.insert("oldName", "Lost");
        QCOMPARE(client.call("changeTask", replay).value("ok"), QJsonValue(true));
        QCOMPARE(names(client), QStringList({"Other", "Lost"}));
    }
};
SR_TEST(TaskStoreLimitsTest)

#include "tst_taskstorelimits.moc"
