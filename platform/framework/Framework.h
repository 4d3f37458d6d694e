#pragma once
// Start-up and exit of the framework services. Called by the entry on the GUI thread.

#include <QString>
#include <functional>

class QWidget;

class Framework {
public:
    using LogHook = std::function<void(const QString& module, int level, const QString& text)>;

    // Records the process arguments. Call once, before any other framework service.
    static void init(int argc, char** argv);
    // Sets what must be set before the QApplication is made: no window draws with OpenGL,
    // so windows are plain raster ones (the GL driver is not loaded when the first window
    // is made, a third of the start-up).
    static void prepareApplication();
    static void uninit();
    static bool isInitialized();
    // True when this launch only opens a URL given on the command line ("--open-url <url>").
    static bool isAppUsedToPopUrl();
    // No forced updates in this build: always false.
    static bool forceUpdatedCheck();
    static void startService();
    static void setLogHook(LogHook hook);
    static void log(const QString& module, int level, const QString& text);
    // Applies the framework style to a widget (the application style sheet already covers
    // widgets; this re-polishes so that qproperty values are in place).
    static void customizeWidgetStyle(QWidget* widget);
    static QStringList arguments();
};
