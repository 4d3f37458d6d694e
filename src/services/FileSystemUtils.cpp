#include "FileSystemUtils.h"

#include <QFileInfo>

bool FileSystemUtils::exists(const QString& path) { return QFileInfo::exists(path); }

QString FileSystemUtils::freeFilePath(const QString& folder, const QString& baseName, const QString& suffix)
{
    const QString tail = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    QString candidate = folder + QLatin1Char('/') + baseName + tail;
    for (int n = 1; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = folder + QLatin1Char('/') + baseName + QStringLiteral("(%1)").arg(n) + tail;
    return candidate;
}
