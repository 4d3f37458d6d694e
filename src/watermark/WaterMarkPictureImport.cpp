#include "WaterMarkPictureImport.h"

#include "Log.h"
#include "OvFileDialog.h"
#include "OvMessageBox.h"
#include "OvPrivateFiles.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "core/SettingsKeys.h"
#include "watermark/WaterMarkDataManage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QStandardPaths>

namespace {
// Pictures are stored at most as large as a full HD frame.
const int kMaxImportWidth = 1920;
const int kMaxImportHeight = 1080;

QString tr(const char* text) { return QCoreApplication::translate("DlgWatermarkManage", text); }
} // namespace

QString WaterMarkPictureImport::supportedFilter()
{
    // Qt splits the patterns of a filter at spaces only.
    return tr("Supported Files (*.bmp *.jpg *.jpeg *.png *.gif *.tif *.tiff *.webp *.svg)");
}

QString WaterMarkPictureImport::lastSelectionKey() { return QLatin1String(SettingsKeys::kWatermarkLastSelection); }

QSize WaterMarkPictureImport::scaledImportSize(const QSize& size)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    if (size.isEmpty() || pixels <= qint64(kMaxImportWidth) * kMaxImportHeight)
        return size;
    if (double(kMaxImportHeight) / size.height() > double(kMaxImportWidth) / size.width())
        return QSize(kMaxImportWidth, int(qint64(size.height()) * kMaxImportWidth / size.width()));
    return QSize(int(qint64(size.width()) * kMaxImportHeight / size.height()), kMaxImportHeight);
}

QString WaterMarkPictureImport::importPicture(const QString& file)
{
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isEmpty()) // (-1, -1) when the file is no picture at all
        return QString();
    WaterMarkDataManage* store = WaterMarkDataManage::instance();
    QString suffix = QFileInfo(file).suffix().toLower();
    const QSize stored = scaledImportSize(size);
    if (stored == size) {
        const QString target = store->getWaterMarkPngSavePath(false, QStringLiteral("WaterMark"), suffix);
        if (!target.isEmpty() && QFile::copy(file, target) && OvPrivateFiles::restrictFile(target))
            return target;
        Log("WaterMarkPictureImport", 1, "copy of %s failed", qUtf8Printable(file));
        return QString();
    }
    if (!QImageWriter::supportedImageFormats().contains(suffix.toLatin1()))
        suffix = QStringLiteral("png");
    reader.setScaledSize(stored);
    const QImage image = reader.read();
    const QString target = store->getWaterMarkPngSavePath(false, QStringLiteral("WaterMark"), suffix);
    if (!image.isNull() && !target.isEmpty() && image.save(target, suffix.toLatin1().constData())
        && OvPrivateFiles::restrictFile(target))
        return target;
    Log("WaterMarkPictureImport", 1, "scaled copy of %s failed: %s", qUtf8Printable(file),
        qUtf8Printable(reader.errorString()));
    QFile::remove(target);
    return QString();
}

bool WaterMarkPictureImport::onSaveLineEditFile(QWidget* parent, const QString& currentPath, QString* newPath)
{
    OvSettings* settings = OvSettings::instance();
    const QString start
        = settings
              ->applicationParam(lastSelectionKey(), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
              .toString();
    const QString file = OvFileDialog::getOpenFileName(parent, tr("Select File(s)"), start, supportedFilter());
    if (file.isEmpty() || file == currentPath || !QFileInfo::exists(file))
        return false;
    if (QImageReader(file).size().isEmpty()) {
        OvMessageBox box(parent, true);
        box.setMsgTitle(OvProductInfo::instance()->productName());
        box.setLabelInfo(tr("Failed to load the picture. Please check whether the picture is standard."));
        box.setIcon(OvMessageBox::IconWarning);
        box.exec();
        return false;
    }
    const QString copy = importPicture(file);
    // Without a copy the record uses the picture where it lies; the store never deletes
    // a file outside its own folder.
    *newPath = copy.isEmpty() ? file : copy;
    settings->setApplicationParam(lastSelectionKey(), file);
    return true;
}
