#include "Log.h"
#include "TestEnv.h"
#include "TestMain.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

class LogTest : public QObject {
    Q_OBJECT
private slots:
    void linesFromManyThreadsStayWholeAndFiltered()
    {
        const QString path = SrTest::newFolder("log") + "/app.log";
        QVERIFY(SetLogfile(QFile::encodeName(path).constData()));
        SetLogLevel(2);
        Log("Dropped", 1, "below the level %d", 1);
        QList<QThread*> threads;
        for (int t = 0; t < 4; ++t) {
            threads << QThread::create([t] {
                for (int i = 0; i < 200; ++i)
                    Log("Worker", 2, "thread %d line %d %s", t, i, "with some text to make lines long");
            });
            threads.last()->start();
        }
        for (QThread* th : threads) {
            QVERIFY(th->wait(30000));
            delete th;
        }
        SetLogfile(nullptr);
        SetLogLevel(1);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 800);
        const QRegularExpression shape(
            R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[Worker\] L2 thread \d line \d+ with some text to make lines long$)");
        for (const QString& line : lines)
            QVERIFY2(shape.match(line).hasMatch(), qPrintable(line));
    }

    void unwritableLogFileIsReported()
    {
        QVERIFY(!SetLogfile("/proc/no/such/sr.log"));
        QCOMPARE(QString::fromLocal8Bit(GetLogfile()), QString());
        Log("Test", 2, "goes to stderr without a file");
    }

    void linkAtTheLogNameIsNeverWrittenThrough()
    {
        const QString folder = SrTest::newFolder("loglinks");
        QVERIFY(QFile::link(folder + "/pointee", folder + "/app.log"));
        QVERIFY(!SetLogfile(QFile::encodeName(folder + "/app.log").constData()));
        QVERIFY(!QFile::exists(folder + "/pointee")); // nothing made where the link leads
    }
};
SR_TEST(LogTest)

#include "tst_log.moc"
