#pragma once
// Holds a recording's start back until its sound flows: sigOpen comes no sooner than the
// least wait after start(), then as soon as the given test answers true, and at the latest
// after the longest wait whatever it answers. Asks the test on a timer and never blocks.
// GUI thread; cancel() (or deleting the gate) ends a wait without the signal.

#include <QElapsedTimer>
#include <QObject>
#include <functional>

class QTimer;

class RecordStartGate : public QObject {
    Q_OBJECT
public:
    explicit RecordStartGate(QObject* parent = nullptr);

    // Starts a wait of `leastMs` to `mostMs`, ending one under way without its signal.
    // `flowing` is asked from `leastMs` on.
    void start(std::function<bool()> flowing, int leastMs, int mostMs);
    void cancel();
    bool isWaiting() const;

signals:
    void sigOpen();

private:
    void onTimeout();

    QTimer* m_pTimer = nullptr;
    QElapsedTimer m_clock;
    std::function<bool()> m_flowing;
    int m_nLeastMs = 0;
    int m_nMostMs = 0;
};
