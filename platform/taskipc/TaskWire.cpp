#include "TaskWire.h"

#include "OvFileLock.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocale>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace taskwire {

namespace {
constexpr int kDays = 7;
constexpr short kEveryDay = 127;
constexpr mode_t kPrivateMode = 0700;
constexpr mode_t kOthersBits = 077;
constexpr mode_t kPermissionBits = 07777;
// The longest path of a local socket (its address holds a terminating zero too).
constexpr int kMaxSocketPathBytes = int(sizeof(sockaddr_un::sun_path)) - 1;

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

QString privateFolderIn(const QString& parent)
{
    return parent + QStringLiteral("/screenrecorder-") + QString::number(::geteuid());
}

// Why `folder` is not a folder of this user's own that only this user can enter (a symbolic
// link, something else, another owner, or a mode open to others); empty when it is one.
QString notPrivate(const QString& folder)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return QStringLiteral("cannot be read: %1").arg(systemError());
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("is a symbolic link; remove it");
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("is not a folder; remove it");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("belongs to another user (uid %1)").arg(info.st_uid);
    if ((info.st_mode & kOthersBits) != 0)
        return QStringLiteral("is open to other users (mode %1); only its owner may enter it (mode 700)")
            .arg(info.st_mode & kPermissionBits, 0, 8);
    return QString();
}
} // namespace

QString privateSocketFolder(const QString& parent, QString* error)
{
    const QString folder = privateFolderIn(parent);
    const auto refuse = [&](const QString& why) {
        *error = QStringLiteral("The folder %1 for the task service's socket %2.").arg(folder, why);
        return QString();
    };
    if (QDir::isRelativePath(parent))
        return refuse(QStringLiteral("is not a full path"));
    QDir().mkpath(parent);
    if (::mkdir(QFile::encodeName(folder).constData(), kPrivateMode) != 0 && errno != EEXIST)
        return refuse(QStringLiteral("cannot be made: %1").arg(systemError()));
    const QString why = notPrivate(folder);
    return why.isEmpty() ? folder : refuse(why);
}

QString runtimeFolder(QString* passedOver)
{
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty())
        return QString();
    const QString why = QDir::isRelativePath(folder) ? QStringLiteral("is not a full path") : notPrivate(folder);
    if (why.isEmpty())
        return folder;
    if (passedOver)
        *passedOver = QStringLiteral("The runtime folder %1 (XDG_RUNTIME_DIR) is not used: it %2.").arg(folder, why);
    return QString();
}

namespace {
// The socket in `folder`, or empty (with `error`) when its path is too long for a local socket.
QString socketIn(const QString& folder, QString* error)
{
    const QString path = folder + QStringLiteral("/screenrecorder-taskd.sock");
    if (QFile::encodeName(path).size() > kMaxSocketPathBytes) {
        *error = QStringLiteral("The task service's socket %1 would be longer than the %2 bytes the path of a "
                                "local socket may have.").arg(path).arg(kMaxSocketPathBytes);
        return QString();
    }
    return path;
}

// The socket in this user's private folder under `parent`; its length is checked before the
// folder is made.
QString privateSocketIn(const QString& parent, QString* error)
{
    const QString path = socketIn(privateFolderIn(parent), error);
    if (path.isEmpty() || privateSocketFolder(parent, error).isEmpty())
        return QString();
    return path;
}
} // namespace

QString defaultSocketPath(QString* error, QString* passedOver)
{
    const QString fromEnv = qEnvironmentVariable("SR_TASKD_SOCKET");
    if (!fromEnv.isEmpty())
        return fromEnv;
    QString why;
    QString path;
    const QString runtime = runtimeFolder(nullptr);
    if (!runtime.isEmpty()) {
        path = socketIn(runtime, &why);
    } else {
        path = privateSocketIn(QDir::tempPath(), &why);
        if (path.isEmpty()) {
            if (passedOver)
                *passedOver = why;
            QString cacheWhy;
            path = privateSocketIn(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation), &cacheWhy);
            why += QLatin1Char(' ') + cacheWhy;
        }
    }
    if (path.isEmpty() && error)
        *error = why;
    return path;
}

QString defaultTaskFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/ScreenRecorder/tasks.json");
}

QString taskFileLockPath(const QString& taskFile) { return taskFile + QStringLiteral(".lock"); }

QString servingSocket(const QString& taskFile)
{
    OvFileLock lock(taskFileLockPath(taskFile));
    if (lock.tryLock() || !lock.heldElsewhere())
        return QString();
    return QFile::decodeName(lock.readText());
}

QString clientSocketPath(QString* error, QString* passedOver)
{
    const QString serving = qEnvironmentVariableIsEmpty("SR_TASKD_SOCKET") ? servingSocket(defaultTaskFilePath())
                                                                           : QString();
    return serving.isEmpty() ? defaultSocketPath(error, passedOver) : serving;
}

Peer socketPeer(qintptr descriptor)
{
    Peer peer;
    struct ucred credentials {};
    socklen_t length = sizeof(credentials);
    if (descriptor < 0
        || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0
        || length != sizeof(credentials))
        return peer;
    peer.known = true;
    peer.uid = credentials.uid;
    peer.pid = credentials.pid;
    return peer;
}

bool peerIsThisUser(qintptr descriptor, QString* error)
{
    const Peer peer = socketPeer(descriptor);
    if (!peer.known) {
        *error = QStringLiteral("its owner cannot be told: %1").arg(systemError());
        return false;
    }
    if (peer.uid != qint64(::geteuid())) {
        *error = QStringLiteral("it runs as another user (uid %1, process %2)").arg(peer.uid).arg(peer.pid);
        return false;
    }
    return true;
}

QByteArray frame(const QJsonObject& message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

QString weekToText(short week)
{
    QStringList fields;
    for (int day = 0; day < kDays; ++day)
        fields << QString::number((week >> day) & 1);
    return fields.join(QLatin1Char(','));
}

short weekFromText(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (fields.size() < kDays)
        return kEveryDay;
    short week = 0;
    for (int day = 0; day < kDays; ++day)
        if (fields.at(day) == QLatin1String("1"))
            week |= short(1 << day);
    return week;
}

QString dateText(const QDateTime& time)
{
    return QLocale::c().toString(time, QLatin1String(kDateFormat));
}

QDateTime parseDateText(const QString& text)
{
    QDateTime time = QLocale::c().toDateTime(text, QLatin1String(kDateFormat));
    if (time.isValid())
        time.setTimeSpec(Qt::LocalTime);
    return time;
}

void LineReader::append(const QByteArray& bytes) { m_buffer.append(bytes); }

LineReader::Result LineReader::next(QJsonObject* message, QString* error)
{
    const int end = m_buffer.indexOf('\n');
    if (end < 0)
        return m_buffer.size() > kMaxMessageBytes ? Overflow : NeedMore;
    if (end > kMaxMessageBytes) {
        m_buffer.clear();
        return Overflow;
    }
    const QByteArray line = m_buffer.left(end);
    m_buffer.remove(0, end + 1);
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("unreadable message: %1").arg(parseError.errorString());
        return Bad;
    }
    if (!document.isObject()) {
        *error = QStringLiteral("a message must be a JSON object");
        return Bad;
    }
    *message = document.object();
    return Message;
}

} // namespace taskwire
