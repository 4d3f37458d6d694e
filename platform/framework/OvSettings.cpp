#include "OvSettings.h"

#include "Log.h"
#include "OvFileLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTextCodec>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
// The framework's own keys.
const char kSkinKey[] = "Framework/Skin";
const char kUpdateModeKey[] = "Framework/UpdateMode";
const char kAutoUpdateKey[] = "Framework/AutoUpdate";
// Install updates on exit, the mode while nothing is stored.
const int kDefaultUpdateMode = 3;

// QSettings' INI writer turns a one-element list into a plain value and an empty list
// into nothing; wrapping every list in a one-key map keeps it exact through a round trip.
const char* const kListKey = "\x01ovlist";

bool isList(const QVariant& v)
{
    const int t = v.userType();
    return t == QMetaType::QVariantList || t == QMetaType::QStringList;
}

// Why the bytes of the settings file at `path` cannot be read, or an empty string when
// they can (an absent or empty file can). Sets `holdsText` when the file has more than
// white space.
QString rawDamage(const QString& path, bool* holdsText)
{
    *holdsText = false;
    // Another process (a second instance, a helper) replaces the file whole while this one
    // reads: the size is that of the file opened, never of whatever the name holds a moment
    // before, and a file that changed under the read is read again.
    constexpr int kReadAttempts = 3;
    QByteArray data;
    qint64 size = 0;
    for (int attempt = 1; attempt <= kReadAttempts; ++attempt) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return file.exists() ? file.errorString() : QString();
        size = file.size();
        if (size == 0)
            return QString();
        if (size > OvSettings::kMaxFileBytes)
            return QStringLiteral("larger than %1 bytes").arg(OvSettings::kMaxFileBytes);
        data = file.readAll();
        if (data.size() == size)
            break;
    }
    if (data.size() != size)
        return QStringLiteral("read %1 of %2 bytes").arg(data.size()).arg(size);
    if (data.contains('\0'))
        return QStringLiteral("holds NUL bytes");
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars > 0)
        return QStringLiteral("not UTF-8 text");
    if (!data.endsWith('\n'))
        return QStringLiteral("cut off in the middle of a line");
    *holdsText = !data.trimmed().isEmpty();
    return QString();
}

// Renames the file at `path` to a dated name beside it that no earlier copy has; the
// new path, or an empty string when it could not be renamed.
QString setAside(const QString& path)
{
    const QString stamp = QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyyMMdd-hhmmss"));
    const QString base = path + QStringLiteral(".damaged-") + stamp;
    constexpr int kMaxAttempts = 1000;
    for (int n = 1; n <= kMaxAttempts; ++n) {
        const QString target = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        if (QFileInfo::exists(target))
            continue;
        QFile file(path);
        if (file.rename(target)) // never replaces an existing file
            return target;
        if (!QFileInfo::exists(target)) {
            Log("Settings", 2, "cannot rename %s: %s", qUtf8Printable(path), qUtf8Printable(file.errorString()));
            return QString();
        }
    }
    return QString();
}

// True when the file at `path` holds `keys` settings and ends with a line break. The INI
// writer puts every setting on a line of its own, so a file cut short either ends inside
// a line or lacks lines.
bool isWhole(const QString& path, int keys)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys == 0 && !file.exists();
    const QByteArray data = file.readAll();
    if (data.isEmpty())
        return keys == 0;
    if (!data.endsWith('\n'))
        return false;
    int lines = 0;
    for (int from = 0; from < data.size();) {
        const int end = data.indexOf('\n', from);
        const QByteArray line = data.mid(from, end - from);
        if (!line.startsWith('[') && line.contains('='))
            ++lines;
        from = end + 1;
    }
    return lines == keys;
}

// The name under which a write keeps the file before it: one per process, so that a write
// never removes what another process keeps.
QString beforeWriteName(const QString& path, qint64 pid) { return path + QStringLiteral(".before-%1").arg(pid); }

// Removes the files kept by writes of processes that ended in the middle of them.
void removeLeftOverBeforeFiles(const QString& path)
{
    const QFileInfo info(path);
    const QString prefix = info.fileName() + QStringLiteral(".before-");
    for (const QString& name : QDir(info.absolutePath()).entryList({prefix + QLatin1Char('*')}, QDir::Files)) {
        bool ok = false;
        const qint64 pid = name.mid(prefix.size()).toLongLong(&ok);
        if (ok && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(info.absolutePath() + QLatin1Char('/') + name);
    }
}

std::unique_ptr<QSettings> openStore(const QString& path)
{
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    // Written beside and renamed over the file, never in place (the default, made explicit).
    settings->setAtomicSyncRequired(true);
    return settings;
}
} // namespace

OvSettings* OvSettings::instance()
{
    static OvSettings* s_instance = new OvSettings();
    return s_instance;
}

OvSettings::OvSettings()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + QStringLiteral("/ScreenRecorder");
    QDir().mkpath(folder);
    m_path = folder + QStringLiteral("/ScreenRecorder.ini");
    load();
}

void OvSettings::load()
{
    m_settings.reset();
    bool holdsText = false;
    QString damage = rawDamage(m_path, &holdsText);
    if (damage.isEmpty()) {
        m_settings = openStore(m_path);
        if (m_settings->status() != QSettings::NoError)
            damage = QStringLiteral("not in the INI format");
        else if (holdsText && m_settings->allKeys().isEmpty())
            damage = QStringLiteral("holds no setting");
        if (damage.isEmpty()) {
            // The file is sound: the copies that interrupted writes kept are older than it.
            removeLeftOverBeforeFiles(m_path);
            return;
        }
        m_settings.reset();
    }
    m_keptAs = setAside(m_path);
    m_damageReported = false;
    const QString fate = m_keptAs.isEmpty() ? QStringLiteral("left in place") : QStringLiteral("kept as ") + m_keptAs;
    Log("Settings", 2, "settings file %s cannot be read (%s); %s", qUtf8Printable(m_path), qUtf8Printable(damage),
        qUtf8Printable(fate));
    // A file that stayed in place is neither read nor written: the store is empty for this run.
    if (!m_keptAs.isEmpty())
        m_settings = openStore(m_path);
}

bool OvSettings::takeDamageReport(QString* keptAs)
{
    QMutexLocker lock(&m_mutex);
    if (m_damageReported)
        return false;
    m_damageReported = true;
    if (keptAs)
        *keptAs = m_keptAs;
    return true;
}

QVariant OvSettings::encode(const QVariant& value)
{
    if (!isList(value))
        return value;
    QVariantMap wrapped;
    wrapped.insert(QString::fromLatin1(kListKey), value);
    return wrapped;
}

QVariant OvSettings::decode(const QVariant& stored)
{
    if (stored.userType() == QMetaType::QVariantMap) {
        const QVariantMap map = stored.toMap();
        if (map.size() == 1 && map.contains(QString::fromLatin1(kListKey)))
            return map.value(QString::fromLatin1(kListKey));
    }
    return stored;
}

QVariant OvSettings::applicationParam(const QString& key, const QVariant& defaultValue) const
{
    QMutexLocker lock(&m_mutex);
    if (!m_settings || !m_settings->contains(key))
        return defaultValue;
    return decode(m_settings->value(key));
}

bool OvSettings::setApplicationParam(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    if (!m_settings)
        return false;
    m_settings->setValue(key, encode(value));
    return writeThrough();
}

void OvSettings::removeApplicationParam(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    if (!m_settings)
        return;
    m_settings->remove(key);
    writeThrough();
}

bool OvSettings::writeThrough()
{
    // QSettings writes a temporary file beside this one, flushes it and renames it over the
    // file; but Qt 5.15 renames it even when writing it failed part-way (a full disk), and
    // reports no error. So the file before the write stays linked under a second name until
    // the new one is known to be whole, and comes back when it is not. Other processes
    // doing the same wait for the guard, a kernel lock that a writer which died drops.
    const QByteArray file = QFile::encodeName(m_path);
    OvFileLock guard(m_path + QStringLiteral(".write-lock"));
    if (guard.lock()) {
        // No other writer is inside sync(): a lock file of QSettings' own is left by one that
        // died there, and would hold this write up for half a minute.
        ::unlink((file + ".lock").constData());
    }
    const QByteArray before = QFile::encodeName(beforeWriteName(m_path, ::getpid()));
    ::unlink(before.constData());
    const bool existed = QFileInfo::exists(m_path);
    const bool kept = existed && ::link(file.constData(), before.constData()) == 0;
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError && isWhole(m_path, m_settings->allKeys().size())) {
        if (kept)
            ::unlink(before.constData());
        return true;
    }
    if (kept)
        std::rename(before.constData(), file.constData());
    else if (!existed)
        ::unlink(file.constData()); // the first file, written in part
    Log("Settings", 2, "writing %s failed", file.constData());
    // What is in memory follows the file again.
    m_settings = openStore(m_path);
    return false;
}

bool OvSettings::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings && m_settings->contains(key);
}

QString OvSettings::currentSkin(const QString& defaultSkin) const
{
    return applicationParam(QLatin1String(kSkinKey), defaultSkin).toString();
}

void OvSettings::setCurrentSkin(const QString& skin) { setApplicationParam(QLatin1String(kSkinKey), skin); }

int OvSettings::updateMode() const { return applicationParam(QLatin1String(kUpdateModeKey), kDefaultUpdateMode).toInt(); }

void OvSettings::setUpdateMode(int mode) { setApplicationParam(QLatin1String(kUpdateModeKey), mode); }

bool OvSettings::appAutoUpdateEnabled() const
{
    return applicationParam(QLatin1String(kAutoUpdateKey), false).toBool();
}

void OvSettings::setAppAutoUpdateEnabled(bool enabled)
{
    setApplicationParam(QLatin1String(kAutoUpdateKey), enabled);
}

QString OvSettings::fileName() const { return m_path; }

void OvSettings::reload()
{
    QMutexLocker lock(&m_mutex);
    // Every change is written at once, so there is nothing pending to save first.
    load();
}
