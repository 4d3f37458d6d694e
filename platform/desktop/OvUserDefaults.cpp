#include "OvUserDefaults.h"

#include "Log.h"
#include "OvPrivateFiles.h"
#include "OvSafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
QString defaultFileName()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + QStringLiteral("/ScreenRecorder");
    return folder + QStringLiteral("/UserDefaults.ini");
}
} // namespace

OvUserDefaults* OvUserDefaults::instance()
{
    static OvUserDefaults* store = new OvUserDefaults();
    return store;
}

OvUserDefaults::OvUserDefaults() { setFileName(defaultFileName()); }

OvUserDefaults::~OvUserDefaults() = default;

QString OvUserDefaults::fileName() const { return m_settings->fileName(); }

void OvUserDefaults::setFileName(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    OvPrivateFiles::createFile(path); // its writes keep its permissions
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    // Written beside and renamed over the file, never in place (the default, made explicit).
    m_settings->setAtomicSyncRequired(true);
}

QVariant OvUserDefaults::value(const QString& key) const
{
    m_settings->beginGroup(key);
    const QStringList entries = m_settings->childKeys();
    QVariantMap map;
    for (const QString& entry : entries)
        map.insert(entry, m_settings->value(entry));
    m_settings->endGroup();
    if (!map.isEmpty())
        return map;
    if (m_settings->contains(key))
        return QStringLiteral("");
    return QVariant();
}

bool OvUserDefaults::setValue(const QString& key, const QVariant& value)
{
    m_settings->remove(key); // the plain value and the group alike
    if (value.type() == QVariant::Map) {
        const QVariantMap map = value.toMap();
        m_settings->beginGroup(key);
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            m_settings->setValue(it.key(), it.value().toLongLong());
        m_settings->endGroup();
    } else {
        m_settings->setValue(key, QStringLiteral(""));
    }
    const bool written = synchronize();
    emit changed();
    return written;
}

bool OvUserDefaults::synchronize()
{
    // QSettings reports no error for a file a full disk cut short: the write is checked.
    QString why;
    if (OvSafeFile::syncSettings(m_settings, &why))
        return true;
    Log("desktop", 2, "user defaults: %s could not be written: %s", qPrintable(m_settings->fileName()), qPrintable(why));
    return false;
}
