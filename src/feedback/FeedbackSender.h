#pragma once
// Sends feedback request files with the "Feedback" helper (started through the "Launcher")
// and tells whether they were sent. Each send is a child process; the GUI thread never
// waits for one to end. The helper removes a request the server took; a request that was
// not sent stays in its folder and is sent again with the next one. Sends still running
// when the sender is destroyed (the application quits) are ended and their requests kept.
// GUI thread.

#include <QHash>
#include <QObject>
#include <QProcess>
#include <QStringList>

class FeedbackSender : public QObject {
    Q_OBJECT
public:
    explicit FeedbackSender(QObject* parent = nullptr);
    ~FeedbackSender() override;

    // The application's sender: it lives until the application quits and shows a message
    // (non-modal) when feedback was not sent.
    static FeedbackSender* instance();

    // Sends `request` and every other request file left in its folder that is not being
    // sent already, each by its own run of "<helperFolder>/Launcher <helperFolder>/Feedback
    // <file>". False, with nothing started, when the run for `request` cannot start.
    bool send(const QString& helperFolder, const QString& request);
    bool isSending() const { return !m_sending.isEmpty(); }

signals:
    // When the last running send has ended and some failed since the last report: why,
    // one reason per line.
    void notSent(const QString& reasons);

private:
    void onFinished(QProcess* process, int exitCode, QProcess::ExitStatus status);

    QHash<QProcess*, QString> m_sending; // running send -> its request file
    QStringList m_failures;
};
