#pragma once
// The user-defaults store: a second settings file beside the application's, for the values
// the shortcut rows keep. A value is either a map of integers, written as the key's group of
// entries (a shortcut's "KeyCode" and "ModifierFlags"), or the explicit empty value (a key
// that is present and holds nothing). GUI thread only. changed() follows every write at
// once, before the write returns; a write that does not reach the disk whole answers false,
// the file keeps what it held and the store reads it again (the value written is gone); a
// file that is a loop of links is not written.

#include <QObject>
#include <QVariant>
#include <memory>

class QSettings;

class OvUserDefaults : public QObject {
    Q_OBJECT
public:
    static OvUserDefaults* instance();

    // The stored value: a QVariantMap for a group of integers, an empty QString for the
    // explicit empty value, an invalid QVariant when the key is missing.
    QVariant value(const QString& key) const;
    // Stores a QVariantMap (integer entries) or, for anything else, the explicit empty value,
    // writes the file and then emits changed(). False when the file could not be written.
    bool setValue(const QString& key, const QVariant& value);
    // Writes pending changes; false when the file could not be written.
    bool synchronize();

    QString fileName() const;
    // Uses the file `path` from now on (tests point the store into their own folder).
    void setFileName(const QString& path);

signals:
    // A value was written (any key).
    void changed();

private:
    OvUserDefaults();
    ~OvUserDefaults() override;
    // Puts `value` (as setValue() takes it; an invalid one leaves the key out) in the store.
    void put(const QString& key, const QVariant& value);

    std::unique_ptr<QSettings> m_settings;
};
