// Starting the application (the host executable, as a child process) where it cannot start
// as usual: without an X display, and with a settings file that cannot be read.

#include "OvSettings.h"
#include "TestMain.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {
const char kNoticeStart[] = "The settings file could not be read.";

QString hostProgram() { return QCoreApplication::applicationDirPath() + QStringLiteral("/ScreenRecorder"); }

// Starts the application without a display of its own and with nobody to answer its questions.
void startApp(QProcess& process)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SR_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(hostProgram(), QStringList());
}

// Reads the standard error of `process` until it has stored its id under "pid" (it then
// runs past the start-up reports); false when it ends or takes too long.
bool runUntilStarted(QProcess& process, QByteArray* errors)
{
    if (!process.waitForStarted(10000))
        return false;
    const QString settings = OvSettings::instance()->fileName();
    return SrTest::spinUntil(
        [&] {
            // The file is read without QSettings here: a store that loads it would check
            // (and set aside) a damaged file itself.
            QFile file(settings);
            const bool stored = file.open(QIODevice::ReadOnly)
                                && file.readAll().contains("pid=" + QByteArray::number(process.processId()) + '\n');
            QCoreApplication::processEvents(); // what it wrote before storing its id is read
            *errors += process.readAllStandardError();
            return stored || process.state() == QProcess::NotRunning;
        },
        30000)
        && process.state() == QProcess::Running;
}

void stop(QProcess& process)
{
    process.kill();
    process.waitForFinished(10000);
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void withoutDisplayLeavesWithOneLine_data();
    void withoutDisplayLeavesWithOneLine();
    void damagedSettingsAreKeptAndToldOnce();
};

void StartupTest::withoutDisplayLeavesWithOneLine_data()
{
    QTest::addColumn<QString>("display");
    QTest::newRow("unset") << QString();
    QTest::newRow("dead") << QStringLiteral(":4711");
}

void StartupTest::withoutDisplayLeavesWithOneLine()
{
    QFETCH(QString, display);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(hostProgram(), QStringList());
    QVERIFY(app.waitForFinished(30000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 1);
    QCOMPARE(app.readAllStandardError(), QByteArray("Screen Recorder needs an X11 display: DISPLAY is not set or cannot "
                                                    "be opened (Wayland sessions need XWayland).\n"));
}

void StartupTest::damagedSettingsAreKeptAndToldOnce()
{
    // The history's line cut off in the middle, as a write that did not finish leaves it.
    const QByteArray damaged = "[General]\npid=0\n\n[Path]\nSavefilesHistroy=@Variant(\\0\\0\\0\\b\\0\\0\\0\\x1\\0\\0";
    const QString settings = OvSettings::instance()->fileName();
    QFile file(settings);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(damaged) == damaged.size());
    file.close();

    QProcess first;
    startApp(first);
    QByteArray errors;
    QVERIFY2(runUntilStarted(first, &errors), errors.constData());
    QCOMPARE(errors.count(kNoticeStart), 1);
    const QFileInfo info(settings);
    const QStringList kept = QDir(info.absolutePath()).entryList({info.fileName() + QStringLiteral(".damaged-*")});
    QCOMPARE(kept.size(), 1);
    QVERIFY2(errors.contains(kept.first().toUtf8()), "the notice names the copy");
    QFile copy(info.absolutePath() + QLatin1Char('/') + kept.first());
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), damaged);
    stop(first);

    QProcess second;
    startApp(second);
    errors.clear();
    QVERIFY2(runUntilStarted(second, &errors), errors.constData());
    QVERIFY(!errors.contains(kNoticeStart));
    stop(second);
}

SR_TEST(StartupTest)
#include "tst_startup.moc"
