#pragma once
// Shuts the machine down or suspends it: through logind on the system bus, or, for tests,
// by appending "shutdown" or "sleep" to a file. Used on the daemon's thread; the answer
// comes back through the callback once logind has taken (or refused) the request.

#include <QString>
#include <functional>

class QObject;

class PowerBackend {
public:
    enum Action { Shutdown, Sleep };
    // Empty error text: handed over.
    using Done = std::function<void(const QString& error)>;

    // "logind" or "dry-run:FILE"; false when the text is neither.
    bool configure(const QString& option);
    // `done` runs later, unless `context` is gone by then.
    void perform(Action action, QObject* context, const Done& done);

private:
    QString m_dryRunFile; // empty: logind
};
