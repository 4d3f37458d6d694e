// Screenshot figures on the display named by DISPLAY (1920x1080 under scripts/with-services.sh):
// the time from a screenshot request to its overlay on the screen (straight from the
// screenshot dialog, and from the main window's button, which first steps aside), and the
// time from Save to the whole display's PNG on disk; beside it, as the anchor, ImageMagick's
// "import -window root" writing the same display to a PNG, measured in the same run.
// Runs in a temporary HOME so that no user setting or file is touched.
// Usage: bench_snapshot [rounds]

#include "ScEngine.h"
#include "app/MainEntry.h"
#include "app/MainWindow.h"
#include "app/MainWindowBase.h"
#include "capture_tools/DlgSnapshot.h"
#include "core/RecordParameter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

namespace {
const int kWaitMs = 20000;
const int kSettleMs = 100;

void printFigures(const char* what, std::vector<double> ms)
{
    if (ms.empty()) {
        printf("%-40s no figures\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    printf("%-40s median %8.2f ms   min %8.2f ms   max %8.2f ms   mean %8.2f ms\n", what, ms[ms.size() / 2],
           ms.front(), ms.back(), sum / ms.size());
}

bool spinUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kWaitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

// The capture's overlay once the X server shows it.
bool overlayShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (QByteArray(w->metaObject()->className()) == "capture::SelectionOverlay" && w->isVisible()
            && w->windowHandle() && w->windowHandle()->isExposed())
            return true;
    return false;
}

QWidget* overlay()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (QByteArray(w->metaObject()->className()) == "capture::SelectionOverlay" && w->isVisible())
            return w;
    return nullptr;
}

// A first selection dragged out on the overlay, as a user does.
void selectSomething(QWidget* on)
{
    const QPoint from(100, 100), to(400, 300);
    for (auto [type, pos, button, held] :
         {std::tuple<QEvent::Type, QPoint, Qt::MouseButton, Qt::MouseButtons>{QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton},
          {QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton},
          {QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton}}) {
        QMouseEvent event(type, pos, on->mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(on, &event);
    }
}

// Waits until the overlay has left the screen: the X server has been told, not only Qt.
void waitOverlayGone()
{
    spinUntil([] { return !overlay(); });
    QElapsedTimer settle;
    settle.start();
    spinUntil([&settle] { return settle.elapsed() > kSettleMs; });
}

QAbstractButton* button(QWidget* parent, const char* name)
{
    return parent->findChild<QAbstractButton*>(QString::fromLatin1(name));
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        fprintf(stderr, "bench_snapshot needs an X display: run it through scripts/with-services.sh\n");
        return 2;
    }
    QTemporaryDir home;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(var, QFile::encodeName(home.path() + QLatin1Char('/') + QString::fromLatin1(var)));
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const QSize display = QGuiApplication::primaryScreen()->size();
    printf("display %dx%d, %d rounds\n", display.width(), display.height(), rounds);
    if (scInitialize() != 0) {
        fprintf(stderr, "the engine cannot start\n");
        return 1;
    }
    RecordParameter::instance()->setUsedImgFmt(RP_FMT_PNG);

    // Something on the screen, as a desktop has: gradients, lines of text, a photo-like noise.
    QImage picture(display, QImage::Format_RGB32);
    {
        QPainter painter(&picture);
        QLinearGradient gradient(0, 0, display.width(), display.height());
        gradient.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
        gradient.setColorAt(1, QColor(0xf5, 0xf6, 0xf8));
        painter.fillRect(picture.rect(), gradient);
        painter.setPen(Qt::white);
        for (int y = 40; y < display.height() / 2; y += 22)
            painter.drawText(40, y, QStringLiteral("Line %1 of a document shown while the screenshot is taken").arg(y));
        QImage noise(display.width() / 3, display.height() / 3, QImage::Format_RGB32);
        QRandomGenerator generator(7);
        generator.fillRange(reinterpret_cast<quint32*>(noise.bits()), noise.sizeInBytes() / int(sizeof(quint32)));
        painter.drawImage(display.width() / 2, display.height() / 2, noise);
    }
    QLabel scenery;
    scenery.setWindowFlags(Qt::FramelessWindowHint);
    scenery.setPixmap(QPixmap::fromImage(picture));
    scenery.setGeometry(QRect(QPoint(0, 0), display));
    scenery.show();
    spinUntil([&scenery] { return scenery.windowHandle() && scenery.windowHandle()->isExposed(); });

    std::vector<double> requestToOverlay, buttonToOverlay, saveToDisk, importToDisk;
    qint64 ourBytes = 0, importBytes = 0;
    for (int i = 0; i < rounds; ++i) {
        // Request to overlay, and Save of the whole display.
        DlgSnapshot dlg(nullptr, false);
        QString saved;
        QObject::connect(&dlg, &DlgSnapshot::pictureSave, [&saved](const QString& path) { saved = path; });
        QElapsedTimer t;
        t.start();
        if (!dlg.createImageCapture() || !spinUntil(overlayShown)) {
            fprintf(stderr, "the overlay did not show\n");
            return 1;
        }
        requestToOverlay.push_back(t.nsecsElapsed() / 1e6);
        selectSomething(overlay());
        button(&dlg, "btnFull")->click();
        if (!spinUntil([&dlg, display] { return dlg.isVisible() && dlg.selection().size() == display; })) {
            fprintf(stderr, "the whole display was not selected\n");
            return 1;
        }
        t.restart();
        button(&dlg, "btnSaveToDisc")->click();
        if (saved.isEmpty() || !QFileInfo::exists(saved)) {
            fprintf(stderr, "the screenshot was not saved\n");
            return 1;
        }
        saveToDisk.push_back(t.nsecsElapsed() / 1e6);
        ourBytes = QFileInfo(saved).size();
        QFile::remove(saved);
        waitOverlayGone();

        // The anchor: ImageMagick writes the same display.
        const QString anchor = home.path() + QStringLiteral("/import.png");
        QFile::remove(anchor);
        QProcess import;
        t.restart();
        import.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), anchor});
        if (!import.waitForFinished(kWaitMs) || import.exitCode() != 0 || !QFileInfo::exists(anchor)) {
            fprintf(stderr, "ImageMagick's import did not run (install imagemagick)\n");
            return 1;
        }
        importToDisk.push_back(t.nsecsElapsed() / 1e6);
        importBytes = QFileInfo(anchor).size();
    }

    // From the main window's button: the window hides itself before the screen is captured.
    MainWindowBase* window = MainEntry::createMainWindow();
    spinUntil([window] { return window->windowHandle() && window->windowHandle()->isExposed(); });
    for (int i = 0; i < rounds; ++i) {
        window->showNormal();
        spinUntil([window] { return window->windowHandle() && window->windowHandle()->isExposed(); });
        QElapsedTimer t;
        t.start();
        button(window, "btnSnapshot")->click();
        if (!spinUntil(overlayShown)) {
            fprintf(stderr, "the overlay did not show from the main window\n");
            return 1;
        }
        buttonToOverlay.push_back(t.nsecsElapsed() / 1e6);
        if (DlgSnapshot* dlg = window->mainWindow()->snapshotDialog())
            dlg->OnClose();
        spinUntil([window] { return !window->mainWindow()->snapshotDialog(); });
        waitOverlayGone();
    }
    MainEntry::destroyMainWindow(window);

    printFigures("request to overlay shown (dialog)", requestToOverlay);
    printFigures("button to overlay shown (main window)", buttonToOverlay);
    printFigures("Save to PNG on disk (whole display)", saveToDisk);
    printFigures("import -window root to PNG (anchor)", importToDisk);
    printf("PNG sizes: ours %lld bytes, import %lld bytes\n", ourBytes, importBytes);
    return 0;
}
