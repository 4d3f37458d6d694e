#include "watermark/AtomicFileWriter.h"

#include "Log.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

QString AtomicFileWriter::writeBeside(const QByteArray& bytes, const QString& target)
{
    if (target.isEmpty())
        return QString();
    const QFileInfo info(target);
    QString pattern = info.absolutePath() + QStringLiteral("/.") + info.completeBaseName() + QStringLiteral(".XXXXXX");
    if (!info.suffix().isEmpty())
        pattern += QLatin1Char('.') + info.suffix();
    QTemporaryFile file(pattern);
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    const QString path = file.fileName();
    bool ok = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    // A full disk can cut a buffered write short without any error being reported: the
    // size on disk is the proof that everything arrived.
    ok = ok && file.error() == QFileDevice::NoError && QFileInfo(path).size() == bytes.size();
    if (!ok) {
        QFile::remove(path);
        return QString();
    }
    return path;
}

bool AtomicFileWriter::replace(const QString& temp, const QString& target, const char* module)
{
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    const int error = errno;
    QFile::remove(temp);
    Log(module, 2, "cannot write [%s]: %s", target.toUtf8().constData(), strerror(error));
    return false;
}

bool AtomicFileWriter::write(const QByteArray& bytes, const QString& target, const char* module)
{
    const QString temp = writeBeside(bytes, target);
    if (temp.isEmpty()) {
        Log(module, 2, "cannot write [%s]: the new content could not be written in full", target.toUtf8().constData());
        return false;
    }
    return replace(temp, target, module);
}
