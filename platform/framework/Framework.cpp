#include "Framework.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QStringList>
#include <QStyle>
#include <QUrl>
#include <QWidget>

namespace {
struct State {
    bool initialized = false;
    QStringList arguments;
    Framework::LogHook hook;
};
State& state()
{
    static State s;
    return s;
}
} // namespace

void Framework::init(int argc, char** argv)
{
    State& s = state();
    s.arguments.clear();
    for (int i = 0; i < argc; ++i)
        s.arguments << QString::fromLocal8Bit(argv[i]);
    s.initialized = true;
}

void Framework::prepareApplication() { QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets); }

void Framework::uninit()
{
    state().initialized = false;
    state().hook = nullptr;
}

bool Framework::isInitialized() { return state().initialized; }

bool Framework::isAppUsedToPopUrl()
{
    const QStringList& args = state().arguments;
    const int at = args.indexOf(QStringLiteral("--open-url"));
    if (at < 0 || at + 1 >= args.size())
        return false;
    QDesktopServices::openUrl(QUrl(args.at(at + 1)));
    return true;
}

bool Framework::forceUpdatedCheck() { return false; }

void Framework::startService() {}

void Framework::setLogHook(LogHook hook) { state().hook = std::move(hook); }

void Framework::log(const QString& module, int level, const QString& text)
{
    if (state().hook)
        state().hook(module, level, text);
}

void Framework::customizeWidgetStyle(QWidget* widget)
{
    if (!widget)
        return;
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->ensurePolished();
}

QStringList Framework::arguments() { return state().arguments; }
