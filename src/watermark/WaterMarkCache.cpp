#include "watermark/WaterMarkCache.h"

#include "Log.h"
#include "OvSafeFile.h"
#include "watermark/WaterMarkData.h"
#include "watermark/WaterMarkDataManage.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>


QString WaterMarkCache::imagePath()
{
    return WaterMarkDataManage::instance()->getWaterMarkPngSavePath(true, QStringLiteral("CurWaterMarkImg"),
                                                                     QStringLiteral("png"));
}

QString WaterMarkCache::keyPath()
{
    const QString image = imagePath();
    if (image.isEmpty())
        return QString();
    return QFileInfo(image).absolutePath() + QStringLiteral("/CurWaterMarkImg.key");
}

QByteArray WaterMarkCache::renderKey(const WaterMarkData& r)
{
    QStringList parts;
    parts << QString::number(r.m_nOpacity) << QString::number(r.m_shadow.m_bShadow)
          << r.m_shadow.m_clrShadow.name(QColor::HexArgb) << QString::number(r.m_shadow.m_OffsetX)
          << QString::number(r.m_shadow.m_OffsetY) << QString::number(r.m_shadow.m_Blur);
    if (r.m_bPic) {
        const QFileInfo source(r.m_strWaterMarkPath);
        parts << QStringLiteral("picture") << source.absoluteFilePath() << QString::number(source.exists())
              << QString::number(source.size())
              << QString::number(source.exists() ? source.lastModified().toMSecsSinceEpoch() : 0);
    } else {
        parts << QStringLiteral("text") << r.m_strWatermarkText << r.m_font.toString()
              << (r.m_clrTextWatermark.isValid() ? r.m_clrTextWatermark.name(QColor::HexArgb) : QStringLiteral("-"));
    }
    return QCryptographicHash::hash(parts.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha1).toHex();
}

bool WaterMarkCache::isCurrent(const WaterMarkData& record)
{
    const QString image = imagePath();
    if (image.isEmpty() || !QFileInfo(image).isFile())
        return false;
    QFile key(keyPath());
    if (!key.open(QIODevice::ReadOnly))
        return false;
    return key.readAll().trimmed() == renderKey(record);
}

QString WaterMarkCache::writeBeside(const QImage& image, const QString& target, QString* error)
{
    if (image.isNull() || target.isEmpty())
        return QString();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = QFileInfo(target).suffix().toLatin1();
    if (!image.save(&buffer, format.isEmpty() ? "PNG" : format.constData())) {
        if (error)
            *error = QStringLiteral("the picture cannot be encoded as %1").arg(QString::fromLatin1(format));
        return QString();
    }
    return OvSafeFile::writeBeside(target, bytes, error);
}

QString WaterMarkCache::copyBeside(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return QString();
    return OvSafeFile::writeBeside(target, bytes, error);
}

bool WaterMarkCache::replace(const QString& temp, const QString& target, QString* error)
{
    QString why;
    if (OvSafeFile::replace(temp, target, &why))
        return true;
    Log("makeWaterMark", 2, "cannot write [%s]: %s", target.toUtf8().constData(), why.toUtf8().constData());
    if (error)
        *error = why;
    return false;
}

int WaterMarkCache::begin() { return ++m_nLatest; }

WaterMarkCache::Result WaterMarkCache::commit(int ticket, const QString& temp, const QByteArray& key, QString* error)
{
    if (!isLatest(ticket)) {
        if (!temp.isEmpty())
            QFile::remove(temp);
        return Superseded;
    }
    const QString image = imagePath();
    const QString keyFile = keyPath();
    // The old fingerprint goes first: whatever fails below, the cache is never taken
    // for a rendering it does not hold.
    if (!keyFile.isEmpty())
        QFile::remove(keyFile);
    if (temp.isEmpty() || image.isEmpty()) {
        Log("makeWaterMark", 2, "rendering the watermark picture failed");
        return Failed;
    }
    if (!replace(temp, image, error))
        return Failed;
    if (!key.isEmpty())
        OvSafeFile::write(keyFile, key);
    return Written;
}
