#include "OvSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// QSettings' INI writer turns a one-element list into a plain value and an empty list
// into nothing; wrapping every list in a one-key map keeps it exact through a round trip.
const char* const kListKey = "\x01ovlist";

bool isList(const QVariant& v)
{
    const int t = v.userType();
    return t == QMetaType::QVariantList || t == QMetaType::QStringList;
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
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
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
    if (!m_settings->contains(key))
        return defaultValue;
    return decode(m_settings->value(key));
}

bool OvSettings::setApplicationParam(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    m_settings->setValue(key, encode(value));
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

void OvSettings::removeApplicationParam(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    m_settings->remove(key);
    m_settings->sync();
}

bool OvSettings::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->contains(key);
}

QString OvSettings::currentSkin(const QString& defaultSkin) const
{
    return applicationParam(QStringLiteral("Framework/Skin"), defaultSkin).toString();
}

void OvSettings::setCurrentSkin(const QString& skin) { setApplicationParam(QStringLiteral("Framework/Skin"), skin); }

int OvSettings::updateMode() const { return applicationParam(QStringLiteral("Framework/UpdateMode"), 3).toInt(); }

void OvSettings::setUpdateMode(int mode) { setApplicationParam(QStringLiteral("Framework/UpdateMode"), mode); }

bool OvSettings::appAutoUpdateEnabled() const
{
    return applicationParam(QStringLiteral("Framework/AutoUpdate"), false).toBool();
}

void OvSettings::setAppAutoUpdateEnabled(bool enabled)
{
    setApplicationParam(QStringLiteral("Framework/AutoUpdate"), enabled);
}

QString OvSettings::fileName() const { return m_path; }

void OvSettings::reload()
{
    QMutexLocker lock(&m_mutex);
    m_settings->sync();
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
}
