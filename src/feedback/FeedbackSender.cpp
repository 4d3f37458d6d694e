#include "FeedbackSender.h"

#include "Log.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace {
QPointer<FeedbackSender> g_instance;

// One box at a time: a later failure replaces the text of the box still open.
void showNotSent(const QString& reasons)
{
    static QPointer<OvMessageBox> box;
    if (!box) {
        box = new OvMessageBox(nullptr, false);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setMsgTitle(OvProductInfo::instance()->productName());
        box->setIcon(OvMessageBox::IconWarning);
        box->setButtons(QMessageBox::Ok);
    }
    box->setLabelInfo(FeedbackSender::tr("Your feedback was not sent:\n%1\n\nIt has been kept and will be sent "
                                         "again with your next feedback.")
                          .arg(reasons));
    box->show();
    box->raise();
}
} // namespace

FeedbackSender::FeedbackSender(QObject* parent) : QObject(parent) {}

FeedbackSender::~FeedbackSender()
{
    // The helpers are ended; their requests stay for the next send.
    for (QProcess* process : m_sending.keys()) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished();
        delete process;
    }
}

FeedbackSender* FeedbackSender::instance()
{
    if (!g_instance) {
        QCoreApplication* app = QCoreApplication::instance();
        g_instance = new FeedbackSender(app);
        connect(g_instance, &FeedbackSender::notSent, g_instance, &showNotSent);
        // Ended while the application is still whole, not among its last remains.
        connect(app, &QCoreApplication::aboutToQuit, g_instance, [] { delete g_instance.data(); });
    }
    return g_instance;
}

bool FeedbackSender::send(const QString& helperFolder, const QString& request)
{
    const QFileInfo info(request);
    QStringList requests{info.absoluteFilePath()};
    // What earlier sends left: not taken by the server, or cut off when the application quit.
    const QStringList running = m_sending.values();
    for (const QFileInfo& left :
         info.absoluteDir().entryInfoList({QStringLiteral("*.cnf")}, QDir::Files, QDir::Name)) {
        const QString path = left.absoluteFilePath();
        if (!requests.contains(path) && !running.contains(path))
            requests << path;
    }

    const QString launcher = QDir::toNativeSeparators(helperFolder + QStringLiteral("/Launcher"));
    const QString sender = QDir::toNativeSeparators(helperFolder + QStringLiteral("/Feedback"));
    for (const QString& path : qAsConst(requests)) {
        auto* process = new QProcess(this);
        m_sending.insert(process, path);
        connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
                [this, process](int exitCode, QProcess::ExitStatus status) { onFinished(process, exitCode, status); });
        process->start(launcher, {sender, path});
        const bool started = process->waitForStarted();
        Log("FeedBack", 1, "start sending %s : %d", path.toUtf8().constData(), started ? 1 : 0);
        if (!started) {
            m_sending.remove(process);
            delete process;
            if (path == requests.first())
                return false;
        }
    }
    return true;
}

void FeedbackSender::onFinished(QProcess* process, int exitCode, QProcess::ExitStatus status)
{
    const QString request = m_sending.take(process);
    const QStringList lines
        = QString::fromUtf8(process->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    process->deleteLater();
    if (status != QProcess::NormalExit || exitCode != 0) {
        const QString reason = !lines.isEmpty() ? lines.last().trimmed()
                               : status == QProcess::CrashExit
                                   ? tr("the sending program stopped unexpectedly")
                                   : tr("the sending program ended with code %1").arg(exitCode);
        Log("FeedBack", 2, "not sent %s: %s", request.toUtf8().constData(), reason.toUtf8().constData());
        m_failures << reason;
    }
    if (m_sending.isEmpty() && !m_failures.isEmpty()) {
        m_failures.removeDuplicates();
        const QString reasons = m_failures.join(QLatin1Char('\n'));
        m_failures.clear();
        emit notSent(reasons);
    }
}
