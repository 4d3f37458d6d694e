#pragma once
// The application's persistent key/value store: one INI file in the XDG config folder.
// Thread-safe: every access holds one mutex, since workers read and write settings too.
// Lists (QVariantList, QStringList, nested) are given back exactly as written,
// whatever their length and content.

#include <QMutex>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>

class OvSettings {
public:
    static OvSettings* instance();

    // The stored value, or `defaultValue` when the key is absent.
    QVariant applicationParam(const QString& key, const QVariant& defaultValue = QVariant()) const;
    // Stores at once (written through to disk). Returns false when the file could not be written.
    bool setApplicationParam(const QString& key, const QVariant& value);
    void removeApplicationParam(const QString& key);
    bool contains(const QString& key) const;

    QString currentSkin(const QString& defaultSkin) const;
    void setCurrentSkin(const QString& skin);
    int updateMode() const;
    void setUpdateMode(int mode);
    bool appAutoUpdateEnabled() const;
    void setAppAutoUpdateEnabled(bool enabled);

    // Full path of the settings file.
    QString fileName() const;
    // Re-reads the file from disk (tests use it to simulate a restart).
    void reload();

private:
    OvSettings();
    static QVariant encode(const QVariant& value);
    static QVariant decode(const QVariant& stored);

    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    QString m_path;
};
