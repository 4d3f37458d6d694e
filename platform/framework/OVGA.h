#pragma once
// Usage statistics: this build collects and sends nothing.

#include <QString>

class OVGA {
public:
    static OVGA* instance();
    void start() {}
    void stop() {}
    void sendEvent(const QString&, const QString& = QString(), const QString& = QString()) {}
};
