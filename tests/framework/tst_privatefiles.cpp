// The application's own folders and files under the usual umask (022, the tests'): the
// user's alone.

#include "Log.h"
#include "OvPrivateFiles.h"
#include "OvSettings.h"
#include "TestEnv.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

class PrivateFilesTest : public QObject {
    Q_OBJECT
private slots:
    void foldersAndFilesAreTheUsersAlone()
    {
        const QString base = SrTest::newFolder("private");
        const QString earlier = base + "/earlier"; // made by an earlier run, with the umask
        QVERIFY(QDir().mkpath(earlier));
        QVERIFY(OvPrivateFiles::makeFolder(base + "/new/") && OvPrivateFiles::makeFolder(earlier));
        FILE* log = OpenLogFile(QFile::encodeName(base + "/new/app.log").constData());
        QVERIFY(log);
        fclose(log);
        // A QSettings store's first file, and its next write.
        OvSettings* settings = OvSettings::instance();
        QFile::remove(settings->fileName());
        settings->reload();
        QVERIFY(settings->setApplicationParam("Private/Key", 1) && settings->setApplicationParam("Private/Key", 2));
        QCOMPARE(SrTest::openToOthers({base + "/new", earlier, settings->fileName()}), QString());

        // Another user's folder is never taken for a private one.
        const passwd* nobody = ::getpwnam("nobody");
        if (::geteuid() != 0 || !nobody)
            QSKIP("giving a folder to another user needs root");
        QVERIFY(QDir().mkpath(base + "/theirs") && ::chown(QFile::encodeName(base + "/theirs").constData(), nobody->pw_uid, 0) == 0);
        QVERIFY(!OvPrivateFiles::makeFolder(base + "/theirs"));
        QVERIFY(!SrTest::openToOthers({base + "/theirs"}).isEmpty());
    }
};

SR_TEST(PrivateFilesTest)
#include "tst_privatefiles.moc"
