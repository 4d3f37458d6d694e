#include "TaskWire.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocale>
#include <QStringList>

namespace taskwire {

namespace {
constexpr int kDays = 7;
constexpr short kEveryDay = 127;
}

QString defaultSocketPath()
{
    const QString fromEnv = qEnvironmentVariable("SR_TASKD_SOCKET");
    if (!fromEnv.isEmpty())
        return fromEnv;
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/screenrecorder-taskd.sock");
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
