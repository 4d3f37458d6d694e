// The image capture's and the recording canvas's entry points.

#include "ScImageCapture.h"

#include "Log.h"
#include "capture/ImageCapture.h"
#include "capture/RecordCanvas.h"
#include "capture/ScreenSource.h"
#include "capture/SelectionGeometry.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {
const char* const kDefaultTipFormat = "%d x %d";
QString g_tipFormat = QString::fromLatin1(kDefaultTipFormat);
// The origin of the display of the last image capture.
QPoint g_displayOrigin;

QScreen* displayOf(int index)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (index >= 0 && index < screens.size())
        return screens.at(index);
    if (QScreen* underMouse = QGuiApplication::screenAt(QCursor::pos()))
        return underMouse;
    return QGuiApplication::primaryScreen();
}
} // namespace

CBasePtr<CImageCaptureObject> CreateImageCapture(CImageCaptureCallback* callback, int display)
{
    QScreen* screen = displayOf(display);
    if (!callback || !screen)
        return {};
    const QImage picture = capture::ScreenSource::current()->grab(screen);
    if (picture.isNull())
        return {};
    g_displayOrigin = screen->geometry().topLeft();
    Log("Screencast", 1, "image capture of display %s (%dx%d pixels)", qPrintable(screen->name()), picture.width(),
        picture.height());
    return CBasePtr<CImageCaptureObject>(new capture::ImageCapture(callback, screen, picture, g_tipFormat));
}

void SetZoomTipsFormat(const char* format)
{
    g_tipFormat = format && *format ? QString::fromUtf8(format) : QString::fromLatin1(kDefaultTipFormat);
}

CRect ConvertCurrentDisplayRectToScreen(CRect rect)
{
    return CRect(rect.left + g_displayOrigin.x(), rect.top + g_displayOrigin.y(), rect.right + g_displayOrigin.x(),
                 rect.bottom + g_displayOrigin.y());
}

CBasePtr<CRecordCanvasObject> CreateRecordCanvas(CScreenCanvasEvent* event, CRect area)
{
    const QRect rect = QRect(QPoint(int(area.left), int(area.top)), QPoint(int(area.right) - 1, int(area.bottom) - 1));
    if (rect.isEmpty())
        return {};
    return CBasePtr<CRecordCanvasObject>(new capture::RecordCanvas(event, rect));
}
