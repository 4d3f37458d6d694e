#include "CameraPhoto.h"

#include "DlgPaintToScreen.h"
#include "Log.h"
#include "SnapshotFile.h"
#include "core/CameraManager.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"

#include <QImage>
#include <QLocale>
#include <QPropertyAnimation>
#include <QRect>
#include <QWidget>

namespace {
const int kFlyOutMs = 250;
} // namespace

QString CameraPhoto::freePath(const QString& folder, const QString& prefix, const QDateTime& time)
{
    const QString stamp = QLocale::c().toString(time, QStringLiteral("yy-MM-dd_hh-mm-ss"));
    return FileSystemUtils::freeFilePath(folder, prefix + stamp, QStringLiteral("jpg"));
}

QString CameraPhoto::take(const QString& prefix, QWidget* parent, const QRect& from)
{
    const QString folder = Utils::getSnapshotPath();
    Utils::ensureExists(folder);
    const QString path = freePath(folder, prefix, QDateTime::currentDateTime());
    if (!CameraManager::instance()->capture(path)) {
        Log("camera", 2, "photo not taken");
        return QString();
    }
    SnapshotFile::addPhotoToHistory(path);

    // The photo shrinks from the window into the corner of the screen, where it goes.
    auto* fly = new DlgPaintToScreen(parent);
    fly->setShowClose(false);
    fly->setImg(QImage(path).scaled(from.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    fly->setGeometry(from);
    fly->show();
    auto* animation = new QPropertyAnimation(fly, "geometry", fly);
    animation->setDuration(kFlyOutMs);
    animation->setStartValue(from);
    animation->setEndValue(QRect(from.bottomRight(), QSize(1, 1)));
    QObject::connect(animation, &QPropertyAnimation::finished, fly, &QObject::deleteLater);
    animation->start();
    return path;
}
