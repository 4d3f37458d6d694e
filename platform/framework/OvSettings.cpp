#include "OvSettings.h"

#include "Log.h"
#include "OvFileUtils.h"
#include "OvMessageBox.h"
#include "OvPrivateFiles.h"
#include "OvProductInfo.h"
#include "OvSafeFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QThread>

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
// white space, and `read` to the bytes it holds.
QString rawDamage(const QString& path, bool* holdsText, QByteArray* read)
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
    *read = data;
    return QString();
}

// The lines of the INI text `data` that hold a value, by the key QSettings reads them under
// ("Section/key"; keys of [General] bare). Sections and keys that Qt writes escaped are
// left out: the program's own are plain.
QHash<QString, QByteArray> valueLines(const QByteArray& data)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    QHash<QString, QByteArray> lines;
    QString section;
    for (const QByteArray& line : data.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            section = QString::fromLatin1(trimmed.mid(1, trimmed.size() - 2));
            continue;
        }
        const int equals = line.indexOf('=');
        const QString name = QString::fromLatin1(line.left(equals).trimmed());
        if (equals <= 0 || !plain.match(name).hasMatch() || (!section.isEmpty() && !plain.match(section).hasMatch()))
            continue;
        lines.insert(section.isEmpty() || section == QLatin1String("General") ? name : section + QLatin1Char('/') + name,
                     line);
    }
    return lines;
}

// True when the value of the INI line `line` has a type of its own ("@Type(...)", quoted or
// not): Qt reads it from the bytes it wrote, so a change to them changes or cuts the value.
bool isTypedLine(const QByteArray& line)
{
    QByteArray value = line.mid(line.indexOf('=') + 1).trimmed();
    if (value.startsWith('"'))
        value.remove(0, 1);
    return value.startsWith('@');
}

// The value of the INI line `line` of a typed value with a mark put before its '@', so that
// Qt reads it as plain text.
QByteArray markedValue(const QByteArray& line)
{
    QByteArray value = line.mid(line.indexOf('=') + 1);
    const int at = value.indexOf('@');
    return at < 0 ? value : value.insert(at, '~');
}

// When a message box is shown: once the caller has returned (settings are read and written
// from any thread and within any code), or before (at quit, when no event loop runs again).
enum class Shown { Later, Now };

// Tells the user `text`: on standard error, and in a message box on the GUI thread (`Now` only
// when called on it).
void tell(const QString& text, Shown when = Shown::Later)
{
    fprintf(stderr, "%s\n", qUtf8Printable(text));
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app) || qEnvironmentVariableIsSet("SR_NONINTERACTIVE"))
        return;
    const QString product = OvProductInfo::instance()->productName();
    const auto show = [product, text] { OvMessageBox::warning(nullptr, product, text); };
    if (when == Shown::Now && QThread::currentThread() == app->thread())
        show();
    else
        QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
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
    m_unsaved.clear();
    m_unsavedRemoved.clear();
    m_writesRefused = false;
    bool holdsText = false;
    QByteArray data;
    QString damage = rawDamage(m_path, &holdsText, &data);
    if (damage.isEmpty()) {
        m_settings = OvSafeFile::openSettings(m_path);
        if (m_settings->status() != QSettings::NoError)
            damage = QStringLiteral("not in the INI format");
        else if (holdsText && m_settings->allKeys().isEmpty())
            damage = QStringLiteral("holds no setting");
        if (damage.isEmpty()) {
            // The file is sound: the copies that interrupted writes kept are older than it.
            OvSafeFile::removeLeftOvers(m_path);
            keepUnreadableValuesAside(data);
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
        m_settings = OvSafeFile::openSettings(m_path);
}

void OvSettings::keepUnreadableValuesAside(const QByteArray& data)
{
    const QHash<QString, QByteArray> lines = valueLines(data);
    QHash<QString, QByteArray> typed;
    for (auto it = lines.cbegin(); it != lines.cend(); ++it)
        if (isTypedLine(it.value()))
            typed.insert(it.key(), it.value());
    if (typed.isEmpty())
        return;
    // A value read and written back holds the same text as its line: one whose bytes were
    // cut or changed reads as something else (or a part of it), which Qt writes differently.
    // The line's spelling is not compared (a byte has several: "\0", "\x0", "\x00"), only
    // the text it stands for, as Qt unescapes it. The check runs on private copies of the
    // bytes read, so that the store's file is not written.
    QTemporaryDir folder;
    const QString probePath = folder.filePath(QStringLiteral("probe.ini"));
    if (!folder.isValid() || !OvFileUtils::writeNewFile(probePath, data, OvFileUtils::ExistingName::Keep))
        return;
    {
        QSettings probe(probePath, QSettings::IniFormat);
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            probe.setValue(it.key(), probe.value(it.key()));
        probe.sync();
        if (probe.status() != QSettings::NoError)
            return;
    }
    QFile probe(probePath);
    if (!probe.open(QIODevice::ReadOnly))
        return;
    const QHash<QString, QByteArray> written = valueLines(probe.readAll());
    // Both lines of each value side by side as plain text: a mark before the '@' keeps Qt
    // from reading the type, so that it gives the text once unescaped.
    QByteArray pairs = "[Texts]\n";
    const QStringList keys = typed.keys();
    for (int i = 0; i < keys.size(); ++i) {
        pairs += "read" + QByteArray::number(i) + '=' + markedValue(typed.value(keys.at(i))) + '\n';
        pairs += "back" + QByteArray::number(i) + '=' + markedValue(written.value(keys.at(i))) + '\n';
    }
    const QString textsPath = folder.filePath(QStringLiteral("texts.ini"));
    if (!OvFileUtils::writeNewFile(textsPath, pairs, OvFileUtils::ExistingName::Keep))
        return;
    QSettings texts(textsPath, QSettings::IniFormat);
    if (texts.status() != QSettings::NoError)
        return;
    texts.beginGroup(QStringLiteral("Texts"));
    for (int i = 0; i < keys.size(); ++i) {
        const QVariant read = texts.value(QStringLiteral("read%1").arg(i));
        const QVariant back = texts.value(QStringLiteral("back%1").arg(i));
        if (!written.contains(keys.at(i)) || read != back)
            keepLineAside(keys.at(i), typed.value(keys.at(i)), QStringLiteral("it does not read back as written"));
    }
}

QString OvSettings::keepValueAside(const QString& key, const QString& why)
{
    QMutexLocker lock(&m_mutex);
    QFile file(m_path);
    const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return keepLineAside(key, valueLines(data).value(key), why);
}

QString OvSettings::keepLineAside(const QString& key, const QByteArray& line, const QString& why)
{
    m_unsaved.remove(key);
    m_unsavedRemoved.insert(key);
    if (line.isEmpty())
        return QString(); // never written: nothing of the user's to keep
    // The copy is itself a settings file: the line under its section, as it stood.
    const QString section = key.contains(QLatin1Char('/')) ? key.section(QLatin1Char('/'), 0, -2) : QStringLiteral("General");
    QString error;
    const QString keptAs = OvSafeFile::keepAside(m_path, QString(key).replace(QLatin1Char('/'), QLatin1Char('-')),
                                                 '[' + section.toLatin1() + "]\n" + line + '\n', &error);
    const QString product = OvProductInfo::instance()->productName();
    if (keptAs.isEmpty()) {
        m_writesRefused = true;
        m_writeFailureReported = true; // told here
        Log("Settings", 2, "value %s cannot be read (%s) nor kept aside: %s", qUtf8Printable(key), qUtf8Printable(why),
            qUtf8Printable(error));
        tell(QObject::tr("A value in your settings (\"%1\") could not be read, nor kept aside (%2). The settings "
                         "file \"%3\" is left unchanged, and settings and recording history are not saved while %4 "
                         "runs.")
                 .arg(key, error, QDir::toNativeSeparators(m_path), product));
        return QString();
    }
    Log("Settings", 2, "value %s cannot be read (%s); kept as %s", qUtf8Printable(key), qUtf8Printable(why),
        qUtf8Printable(keptAs));
    tell(QObject::tr("A value in your settings (\"%1\") could not be read. It was kept unchanged as \"%2\", and "
                     "%3 goes on without it.")
             .arg(key, QDir::toNativeSeparators(keptAs), product));
    return keptAs;
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
    const auto unsaved = m_unsaved.constFind(key);
    if (unsaved != m_unsaved.cend())
        return decode(*unsaved);
    if (!m_settings || m_unsavedRemoved.contains(key) || !m_settings->contains(key))
        return defaultValue;
    return decode(m_settings->value(key));
}

bool OvSettings::setApplicationParam(const QString& key, const QVariant& value, QString* error)
{
    QMutexLocker lock(&m_mutex);
    if (!m_settings) {
        if (error)
            *error = QStringLiteral("the settings file could not be read and is left unchanged");
        return false;
    }
    m_unsavedRemoved.remove(key);
    m_unsaved.insert(key, encode(value));
    return writeThrough(error);
}

void OvSettings::removeApplicationParam(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    if (!m_settings)
        return;
    m_unsaved.remove(key);
    m_unsavedRemoved.insert(key);
    writeThrough();
}

bool OvSettings::flushPending()
{
    QString why;
    {
        QMutexLocker lock(&m_mutex);
        if (m_unsaved.isEmpty() && m_unsavedRemoved.isEmpty())
            return true;
        // The user was told at load that nothing is saved while this process runs.
        if (!m_settings || m_writesRefused)
            return false;
        if (writeThrough(&why))
            return true;
    }
    const QString product = OvProductInfo::instance()->productName();
    tell(QObject::tr("Your latest changes to the settings and the recording history were not saved: the file "
                     "\"%1\" could not be written (%2). Check that its folder can be written and that the disk "
                     "has free space before you start %3 again.")
             .arg(QDir::toNativeSeparators(m_path), why, product),
         Shown::Now);
    return false;
}

bool OvSettings::writeThrough(QString* error)
{
    QString why;
    bool written = false;
    if (m_writesRefused) {
        why = QStringLiteral("a damaged value in it could not be kept aside");
    } else if (!OvSafeFile::writeTarget(m_path, &why).isEmpty()) {
        // The changes go into the store only now that the file can take them: a store with
        // changes it did not write would write them by itself when it is closed.
        for (auto it = m_unsaved.cbegin(); it != m_unsaved.cend(); ++it)
            m_settings->setValue(it.key(), it.value());
        for (const QString& key : qAsConst(m_unsavedRemoved))
            m_settings->remove(key);
        written = OvSafeFile::syncSettings(m_settings, &why);
    }
    if (written) {
        m_unsaved.clear();
        m_unsavedRemoved.clear();
        m_writeFailureReported = false;
        return true;
    }
    Log("Settings", 2, "writing %s failed: %s", qUtf8Printable(m_path), qUtf8Printable(why));
    if (error) {
        *error = why;
    } else if (!m_writeFailureReported) {
        m_writeFailureReported = true;
        reportWriteFailure(m_path, why);
    }
    return false;
}

void OvSettings::reportWriteFailure(const QString& path, const QString& why)
{
    const QString product = OvProductInfo::instance()->productName();
    tell(QObject::tr("Your settings and recording history cannot be saved: the file \"%1\" could not be written "
                     "(%2). Check that its folder can be written and that the disk has free space. What you change "
                     "is kept while %3 runs and saved with the next change once the file can be written, or when "
                     "%3 quits.")
             .arg(QDir::toNativeSeparators(path), why, product));
}

bool OvSettings::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    if (m_unsaved.contains(key))
        return true;
    return m_settings && !m_unsavedRemoved.contains(key) && m_settings->contains(key);
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
