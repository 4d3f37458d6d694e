#include "SnapshotFile.h"

#include "ScImageCapture.h"
#include "core/RecordTypes.h"
#include "core/SignalsTransfer.h"
#include "output/HistoryFileUtils.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QImageReader>
#include <QLocale>
#include <QRegularExpression>

SnapshotFile::Format SnapshotFile::formatFor(int imageFormat)
{
    switch (imageFormat) {
    case RP_FMT_JPEG: return {QStringLiteral(".jpg"), QStringLiteral("JPEG (*.jpg *.jpeg)"), ICF_JPEG, "jpeg"};
    case RP_FMT_BMP: return {QStringLiteral(".bmp"), QStringLiteral("BMP (*.bmp)"), ICF_BMP, "bmp"};
    case RP_FMT_GIF: return {QStringLiteral(".gif"), QStringLiteral("GIF (*.gif)"), ICF_GIF, QByteArray()};
    case RP_FMT_TIFF: return {QStringLiteral(".tiff"), QStringLiteral("TIFF (*.tiff)"), ICF_TIFF, "tiff"};
    case RP_FMT_JPG: return {QStringLiteral(".jpg"), QStringLiteral("JPEG (*.jpg *.jpeg)"), ICF_JPEG2, "jpeg"};
    default: return {QStringLiteral(".png"), QStringLiteral("PNG (*.png)"), ICF_PNG, "png"};
    }
}

QString SnapshotFile::baseName(const QDateTime& time)
{
    return QStringLiteral("Snapshot_") + QLocale::c().toString(time, QStringLiteral("yy-MM-dd_hh-mm-ss"));
}

QString SnapshotFile::freePath(const QString& folder, const QDateTime& time, const QString& suffix)
{
    QString path = FileSystemUtils::freeFilePath(folder, baseName(time), suffix.mid(1));
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString SnapshotFile::plainBaseName(const QString& path)
{
    static const QRegularExpression counter(QStringLiteral("\\(\\d+\\)$"));
    return QFileInfo(path).completeBaseName().remove(counter);
}

bool SnapshotFile::write(const QImage& image, const QString& path, const QByteArray& writerName)
{
    QFile file(path);
    if (image.isNull() || writerName.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool opaque = writerName == "jpeg" || writerName == "bmp";
    QImageWriter writer(&file, writerName);
    const bool written = writer.write(opaque ? image.convertToFormat(QImage::Format_RGB32) : image) && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}

void SnapshotFile::addToHistory(const QString& path)
{
    const QSize size = QImageReader(path).size();
    SignalsTransfer::instance()->addHistoryFile(path, HFT_IMAGE, QStringLiteral("%1*%2").arg(size.width()).arg(size.height()),
                                                QString(), Utils::sizeText(QFileInfo(path).size()));
}
