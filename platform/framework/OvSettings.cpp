#include "OvSettings.h"

#include "Log.h"
#include "OvMessageBox.h"
#include "OvPrivateFiles.h"
#include "OvProductInfo.h"
#include "OvSafeFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextCodec>

#include <cstdio>

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

std::unique_ptr<QSettings> openStore(const QString& path)
{
    // Each write keeps the permissions of the file it replaces: a first file private to the
    // user keeps the settings and history private.
    OvPrivateFiles::createFile(path);
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
    QString why;
    if (!OvPrivateFiles::makeFolder(folder, &why))
        Log("Settings", 2, "the settings folder is not private: %s", qUtf8Printable(why));
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
            OvSafeFile::removeLeftOvers(m_path);
            return;
        }
        m_settings.reset();
    }
    QString why;
    m_keptAs = OvSafeFile::setAside(m_path, &why);
    if (m_keptAs.isEmpty())
        Log("Settings", 2, "cannot set %s aside: %s", qUtf8Printable(m_path), qUtf8Printable(why));
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
    QString why;
    if (OvSafeFile::syncSettings(m_settings, &why))
        return true;
    Log("Settings", 2, "writing %s failed: %s", qUtf8Printable(m_path), qUtf8Printable(why));
    if (!m_writeFailureReported) {
        m_writeFailureReported = true;
        reportWriteFailure(m_path);
    }
    return false;
}

void OvSettings::reportWriteFailure(const QString& path)
{
    const QString product = OvProductInfo::instance()->productName();
    const QString text
        = QObject::tr("Your settings and recording history cannot be saved: the file \"%1\" could not be written. "
                      "Check that its folder can be written and that the disk has free space. Changes made while "
                      "%2 runs are lost when it closes.")
              .arg(QDir::toNativeSeparators(path), product);
    fprintf(stderr, "%s\n", qUtf8Printable(text));
    // Told on the GUI thread, after the write that failed has returned: writes come from any
    // thread and from within any code.
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app) || qEnvironmentVariableIsSet("SR_NONINTERACTIVE"))
        return;
    QMetaObject::invokeMethod(
        app, [product, text] { OvMessageBox::warning(nullptr, product, text); }, Qt::QueuedConnection);
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
    m_writeFailureReported = false;
    load();
}
