#include "SnapshotFile.h"

#include "ScImageCapture.h"
#include "core/HistoryFileUtils.h"
#include "core/RecordTypes.h"
#include "core/SignalsTransfer.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QImageReader>
#include <QLocale>
#include <QRegularExpression>

#include <cerrno>

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

// The file `writerName` makes of `image`; empty when it cannot be encoded.
QByteArray encoded(const QImage& image, const QByteArray& writerName)
{
    QByteArray bytes;
    if (image.isNull() || writerName.isEmpty())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, writerName);
    if (!writer.write(storable(image, writerName)))
        bytes.clear();
    return bytes;
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

bool SnapshotFile::exportTo(const QString& source, const QString& target, OvFileUtils::ExistingName existing,
                            int* failure)
{
    const auto fail = [failure](int code) {
        if (failure)
            *failure = code;
        return false;
    };
    const QString suffix = QFileInfo(target).suffix();
    const bool namesFormat = suffixEntry(suffix) != nullptr;
    const QByteArray writerName = writerForSuffix(suffix);
    QImageReader reader(source);
    const QByteArray sourceFormat = reader.format();
    const bool sameFormat = !namesFormat || sourceFormat == writerName
                            || (writerName.isEmpty() && sourceFormat == QByteArray("gif"));
    if (!sameFormat && writerName.isEmpty())
        return fail(EINVAL); // a format that cannot be written from another one
    QByteArray bytes;
    if (sameFormat) {
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return fail(EIO);
        bytes = in.readAll();
        if (bytes.size() != in.size())
            return fail(EIO);
    } else {
        bytes = encoded(reader.read(), writerName);
        if (bytes.isEmpty())
            return fail(EINVAL);
    }
    if (OvFileUtils::writeNewFile(target, bytes, existing))
        return true;
    return fail(errno);
}

bool SnapshotFile::write(const QImage& image, const QString& path, const QByteArray& writerName)
{
    const QByteArray bytes = encoded(image, writerName);
    return !bytes.isEmpty() && OvFileUtils::writeNewFile(path, bytes, OvFileUtils::ExistingName::Keep);
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
