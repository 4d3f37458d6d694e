#include "PowerBackend.h"

#include "Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>

namespace {
constexpr char kDryRunPrefix[] = "dry-run:";
} // namespace

bool PowerBackend::configure(const QString& option)
{
    if (option == QLatin1String("logind")) {
        m_dryRunFile.clear();
        return true;
    }
    const QLatin1String prefix(kDryRunPrefix);
    if (!option.startsWith(prefix) || option.size() == prefix.size())
        return false;
    m_dryRunFile = option.mid(prefix.size());
    return true;
}

void PowerBackend::perform(Action action, QObject* context, const Done& done)
{
    const char* word = action == Shutdown ? "shutdown" : "sleep";
    if (!m_dryRunFile.isEmpty()) {
        QFile file(m_dryRunFile);
        const bool written = file.open(QIODevice::Append | QIODevice::Text) && file.write(word) > 0
                             && file.write("\n") > 0 && file.flush();
        Log("TaskDaemon", 2, "%s written to %s", word, qUtf8Printable(m_dryRunFile));
        done(written ? QString() : QStringLiteral("cannot write %1: %2").arg(m_dryRunFile, file.errorString()));
        return;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        done(QStringLiteral("no system bus: %1").arg(bus.lastError().message()));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                       "org.freedesktop.login1.Manager",
                                                       action == Shutdown ? "PowerOff" : "Suspend");
    call << false; // not interactive: no authentication prompt
    Log("TaskDaemon", 2, "asking logind to %s", word);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, done] {
        watcher->deleteLater();
        const QDBusPendingReply<> reply = *watcher;
        done(reply.isError() ? reply.error().message() : QString());
    });
}
