#include "watermark/WaterMarkDataManage.h"

#include "Log.h"
#include "OvPrivateFiles.h"
#include "OvProductInfo.h"
#include "OvResourceMgr.h"
#include "OvSafeFile.h"
#include "OvSettings.h"
#include "core/SettingsKeys.h"
#include "services/Utils.h"
#include "watermark/ApplyWMEditThread.h"
#include "watermark/ProgressDialog.h"
#include "watermark/WaterMarkHandOver.h"
#include "watermark/WaterMarkJson.h"
#include "watermark/WaterMarkRenderer.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QWidget>

namespace {
const QString kIndexKey = QLatin1String(SettingsKeys::kWatermarkIndex);
const QString kListFile = QStringLiteral("WaterMark.json");
// How often the hand-over renders a watermark that keeps changing before it gives up.
const int kRenderAttempts = 3;

QString watermarkFolder() { return Utils::getAppDataLocation() + QStringLiteral("/WaterMark/"); }
} // namespace

WaterMarkDataManage* WaterMarkDataManage::s_instance = nullptr;

WaterMarkDataManage* WaterMarkDataManage::instance()
{
    if (!s_instance)
        new WaterMarkDataManage();
    return s_instance;
}

WaterMarkDataManage::WaterMarkDataManage()
{
    // Registered before anything else: every record made while loading asks the store for
    // the default picture.
    s_instance = this;
    reload();
}

void WaterMarkDataManage::reload()
{
    m_lstWaterMarkData.clear();
    m_bListDamaged = false;
    m_bListLocked = false;
    m_nCurIndex = OvSettings::instance()->applicationParam(kIndexKey, -1).toInt();
    if (!loadWaterMarkDataFile())
        onLoadDefultWaterMarkData();
    if (m_nCurIndex < -1 || m_nCurIndex >= m_lstWaterMarkData.size()) {
        m_nCurIndex = -1;
        // The stored selection belongs to the user's list: kept while that list is damaged.
        if (!m_bListDamaged)
            OvSettings::instance()->setApplicationParam(kIndexKey, -1);
    }
}

// ---- the list and its file ----------------------------------------------------------------

bool WaterMarkDataManage::loadWaterMarkDataFile()
{
    const QString path = getWaterMarkDataSavePath(false);
    if (!QFileInfo::exists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Log("WaterMarkDataManage", 1, "loadWaterMarkDataFile open file[%s] error!", path.toUtf8().constData());
        keepDamagedList(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    const bool read = file.error() == QFileDevice::NoError;
    file.close();
    QList<WaterMarkData> records;
    if (!read || !WaterMarkJson::fromDocument(bytes, records)) {
        Log("WaterMarkDataManage", 1, "parseJson file[%s] error!", path.toUtf8().constData());
        keepDamagedList(path, read ? QStringLiteral("not a watermark list") : file.errorString());
        return false;
    }
    m_lstWaterMarkData.append(records);
    return true;
}

void WaterMarkDataManage::keepDamagedList(const QString& path, const QString& damage)
{
    m_bListDamaged = true;
    QString why;
    const QString keptAs = OvSafeFile::setAside(path, &why);
    // A list that stays in place is never written over while this process runs.
    m_bListLocked = keptAs.isEmpty();
    const QString fate = keptAs.isEmpty() ? QStringLiteral("left in place: ") + why : QStringLiteral("kept as ") + keptAs;
    Log("WaterMarkDataManage", 2, "watermark list %s cannot be read (%s); %s", path.toUtf8().constData(),
        damage.toUtf8().constData(), fate.toUtf8().constData());
    const QString text = keptAs.isEmpty()
        ? tr("Your watermark list \"%1\" could not be read, nor set aside. It is left unchanged, and changes to "
             "the watermarks are not saved until it is moved away.")
              .arg(QDir::toNativeSeparators(path))
        : tr("Your watermark list could not be read. It was kept unchanged as \"%1\", and the default "
             "watermarks are shown instead.")
              .arg(QDir::toNativeSeparators(keptAs));
    // Told once the store is made: it may be made in the middle of any code.
    QMetaObject::invokeMethod(
        this, [text] { Utils::showMacWindowMessage(MT_WARNING, nullptr, text, MB_OK); }, Qt::QueuedConnection);
}

void WaterMarkDataManage::onLoadDefultWaterMarkData()
{
    WaterMarkData picture;
    picture.m_strWaterMarkName = QObject::tr("Default Picture Watermark");
    m_lstWaterMarkData.append(picture);
    WaterMarkData text;
    text.m_strWaterMarkName = QObject::tr("Default Text Watermark");
    text.m_bPic = false;
    m_lstWaterMarkData.append(text);
}

bool WaterMarkDataManage::saveWaterMarkDataFile()
{
    if (m_lstWaterMarkData.isEmpty())
        return true;
    const QString path = getWaterMarkDataSavePath(true);
    if (path.isEmpty())
        return false;
    if (m_bListLocked) {
        Log("WaterMarkDataManage", 2, "saveWaterMarkDataFile file[%s] error! the unreadable list stays",
            path.toUtf8().constData());
        return false;
    }
    // Written beside the old list and renamed over it (through a link, which stays): a
    // failed write leaves the old list as it was.
    QString why;
    if (!OvSafeFile::write(path, WaterMarkJson::toDocument(m_lstWaterMarkData), &why)) {
        Log("WaterMarkDataManage", 2, "saveWaterMarkDataFile file[%s] error! %s", path.toUtf8().constData(),
            why.toUtf8().constData());
        return false;
    }
    return true;
}

// ---- paths ----------------------------------------------------------------------------------

QString WaterMarkDataManage::getWaterMarkDataSavePath(bool create)
{
    const QString folder = watermarkFolder();
    if (create && !Utils::ensurePrivate(folder)) {
        Log("makeWaterMark", 1, "getWaterMarkDataSavePath file not find");
        return QString();
    }
    return folder + kListFile;
}

QString WaterMarkDataManage::getWaterMarkPngSavePath(bool fixedName, const QString& base, const QString& suffix)
{
    const QString folder = watermarkFolder();
    if (!Utils::ensurePrivate(folder)) {
        Log("makeWaterMark", 1, "getWaterMarkPngSavePath file not find");
        return QString();
    }
    QString path = folder + base + QLatin1Char('.') + suffix;
    if (fixedName)
        return path;
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = folder + base + QString::number(n) + QLatin1Char('.') + suffix;
    return path;
}

bool WaterMarkDataManage::removeWaterMarkPngPath(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return false;
    // Only pictures the store keeps in its own folder: never a file of the user's elsewhere
    // (a symbolic link is judged by where it leads), nor the store's own bookkeeping files.
    const QString folder = QFileInfo(watermarkFolder()).canonicalFilePath();
    const QFileInfo target(info.canonicalFilePath());
    if (folder.isEmpty() || target.absolutePath() != folder)
        return false;
    static const QStringList kKept = {kListFile, QStringLiteral("WaterMark.png"), QStringLiteral("CurWaterMarkImg.png"),
                                      QStringLiteral("CurWaterMarkImg.key")};
    if (kKept.contains(target.fileName()) || info.fileName() != target.fileName())
        return false;
    return QFile::remove(info.absoluteFilePath());
}

QString WaterMarkDataManage::resourcePicturePath()
{
    return OvResourceMgr::instance()->resourcesPath() + QStringLiteral("/watermark/watermark.png");
}

QString WaterMarkDataManage::defaultPicturePath()
{
    const QString copy = getWaterMarkPngSavePath(true, QStringLiteral("WaterMark"), QStringLiteral("png"));
    if (!copy.isEmpty()
        && (QFileInfo::exists(copy) || (QFile::copy(resourcePicturePath(), copy) && OvPrivateFiles::restrictFile(copy))))
        return copy;
    return resourcePicturePath();
}

QString WaterMarkDataManage::getWatermarkName(int index) const
{
    if (index >= 0 && index < m_lstWaterMarkData.size())
        return m_lstWaterMarkData.at(index).m_strWaterMarkName;
    return tr("No Watermark");
}

void WaterMarkDataManage::setPosShowDlg(QWidget* popup, QWidget* anchor, QRect rect)
{
    if (!popup || !anchor || rect.right() < rect.left() || rect.bottom() < rect.top())
        return;
    QRect geometry = popup->geometry();
    const QRect screen = Utils::screenGeometry();
    const QPoint p = anchor->mapToGlobal(rect.bottomLeft());
    const bool fitsBelow = p.y() + geometry.height() <= screen.height();
    const bool fitsRight = p.x() + geometry.width() <= screen.width();
    if (fitsBelow && fitsRight) {
        geometry.moveTopLeft(p);
    } else if (fitsBelow) {
        const QPoint q = anchor->mapToGlobal(rect.bottomRight());
        geometry.moveTopRight(QPoint(q.x(), q.y()));
    } else if (fitsRight) {
        geometry.moveBottomLeft(anchor->mapToGlobal(rect.topLeft()));
    } else {
        geometry.moveBottomRight(anchor->mapToGlobal(rect.topRight()));
    }
    popup->setGeometry(geometry);
}

// ---- rendering and hand-over -----------------------------------------------------------------

bool WaterMarkDataManage::useWaterMark(const QSize& frameSize, QString* why)
{
    QRect rect;
    const QString path = makeWaterMark(frameSize, rect, why);
    if (!path.isEmpty()) {
        const QByteArray local = QFile::encodeName(path);
        WaterMarkHandOver::setWatermark(local.constData(), rect.x(), rect.y(), rect.width(), rect.height());
        return true;
    }
    WaterMarkHandOver::setWatermark(nullptr, 0, 0, 0, 0);
    return false;
}

WaterMarkData WaterMarkDataManage::selectedRecord() const
{
    if (m_nCurIndex >= 0 && m_nCurIndex < m_lstWaterMarkData.size())
        return m_lstWaterMarkData.at(m_nCurIndex);
    return WaterMarkData();
}

QString WaterMarkDataManage::makeWaterMark(const QSize& frameSize, QRect& rect, QString* why)
{
    if (m_nCurIndex == -1) {
        Log("makeWaterMark", 1, "No Watermark");
        return QString();
    }
    WaterMarkData record = selectedRecord();
    const auto refuse = [why, &record](const QString& reason) {
        Log("makeWaterMark", 2, "watermark \"%s\" left out: %s", record.m_strWaterMarkName.toUtf8().constData(),
            reason.toUtf8().constData());
        if (why)
            *why = reason;
        return QString();
    };
    // What the picture is made from cannot be decoded (the cache of a picture without
    // effects is the picture file itself).
    const auto unreadable = [&record] {
        return record.m_bPic ? tr("its picture \"%1\" cannot be read: it is damaged, cut short or not a picture.")
                                   .arg(QDir::toNativeSeparators(record.m_strWaterMarkPath))
                             : tr("its text cannot be drawn into a picture.");
    };
    const QString path = WaterMarkCache::imagePath();
    if (path.isEmpty())
        return refuse(tr("the folder \"%1\" for its picture cannot be made.")
                          .arg(QDir::toNativeSeparators(watermarkFolder())));
    // The cached picture is used only when it was made from the selected record as it is
    // now; otherwise it is rendered again. A render can be overtaken by a newer one started
    // while this one waits (the selection may change meanwhile), so this is retried.
    for (int attempt = 0; !WaterMarkCache::isCurrent(record); ++attempt, record = selectedRecord()) {
        if (attempt == kRenderAttempts)
            return refuse(tr("it kept changing while it was being prepared."));
        if (record.m_bPic && !QFileInfo::exists(record.m_strWaterMarkPath)) {
            Log("makeWaterMark", 1, "WaterMarkPath not exists %s", record.m_strWaterMarkPath.toUtf8().constData());
            return refuse(tr("its picture \"%1\" does not exist.").arg(QDir::toNativeSeparators(record.m_strWaterMarkPath)));
        }
        const QSizeF size = renderedSize(record);
        if (size.isValid() && !WaterMarkRenderer::fitsPixelLimit(size))
            return refuse(oversized(size));
        if (!record.m_bPic) {
            generateTextMarkFile(&record);
            Log("makeWaterMark", 1, "generateTextMarkFile Font:%d", record.m_font.pointSize());
        }
        bool saved = false;
        QString writeError;
        onApplyImgEditParamThread(&record, true, nullptr, &saved, &writeError);
        if (!writeError.isEmpty())
            return refuse(tr("its picture cannot be written to \"%1\": %2")
                              .arg(QDir::toNativeSeparators(path), writeError));
        if (!saved || !QFileInfo::exists(path))
            return refuse(unreadable());
    }

    // A picture made before the limit was kept is not decoded here either.
    const QSize cached = QImageReader(path).size();
    if (cached.isValid() && !WaterMarkRenderer::fitsPixelLimit(cached))
        return refuse(oversized(cached));
    QImage image;
    if (!image.load(path))
        return refuse(unreadable());
    Log("makeWaterMark", 1, "imgItem (width:%d, heigh:%d)", image.width(), image.height());
    const QRect frame = WaterMarkRenderer::recordingFrame(frameSize);
    Log("makeWaterMark", 1, "rcRecoder (width:%d, heigh:%d)", frameSize.width(), frameSize.height());
    rect = WaterMarkRenderer::placement(frame, image.size(), record);
    Log("makeWaterMark", 1, "rcWatermark (%d,%d)-(%d x %d)", rect.x(), rect.y(), rect.width(), rect.height());
    return path;
}

QSizeF WaterMarkDataManage::renderedSize(const WaterMarkData& record)
{
    const QSizeF source = record.m_bPic ? QSizeF(QImageReader(record.m_strWaterMarkPath).size())
                                        : QSizeF(WaterMarkRenderer::textSize(record.m_strWatermarkText, record.m_font));
    return source.isValid() ? WaterMarkRenderer::effectsSize(source, record.m_shadow) : QSizeF();
}

QString WaterMarkDataManage::oversized(const QSizeF& size)
{
    return tr("it is too large to draw: it would be %1 × %2 pixels, more than a %3 × %4 frame holds. Choose a "
              "smaller font size or picture for it.")
        .arg(qRound64(size.width()))
        .arg(qRound64(size.height()))
        .arg(WaterMarkRenderer::kFrameWidthCap)
        .arg(WaterMarkRenderer::kFrameHeightCap);
}

QRect WaterMarkDataManage::onCalculationRect(const QRect& frame, QSize imageSize, WaterMarkData* record)
{
    return record ? WaterMarkRenderer::placement(frame, imageSize, *record) : QRect();
}

void WaterMarkDataManage::generateTextMarkFile(WaterMarkData* record)
{
    if (!record)
        return;
    const QImage image
        = WaterMarkRenderer::renderText(record->m_strWatermarkText, record->m_font, record->m_clrTextWatermark);
    const QString path = getTextMarkFilePath(QStringLiteral("textmarkfile"));
    const bool ok = !image.isNull() && !path.isEmpty() && image.save(path, "PNG") && OvPrivateFiles::restrictFile(path);
    record->m_strWaterMarkPath = ok ? path : QString();
}

QString WaterMarkDataManage::textPictureFolder()
{
    // Per user (inside the data folder, readable by the owner only), never a guessable
    // folder in the shared temporary directory.
    const QString parent = Utils::getAppDataLocation() + QStringLiteral("/SR");
    const QString folder = parent + QLatin1Char('/') + OvProductInfo::instance()->GUID();
    return Utils::ensurePrivate(parent) && Utils::ensurePrivate(folder) ? folder : QString();
}

QString WaterMarkDataManage::getTextMarkFilePath(const QString& name)
{
    const QString folder = textPictureFolder();
    if (folder.isEmpty())
        return QString();
    QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    for (int n = 1; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n) {
        QFile::remove(path);
        if (n % 3 == 0)
            path = folder + QLatin1Char('/') + name + QString::number(n) + QStringLiteral(".png");
    }
    return path;
}

QImage WaterMarkDataManage::applyEffectToImage(const QImage& image, QGraphicsEffect* effect, int extendX, int extendY)
{
    return WaterMarkRenderer::applyEffectToImage(image, effect, extendX, extendY);
}

QImage WaterMarkDataManage::onApplyOpacityImg(QImage& image, double opacity)
{
    return WaterMarkRenderer::onApplyOpacityImg(image, opacity);
}

bool WaterMarkDataManage::saveCurWaterMarkEditImg(int index)
{
    WaterMarkData record
        = (index >= 0 && index < m_lstWaterMarkData.size()) ? m_lstWaterMarkData.at(index) : WaterMarkData();
    if (record.m_bPic && !QFileInfo::exists(record.m_strWaterMarkPath))
        return false;
    const QSizeF size = renderedSize(record);
    if (size.isValid() && !WaterMarkRenderer::fitsPixelLimit(size)) {
        Log("makeWaterMark", 2, "watermark %d too large to render: %.0f x %.0f", index, size.width(), size.height());
        return false;
    }
    if (!record.m_bPic)
        generateTextMarkFile(&record);
    bool saved = false;
    onApplyImgEditParamThread(&record, true, nullptr, &saved);
    return saved;
}

void WaterMarkDataManage::onApplyImgEditParam(WaterMarkData* record)
{
    const double opacity = record ? record->m_nOpacity / 100.0 : 1.0;
    if (!record || WaterMarkRenderer::isWithoutEffect(record->m_shadow, opacity))
        return;
    QImage image = WaterMarkRenderer::loadPicture(record->m_strWaterMarkPath);
    if (image.isNull())
        return;
    image = WaterMarkRenderer::applyEffects(image, record->m_shadow, opacity);
    QString target;
    if (record->m_bPic) {
        target = getTextMarkFilePath(QStringLiteral("textmarkfile"));
    } else {
        target = record->m_strWaterMarkPath;
        const QString name = QStringLiteral("textmarkfile");
        target.replace(target.indexOf(name), name.size(), QStringLiteral("textmarkfile_temp"));
    }
    const QString temp = WaterMarkCache::writeBeside(image, target);
    if (!temp.isEmpty() && WaterMarkCache::replace(temp, target))
        record->m_strWaterMarkPath = target;
}

// ---- requests to the rendering worker ---------------------------------------------------------

void WaterMarkDataManage::runWorker(ApplyWMEditThread* worker, QWidget* parent, int loadType)
{
    if (!parent) {
        QEventLoop loop;
        connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
        worker->start();
        loop.exec();
    } else {
        ProgressDialog dialog(parent);
        dialog.setLoadType(loadType);
        dialog.setWindowModality(Qt::WindowModal);
        dialog.show();
        connect(worker, &QThread::finished, &dialog, &QDialog::accept);
        worker->start();
        dialog.exec();
    }
    // The results are read only once the thread has really ended.
    worker->wait();
}

QImage WaterMarkDataManage::onApplyImgEditParamThread(WaterMarkData* record, bool save, QWidget* parent, bool* saved,
                                                      QString* writeError)
{
    if (saved)
        *saved = true;
    if (!record)
        return QImage();
    const double opacity = record->m_nOpacity / 100.0;
    const QByteArray key = save ? WaterMarkCache::renderKey(*record) : QByteArray();
    if (WaterMarkRenderer::isWithoutEffect(record->m_shadow, opacity)) {
        if (save) {
            // Nothing to apply: the cache is the picture file itself, byte for byte.
            const int ticket = m_cache.begin();
            const QString temp
                = WaterMarkCache::copyBeside(record->m_strWaterMarkPath, WaterMarkCache::imagePath(), writeError);
            const bool ok = m_cache.commit(ticket, temp, key, writeError) != WaterMarkCache::Failed;
            if (saved)
                *saved = ok;
        }
        return QImage();
    }

    auto* worker = new ApplyWMEditThread(this);
    worker->onSetParam(record->m_strWaterMarkPath, &record->m_shadow, opacity, save);
    int ticket = 0;
    if (save) {
        worker->onSetSaveImgEditedPath(WaterMarkCache::imagePath());
        ticket = m_cache.begin();
    }
    runWorker(worker, parent, ProgressDialog::LoadPictures);
    const QImage image = *worker->getImgEdited();
    if (save) {
        if (writeError)
            *writeError = worker->getWriteError();
        const bool ok = m_cache.commit(ticket, worker->getTempImgPath(), key, writeError) != WaterMarkCache::Failed;
        if (saved)
            *saved = ok;
    }
    worker->deleteLater();
    return image;
}

QString WaterMarkDataManage::onApplyImgEditParamThread(WaterMarkData* record, QString savePath)
{
    if (!record)
        return QString();
    const double opacity = record->m_nOpacity / 100.0;
    if (WaterMarkRenderer::isWithoutEffect(record->m_shadow, opacity))
        return QString();
    const bool toCache = savePath.isEmpty();
    const QString target = toCache ? WaterMarkCache::imagePath() : savePath;
    const QByteArray key = toCache ? WaterMarkCache::renderKey(*record) : QByteArray();
    auto* worker = new ApplyWMEditThread(this);
    worker->onSetParam(record->m_strWaterMarkPath, &record->m_shadow, opacity, true);
    worker->onSetSaveImgEditedPath(target);
    const int ticket = toCache ? m_cache.begin() : 0;
    runWorker(worker, nullptr, ProgressDialog::LoadPictures);
    const QString temp = worker->getTempImgPath();
    worker->deleteLater();
    bool ok = false;
    if (toCache)
        ok = m_cache.commit(ticket, temp, key) == WaterMarkCache::Written;
    else
        ok = !temp.isEmpty() && WaterMarkCache::replace(temp, target);
    return ok ? target : QString();
}

bool WaterMarkDataManage::onSaveImgEditedThread(QImage* image, QWidget* parent)
{
    if (!parent || !image)
        return false;
    auto* worker = new ApplyWMEditThread(this);
    worker->onSetSaveImgEdited(image);
    worker->onSetSaveImgEditedPath(WaterMarkCache::imagePath());
    const int ticket = m_cache.begin();
    runWorker(worker, parent, ProgressDialog::SaveWatermark);
    // Made from an image, not a record: no fingerprint, so the next recording renders the
    // selected record again rather than trusting this picture.
    const bool ok = m_cache.commit(ticket, worker->getTempImgPath(), QByteArray()) != WaterMarkCache::Failed;
    worker->deleteLater();
    return ok;
}
