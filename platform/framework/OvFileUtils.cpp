#include "OvFileUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

bool OvFileUtils::isFolderPathWritable(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".sr_write_probe_XXXXXX")));
    if (!probe.open())
        return false;
    const bool written = probe.write("x", 1) == 1 && probe.flush();
    probe.close();
    return written;
}

QString OvFileUtils::makeOSLikePath(const QString& path)
{
    QString clean = QDir::cleanPath(path);
    return QDir::toNativeSeparators(clean);
}
