#include "SnapshotFile.h"

#include "ScImageCapture.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordTypes.h"
#include "core/SignalsTransfer.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QImageReader>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

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

namespace {
// The picture in the form `writerName` stores: JPEG and BMP carry no transparency.
QImage storable(const QImage& image, const QByteArray& writerName)
{
    const bool opaque = writerName == "jpeg" || writerName == "bmp";
    return opaque ? image.convertToFormat(QImage::Format_RGB32) : image;
}

// Suffixes of image formats, with the writer of each; GIF has none here.
struct SuffixWriter {
    const char* suffix;
    const char* writer;
};
const SuffixWriter kSuffixWriters[] = {{"png", "png"}, {"jpg", "jpeg"}, {"jpeg", "jpeg"}, {"bmp", "bmp"},
                                       {"tif", "tiff"}, {"tiff", "tiff"}, {"gif", ""}};

// The entry of `suffix`; null for a suffix that names no image format.
const SuffixWriter* suffixEntry(const QString& suffix)
{
    for (const SuffixWriter& entry : kSuffixWriters)
        if (suffix.compare(QLatin1String(entry.suffix), Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}
} // namespace

QByteArray SnapshotFile::writerForSuffix(const QString& suffix)
{
    const SuffixWriter* entry = suffixEntry(suffix);
    return entry ? QByteArray(entry->writer) : QByteArray();
}

bool SnapshotFile::exportTo(const QString& source, const QString& target)
{
    const QString suffix = QFileInfo(target).suffix();
    const bool namesFormat = suffixEntry(suffix) != nullptr;
    const QByteArray writerName = writerForSuffix(suffix);
    QImageReader reader(source);
    const QByteArray sourceFormat = reader.format();
    const bool sameFormat = !namesFormat || sourceFormat == writerName
                            || (writerName.isEmpty() && sourceFormat == QByteArray("gif"));
    if (!sameFormat && writerName.isEmpty())
        return false; // a format that cannot be written from another one
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool written = false;
    if (sameFormat) {
        QFile in(source);
        written = in.open(QIODevice::ReadOnly) && file.write(in.readAll()) == in.size();
    } else {
        const QImage image = reader.read();
        QImageWriter writer(&file, writerName);
        written = !image.isNull() && writer.write(storable(image, writerName));
    }
    if (!written) {
        file.cancelWriting(); // the file beside is removed, the target left as it was
        return false;
    }
    return file.commit();
}

bool SnapshotFile::write(const QImage& image, const QString& path, const QByteArray& writerName)
{
    QFile file(path);
    if (image.isNull() || writerName.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QImageWriter writer(&file, writerName);
    const bool written = writer.write(storable(image, writerName)) && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}

void SnapshotFile::addToHistory(const QString& path) { addEntry(path, Utils::sizeText(QFileInfo(path).size())); }

void SnapshotFile::addPhotoToHistory(const QString& path)
{
    addEntry(path, Utils::wholeSizeText(QFileInfo(path).size()));
}

void SnapshotFile::addEntry(const QString& path, const QString& sizeText)
{
    const QSize size = QImageReader(path).size();
    SignalsTransfer::instance()->addHistoryFile(path, HFT_IMAGE, QStringLiteral("%1*%2").arg(size.width()).arg(size.height()),
                                                QString(), sizeText);
}
