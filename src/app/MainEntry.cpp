#include "MainEntry.h"

#include "Framework.h"
#include "Log.h"
#include "MainWindowBase.h"
#include "OVGA.h"
#include "OvDisplayProbe.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"
#include "OvResourceMgr.h"
#include "OvSettings.h"
#include "ScEngine.h"
#include "SingleInstance.h"
#include "core/SettingsKeys.h"
#include "services/Utils.h"
#include "tasks/TaskManage.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QUrl>

#include <cstdio>

namespace {
void messageHandler(QtMsgType, const QMessageLogContext&, const QString& message)
{
    if (MainEntry::isFilteredMessage(message))
        return;
    fprintf(stdout, "%s\n", qUtf8Printable(message));
    fflush(stdout);
}

void openProductUrl(const char* key)
{
    const QString url = OvProductInfo::instance()->extendParam(QString::fromLatin1(key));
    if (!url.isEmpty())
        QDesktopServices::openUrl(QUrl(url));
}

constexpr int kExitNoDisplay = 1;

// True when Qt will load its X11 (xcb) plug-in: "-platform <name>" among the arguments,
// else QT_QPA_PLATFORM (of a ';' list the first entry), else the default, xcb. Sets
// `display` to the argument of "-display" when given.
bool usesX11(int argc, char** argv, QByteArray* display)
{
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-platform" || arg == "--platform")
            platform = argv[i + 1];
        else if (arg == "-display" || arg == "--display")
            *display = argv[i + 1];
    }
    const QByteArray name = platform.split(';').constFirst().split(':').constFirst().trimmed();
    return name.isEmpty() || name == "xcb";
}

// Loads the settings; tells once that their file could not be read, and where it was kept.
void reportDamagedSettings()
{
    QString keptAs;
    if (!OvSettings::instance()->takeDamageReport(&keptAs))
        return;
    const QString product = OvProductInfo::instance()->productName();
    const QString text = keptAs.isEmpty()
        ? QObject::tr("The settings file \"%1\" could not be read, nor set aside. It is left unchanged, and "
                      "settings and recording history are not saved while %2 runs.")
              .arg(OvSettings::instance()->fileName(), product)
        : QObject::tr("The settings file could not be read. It was kept unchanged as \"%1\", and %2 starts "
                      "with default settings and an empty recording history.")
              .arg(keptAs, product);
    fprintf(stderr, "%s\n", qUtf8Printable(text));
    if (qEnvironmentVariableIsSet("SR_NONINTERACTIVE"))
        return;
    OvMessageBox::warning(nullptr, product, text);
}

// Tells that another instance runs: on standard error, and in a message box unless
// SR_NONINTERACTIVE is set.
void reportRunning(qint64 pid)
{
    const QString product = OvProductInfo::instance()->productName();
    const QString text = QObject::tr("%1 is running").arg(product);
    fprintf(stderr, "%s (process %lld)\n", qUtf8Printable(text), pid);
    Log("MAIN", 2, "another instance runs: %lld", pid);
    if (qEnvironmentVariableIsSet("SR_NONINTERACTIVE"))
        return;
    OvMessageBox::information(nullptr, product, text);
}
} // namespace

bool MainEntry::isFilteredMessage(const QString& message)
{
    return message.contains(QLatin1String("libpng warning:")) || message.contains(QLatin1String("Unknown property columns"));
}

void MainEntry::installMessageHandler() { qInstallMessageHandler(messageHandler); }

void MainEntry::setupLogs()
{
    const QString appLog = Utils::getAppLogPath();
    SetLogfile(QFile::encodeName(appLog).constData());
    SetLogLevel(1);
    const QString engineLog = Utils::getAppDataLocation() + QStringLiteral("/screencast.log");
    scSetLogFile(QFile::encodeName(engineLog).constData());
    OvSettings::instance()->setApplicationParam(QLatin1String(SettingsKeys::kAppLog), appLog);
    OvSettings::instance()->setApplicationParam(QLatin1String(SettingsKeys::kEngineLog), engineLog);
}

MainWindowBase* MainEntry::createMainWindow()
{
    OvResourceMgr::instance()->setSkin(OvSettings::instance()->currentSkin(OvProductInfo::instance()->defaultSkin()));
    auto* window = new MainWindowBase();
    Framework::startService();
    window->show();
    OVGA::instance()->sendEvent(QStringLiteral("main_window_show"));
    openProductUrl("previewPostUrl");
    QApplication::setQuitOnLastWindowClosed(false);
    return window;
}

void MainEntry::destroyMainWindow(MainWindowBase* window) { delete window; }

extern "C" int main_entry(int argc, char** argv)
{
    // Qt's X11 plug-in aborts the process with its own advice when no display answers.
    QByteArray display;
    if (usesX11(argc, argv, &display) && !OvDisplayProbe::canConnect(display)) {
        fprintf(stderr, "Screen Recorder needs an X11 display: DISPLAY is not set or cannot be opened "
                        "(Wayland sessions need XWayland).\n");
        return kExitNoDisplay;
    }

    Framework::init(argc, argv);
    Framework::prepareApplication();
    QApplication app(argc, argv);
    QApplication::setApplicationName(OvProductInfo::instance()->productName());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/sr/icons/app.svg")));
    if (Framework::isAppUsedToPopUrl()) {
        Framework::uninit();
        return 0;
    }

    // The settings file is read (and checked) before the first write, the instance's "pid".
    reportDamagedSettings();
    // Held until the process ends: the lock marks this instance as the running one.
    SingleInstance instance(OvProductInfo::instance()->productNativeName());
    if (instance.acquire() == SingleInstance::AlreadyRunning) {
        reportRunning(instance.runningPid());
        Framework::uninit();
        return 0;
    }

    Framework::setLogHook([](const QString& module, int level, const QString& text) {
        Log(qUtf8Printable(module), level, "%s", qUtf8Printable(text));
    });
    OvResourceMgr::instance()->setLanguage(QStringLiteral("en"));
    if (Framework::forceUpdatedCheck()) {
        Framework::uninit();
        return 0;
    }

    const QString family = OvProductInfo::instance()->extendParam(QStringLiteral("fontFamily"));
    QFont font = QApplication::font();
    font.setFamily(family.isEmpty() ? QStringLiteral("Tahoma") : family);
    QApplication::setFont(font);
    MainEntry::installMessageHandler();
    MainEntry::setupLogs();
    Log("MAIN", 2, "start %s %s, pid %lld", qUtf8Printable(OvProductInfo::instance()->productName()),
        qUtf8Printable(OvProductInfo::instance()->productVersion()), QCoreApplication::applicationPid());

    TaskManage::instance()->connectXPCServerLater();
    OVGA::instance()->start();

    MainWindowBase* window = MainEntry::createMainWindow();
    const int code = app.exec();

    openProductUrl("previewPostUrlEx");
    MainEntry::destroyMainWindow(window);
    OVGA::instance()->stop();
    // The last writes of settings are done: what a full disk refused is written now, or the
    // user is told before the process ends.
    OvSettings::instance()->flushPending();
    Framework::uninit();
    Log("MAIN", 2, "exit %d", code);
    return code;
}
